#include "TableLock.h"

#include "platform/Errors.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Retries come soon at first (a change of a small table takes milliseconds), then less often.
constexpr auto kFirstRetry = std::chrono::microseconds(500);
constexpr auto kLongestRetry = std::chrono::milliseconds(25);

bool lockWhole(int fd)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether the open file is still the one the path names: a writer may have replaced it.
bool isCurrent(int fd, const QByteArray &path)
{
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 && open.st_ino == named.st_ino
        && open.st_dev == named.st_dev;
}

} // namespace

TableLock::TableLock(const QString &path, const Waiting &waiting, int limitMs) : m_path(path)
{
    const QByteArray native = QFile::encodeName(path);
    QElapsedTimer timer;
    timer.start();
    std::chrono::microseconds retry = kFirstRetry;
    for (;;) {
        const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
        // A missing file has nothing to protect, and a read-only one fails at its write with the
        // reason.
        if (fd < 0)
            return;
        if (lockWhole(fd)) {
            if (isCurrent(fd, native)) {
                m_fd = fd;
                return;
            }
            ::close(fd);
            continue;
        }
        const int error = errno;
        ::close(fd);
        // A file system that keeps no locks: there is no writer to wait for.
        if (error != EAGAIN && error != EACCES)
            return;
        const int waited = static_cast<int>(timer.elapsed());
        if (waited >= limitMs)
            throw EDBEngineError(QStringLiteral("\r\nTabelę %1 zmienia teraz inny program lub użytkownik: zmiana nie "
                                                "została zapisana. Spróbuj ponownie za chwilę.")
                                     .arg(path));
        if (waiting)
            waiting(waited, limitMs);
        std::this_thread::sleep_for(retry);
        retry = std::min<std::chrono::microseconds>(retry * 2, kLongestRetry);
    }
}

TableLock::TableLock(TableLock &&other) noexcept : m_path(std::move(other.m_path)), m_fd(other.m_fd)
{
    other.m_fd = -1;
}

TableLock::~TableLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
