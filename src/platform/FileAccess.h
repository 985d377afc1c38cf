#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Whole-file operations on POSIX. The writers return the system's error text, empty on success.
//
// A file or directory whose permission bits grant nobody write access counts as read-only even
// for a privileged user, like the read-only attribute on the desktop systems the catalogues come
// from: the program never replaces such a file or creates one in such a directory.
namespace fileaccess {

// The whole content; EFOpenError when the file cannot be read.
QByteArray readAll(const QString &path);
// Atomic replace through a temporary file in the same directory, synced before the rename.
QString replaceContent(const QString &path, const QByteArray &bytes);
// Appends, creating the file when missing; cuts the file back when the write fails.
QString append(const QString &path, const QByteArray &bytes);
// The error text that a write to path would meet because of read-only permission bits.
QString readOnlyError(const QString &path);
bool exists(const QString &path);

// A copy of the file under a temporary name beside it (an empty file when path does not exist);
// the returned error text is empty on success.
QString copyToTemporary(const QString &path, QString &temporary);
// Removes the temporaries of path that processes no longer running left behind (a program killed
// while it wrote); every new temporary does this first.
void removeAbandonedTemporaries(const QString &path);
// A new empty file under a temporary name beside path.
QString createTemporary(const QString &path, QString &temporary);
// Syncs a temporary file and renames it over the target.
QString commitTemporary(const QString &temporary, const QString &target);

// Writes a file through a temporary one beside it: write() fills the temporary, which then
// replaces path. On any failure the temporary is removed and path stays as it was. EFCreateError
// naming path when the temporary cannot be made or put in place; write()'s own errors pass through.
void writeThroughTemporary(const QString &path, const std::function<void(const QString &temporary)> &write);

} // namespace fileaccess
