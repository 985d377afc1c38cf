#include "SessionTestSupport.h"

#include "platform/TextFile.h"

#include <QDir>

QStringList RecordingEvents::only(const QString &prefix) const
{
    QStringList found;
    for (const QString &event : events) {
        if (event.startsWith(prefix))
            found.append(event.mid(prefix.size()));
    }
    return found;
}

void SessionTest::SetUp()
{
    FolderTest::SetUp();
    session.setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)); });
    session.setExporter(std::make_unique<RecordingExporter>(host));
}

void SessionTest::TearDown()
{
    result.close();
    FolderTest::TearDown();
}

void SessionTest::addQuery(const QString &title, const QStringList &lines, bool withFile)
{
    // A hand-made catalogue: the title names its text file, which may be missing.
    const QString file = QStringLiteral("q%1.sql").arg(m_files++);
    session.catalogue().ini().writeString(QStringLiteral("FILES"), title, file);
    if (withFile)
        textfile::writeLines(path(file), lines);
}
