#pragma once

#include <QString>
#include <functional>

// An exclusive lock on a table file while a statement changes it: from the moment its change is
// computed against the file's content until the new file is in place. Other processes of this
// program wait for it, on this machine and on network folders whose file system passes locks on;
// a process that ends, however it ends, lets go of its locks. Programs that take no locks are not
// held back.
//
// The lock is an open file description lock (fcntl F_OFD_SETLK) on the table file itself. A
// writer replaces the file by a new one, so a lock won on a file that was replaced meanwhile is
// given up and taken again on the new file.
class TableLock {
public:
    // Called while the lock is waited for, with the milliseconds waited and the most it waits;
    // it may call the wait off by throwing ECancelled.
    using Waiting = std::function<void(int waitedMs, int limitMs)>;
    static constexpr int kWaitMs = 10000;

    // Locks the file; EDBEngineError naming the table when another writer holds it longer than
    // limitMs. A file that does not exist is not locked.
    TableLock(const QString &path, const Waiting &waiting, int limitMs = kWaitMs);
    ~TableLock();
    TableLock(TableLock &&other) noexcept;
    TableLock(const TableLock &) = delete;
    TableLock &operator=(const TableLock &) = delete;
    TableLock &operator=(TableLock &&) = delete;

    const QString &path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
};
