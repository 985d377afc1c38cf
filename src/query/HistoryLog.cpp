#include "HistoryLog.h"

#include "platform/Paths.h"
#include "platform/RegionalSettings.h"
#include "platform/TextFile.h"

#include <QFileInfo>

QString HistoryLog::pathFor(const QString &catalogueDirectory, const QString &prefix)
{
    return paths::join(catalogueDirectory, prefix + QStringLiteral("hist.txt"));
}

bool HistoryLog::exists() const
{
    return QFileInfo(m_path).isFile();
}

void HistoryLog::createIfMissing()
{
    if (!exists())
        textfile::writeLines(m_path, {});
}

QStringList HistoryLog::load() const
{
    return textfile::readLines(m_path);
}

void HistoryLog::append(const QString &line)
{
    textfile::appendLines(m_path, {line});
}

void HistoryLog::clear()
{
    textfile::writeLines(m_path, {});
}

QString HistoryLog::stampLine(const QDateTime &when)
{
    return QString(10, QLatin1Char(' ')) + RegionalSettings::current().formatDateTime(when);
}

QString HistoryLog::startLine(const QDateTime &when, const QString &title)
{
    return stampLine(when) + QStringLiteral("....") + title;
}
