#pragma once

#include <QByteArray>
#include <QIODevice>
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

// The new content of a file while it is written: a buffered device over a temporary file beside
// the target. The first failed write sticks: every later write is refused, and the write as a
// whole fails with the system's reason. Writers that open files by name (libraries that take a
// path) write to fileName() and check their own writes.
class TemporaryFile : public QIODevice {
public:
    TemporaryFile(const QString &target, const QString &temporary);
    ~TemporaryFile() override;

    const QString &target() const { return m_target; }
    const QString &fileName() const { return m_temporary; }
    // The reason of the first failure; empty while every write succeeded.
    const QString &failure() const { return m_failure; }

    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override;
    qint64 size() const override;
    // Writes what is buffered, syncs and closes the file; false (with the reason in failure())
    // when any of it, or any earlier write, failed.
    bool finish();

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override;

private:
    bool drain();
    void fail(int errorNumber);

    QString m_target;
    QString m_temporary;
    int m_fd = -1;
    QByteArray m_buffer;
    qint64 m_size = 0; // of the file on disk, not counting the buffer
    QString m_failure;
};

// A write beyond the user's limit of file size fails with "File too large" as any other failed
// write, instead of ending the process; both programs call this first.
void failWritesBeyondSizeLimit();

// Writes a file through a temporary one beside it: write() fills the temporary, which replaces
// path only after write() returned and everything it wrote reached the disk. On any failure the
// temporary is removed and path stays as it was. A failed write, however write() reacts to it, is
// reported as EFCreateError naming path with the system's reason; write()'s other errors pass
// through.
void writeThroughTemporary(const QString &path, const std::function<void(TemporaryFile &file)> &write);

} // namespace fileaccess
