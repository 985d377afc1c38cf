#include "FileAccess.h"

#include "Errors.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileaccess {
namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

bool grantsNoWrite(const struct stat &st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Writes everything, retrying short writes and interruptions.
bool writeFully(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The file a write should replace: the target of a symbolic link, not the link.
QString resolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

QString directoryOf(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Temporaries are hidden files named ".NAME.kwPID-XXXXXX" beside their target: the process id
// tells the next writer of the same file which of them a killed process left behind.
QString temporaryPrefix(const QString &target)
{
    return QLatin1Char('.') + fileNameOf(target) + QStringLiteral(".kw");
}

// The id of the process that made a temporary of that prefix; 0 for any other name.
pid_t temporaryOwner(const char *name, const QByteArray &prefix)
{
    if (std::strncmp(name, prefix.constData(), static_cast<size_t>(prefix.size())) != 0)
        return 0;
    const QByteArray rest(name + prefix.size());
    const qsizetype dash = rest.indexOf('-');
    if (dash <= 0 || rest.size() - dash - 1 != 6)
        return 0;
    bool ok = false;
    const int pid = rest.left(dash).toInt(&ok);
    return ok && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

} // namespace

void removeAbandonedTemporaries(const QString &path)
{
    const QString target = resolvedTarget(path);
    const QByteArray folder = nativePath(directoryOf(target));
    const QByteArray prefix = nativePath(temporaryPrefix(target));
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    // Names alone, with no look at each file: every write pays for this, in folders of thousands.
    while (const dirent *entry = ::readdir(dir)) {
        const pid_t owner = temporaryOwner(entry->d_name, prefix);
        // A process that no longer runs; one that runs, or that this user may not signal, may still
        // be writing.
        if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH)
            ::unlink((folder + '/' + entry->d_name).constData());
    }
    ::closedir(dir);
}

bool exists(const QString &path)
{
    struct stat st;
    return ::stat(nativePath(path).constData(), &st) == 0;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        throw EFOpenError(path, systemErrorText(EISDIR));
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(path, file.errorString());
    return file.readAll();
}

QString readOnlyError(const QString &path)
{
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return systemErrorText(EISDIR);
        if (grantsNoWrite(st))
            return systemErrorText(EACCES);
        return {};
    }
    if (::stat(nativePath(directoryOf(path)).constData(), &st) != 0)
        return systemErrorText(ENOENT);
    if (grantsNoWrite(st))
        return systemErrorText(EACCES);
    return {};
}

QString replaceContent(const QString &path, const QByteArray &bytes)
{
    QString temporary;
    QString error = createTemporary(path, temporary);
    if (!error.isEmpty())
        return error;
    {
        TemporaryFile file(path, temporary);
        file.write(bytes);
        if (!file.finish())
            error = file.failure();
    }
    if (error.isEmpty())
        error = commitTemporary(temporary, path);
    if (!error.isEmpty())
        QFile::remove(temporary);
    return error;
}

QString createTemporary(const QString &path, QString &temporary)
{
    const QString target = resolvedTarget(path);
    const QString readOnly = readOnlyError(target);
    if (!readOnly.isEmpty())
        return readOnly;
    struct stat st;
    if (::stat(nativePath(directoryOf(target)).constData(), &st) != 0)
        return systemErrorText(ENOENT);
    if (grantsNoWrite(st))
        return systemErrorText(EACCES);
    removeAbandonedTemporaries(target);
    QByteArray name = nativePath(directoryOf(target) + QLatin1Char('/') + temporaryPrefix(target)
                                 + QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return systemErrorText(errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    (void)!::fchmod(fd, ::stat(nativePath(target).constData(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~mask);
    ::close(fd);
    temporary = QFile::decodeName(name);
    return {};
}

QString copyToTemporary(const QString &path, QString &temporary)
{
    QString error = createTemporary(path, temporary);
    if (!error.isEmpty())
        return error;
    if (!exists(path))
        return {};
    QFile source(path);
    QFile copy(temporary);
    if (!source.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = source.isOpen() ? copy.errorString() : source.errorString();
        QFile::remove(temporary);
        return error;
    }
    char buffer[1 << 16];
    qint64 n;
    while ((n = source.read(buffer, sizeof buffer)) > 0) {
        if (copy.write(buffer, n) != n) {
            error = copy.errorString();
            copy.close();
            QFile::remove(temporary);
            return error;
        }
    }
    if (!copy.flush()) {
        error = copy.errorString();
        copy.close();
        QFile::remove(temporary);
        return error;
    }
    return {};
}

QString commitTemporary(const QString &temporary, const QString &target)
{
    const int fd = ::open(nativePath(temporary).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return systemErrorText(error);
    }
    ::close(fd);
    if (::rename(nativePath(temporary).constData(), nativePath(resolvedTarget(target)).constData()) != 0)
        return systemErrorText(errno);
    return {};
}

QString append(const QString &path, const QByteArray &bytes)
{
    const QString error = readOnlyError(path);
    if (!error.isEmpty())
        return error;
    const int fd = ::open(nativePath(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return systemErrorText(errno);
    const off_t before = ::lseek(fd, 0, SEEK_END);
    if (writeFully(fd, bytes)) {
        ::close(fd);
        return {};
    }
    const int writeErrno = errno;
    if (before >= 0)
        (void)!::ftruncate(fd, before); // best effort: the write's own error is what is reported
    ::close(fd);
    return systemErrorText(writeErrno);
}

namespace {

constexpr qsizetype kTemporaryBuffer = 1 << 18;

} // namespace

TemporaryFile::TemporaryFile(const QString &target, const QString &temporary)
    : m_target(target), m_temporary(temporary)
{
    m_fd = ::open(nativePath(temporary).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0)
        fail(errno);
    m_buffer.reserve(kTemporaryBuffer);
    QIODevice::open(QIODevice::WriteOnly);
}

TemporaryFile::~TemporaryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TemporaryFile::fail(int errorNumber)
{
    if (m_failure.isEmpty())
        m_failure = systemErrorText(errorNumber);
    setErrorString(m_failure);
}

bool TemporaryFile::drain()
{
    if (!m_failure.isEmpty())
        return false;
    if (!writeFully(m_fd, m_buffer)) {
        fail(errno);
        return false;
    }
    m_size = std::max(m_size, static_cast<qint64>(::lseek(m_fd, 0, SEEK_CUR)));
    m_buffer.clear();
    return true;
}

qint64 TemporaryFile::writeData(const char *data, qint64 length)
{
    if (!m_failure.isEmpty())
        return -1;
    if (m_buffer.size() + length > kTemporaryBuffer && !drain())
        return -1;
    if (length >= kTemporaryBuffer) {
        if (!writeFully(m_fd, QByteArray::fromRawData(data, length))) {
            fail(errno);
            return -1;
        }
        m_size = std::max(m_size, static_cast<qint64>(::lseek(m_fd, 0, SEEK_CUR)));
        return length;
    }
    m_buffer.append(data, length);
    return length;
}

bool TemporaryFile::seek(qint64 pos)
{
    if (!drain())
        return false;
    if (::lseek(m_fd, pos, SEEK_SET) < 0) {
        fail(errno);
        return false;
    }
    return QIODevice::seek(pos);
}

qint64 TemporaryFile::size() const
{
    return std::max(m_size, pos());
}

bool TemporaryFile::finish()
{
    if (drain() && ::fsync(m_fd) != 0)
        fail(errno);
    if (m_fd >= 0 && ::close(m_fd) != 0)
        fail(errno);
    m_fd = -1;
    QIODevice::close();
    return m_failure.isEmpty();
}

void failWritesBeyondSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

void writeThroughTemporary(const QString &path, const std::function<void(TemporaryFile &file)> &write)
{
    QString temporary;
    QString error = createTemporary(path, temporary);
    if (!error.isEmpty())
        throw EFCreateError(path, error);
    try {
        TemporaryFile file(path, temporary);
        try {
            write(file);
        } catch (...) {
            // A writer that stopped because its file failed says so in its own words, which may
            // name the temporary: the user hears of the file and the reason.
            if (!file.failure().isEmpty())
                throw EFCreateError(path, file.failure());
            throw;
        }
        if (!file.finish())
            throw EFCreateError(path, file.failure());
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    error = commitTemporary(temporary, path);
    if (!error.isEmpty()) {
        QFile::remove(temporary);
        throw EFCreateError(path, error);
    }
}

} // namespace fileaccess
