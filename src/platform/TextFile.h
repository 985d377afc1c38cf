#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// 8-bit text files in Windows-1250. On reading, CR LF, LF or CR end a line; on writing every
// line is followed by CR LF and an empty list gives an empty file.
namespace textfile {

// The lines of a file; EFOpenError when it cannot be read.
QStringList readLines(const QString &path);
// Splits text into lines by the same rules as readLines.
QStringList splitLines(const QString &text);

// Replaces the file's content whole: written to a temporary file beside it, synced and renamed
// over it, so that a failure leaves the previous content. EFCreateError on failure.
void writeLines(const QString &path, const QStringList &lines);
void writeBytes(const QString &path, const QByteArray &bytes);
// Adds lines at the end of the file (creating it) without rewriting what is there; on failure
// the file is cut back to its previous length. EFCreateError on failure.
void appendLines(const QString &path, const QStringList &lines);

// The bytes of lines as written: Windows-1250, CR LF after each line.
QByteArray encodeLines(const QStringList &lines);

} // namespace textfile
