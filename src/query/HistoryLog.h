#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The history log beside the catalogue (sqlhist.txt): time-stamped lines that every query run
// adds. A line is added to the end of the file without rewriting it, so that a long log costs no
// more than a short one.
class HistoryLog {
public:
    explicit HistoryLog(QString path) : m_path(std::move(path)) {}
    // The log of a catalogue: its directory, its prefix and "hist.txt".
    static QString pathFor(const QString &catalogueDirectory, const QString &prefix);

    const QString &path() const { return m_path; }
    bool exists() const;
    void createIfMissing();
    QStringList load() const;
    // EFCreateError when the file can't be written.
    void append(const QString &line);
    void clear();

    // Ten blanks and the date and time in the regional short date and long time forms (the time
    // left out at midnight); the start line of a run adds "...." and the title.
    static QString stampLine(const QDateTime &when);
    static QString startLine(const QDateTime &when, const QString &title);

private:
    QString m_path;
};
