#include "QueryTestSupport.h"

#include "platform/TextFile.h"

#include <QDir>

QStringList RecordingHost::only(const QString &prefix) const
{
    QStringList found;
    for (const QString &event : events) {
        if (event.startsWith(prefix))
            found.append(event.mid(prefix.size()));
    }
    return found;
}

void RunTest::SetUp()
{
    PolishTest::SetUp();
    m_cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    runner.setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)); });
}

void RunTest::TearDown()
{
    result.close();
    QDir::setCurrent(m_cwd);
    PolishTest::TearDown();
}

void RunTest::addQuery(const QString &title, const QStringList &lines, bool withFile)
{
    const QString file = QStringLiteral("q%1.sql").arg(m_files++);
    catalogue.ini().writeString(QStringLiteral("FILES"), title, file);
    if (withFile)
        textfile::writeLines(path(file), lines);
}
