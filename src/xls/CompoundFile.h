#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <memory>

class ByteBuffer;
class QIODevice;

// Compound documents (structured storage) through libgsf: one stream in the root of a new file,
// and the streams of an existing one.
namespace compound {

// Whether the file starts with the compound document signature.
bool isCompoundFile(const QString &path);

// A new compound file with one root stream, written to a file by name or into an open device.
// Creating raises EFCreateError and leaves nothing behind; the file is complete once close()
// returns (the destructor closes too).
class Writer {
public:
    Writer(const QString &path, const QString &streamName);
    Writer(QIODevice &device, const QString &streamName);
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;
    void write(const char *bytes, qsizetype count);
    void close();

private:
    void open(FILE *out, const QString &streamName);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    QString m_path;
};

// The names of the root elements of a compound file; XlsError when it can't be opened as one.
QStringList rootNames(const QString &path);
// The whole content of a root stream (name compared without case); XlsError when it can't be read.
QByteArray readRootStream(const QString &path, const QString &streamName);
void readRootStream(const QString &path, const QString &streamName, ByteBuffer &into);

} // namespace compound
