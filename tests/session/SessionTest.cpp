#include "SessionTestSupport.h"

#include "db/Field.h"
#include "platform/Errors.h"

#include <QDir>

using testsupport::readBytes;

namespace {

const QString kNumbers = QStringLiteral(
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) SELECT i AS NR, 'x' || i AS NAZWA FROM n");

TEST_F(SessionTest, FloatingPointFieldsShowAmountsInDigitGroups)
{
    session.testSql({"SELECT 1234567.5 AS KWOTA, 7 AS ILE, 0.0 AS ZERO"});
    const qsizetype row = result.rowOf(0);
    EXPECT_EQ(result.field(0)->displayTextAt(row), QStringLiteral("   1 234 567,50"));
    EXPECT_EQ(result.field(1)->displayTextAt(row), QStringLiteral("7"));
    EXPECT_EQ(result.field(2)->displayTextAt(row), QString());
    // The text of the value itself stays the engine's.
    EXPECT_EQ(result.field(0)->asStringAt(row), QStringLiteral("1234567,5"));
}

TEST_F(SessionTest, TheFrontEndHearsWhenTheResultCloses)
{
    session.closeResult();
    EXPECT_TRUE(host.only("closed").isEmpty());
    session.testSql({"SELECT 1 AS A"});
    EXPECT_EQ(host.only("opened: "), QStringList{"1"});
    session.testSql({"CREATE TEMP TABLE t (a)"});
    EXPECT_EQ(host.events.count(QStringLiteral("closed")), 1);
    EXPECT_EQ(host.busy, 0);
}

TEST_F(SessionTest, LongReadsReportTheirProgress)
{
    QStringList tasks;
    host.onProgress = [&](const ProgressStep &step) { tasks.append(QStringLiteral("%1 %2").arg(step.task).arg(step.done)); };
    session.testSql({kNumbers});
    EXPECT_EQ(tasks, (QStringList{"Wczytywanie wyniku zapytania 16384", "Wczytywanie wyniku zapytania 32768"}));
    EXPECT_EQ(result.recordCount(), 40000);

    session.testSql({"CREATE TABLE \"duza.dbf\" AS " + kNumbers});
    tasks.clear();
    Session other(path("sqls.ini"), prompts, host);
    other.testSql({"SELECT COUNT(*) FROM \"duza.dbf\""});
    EXPECT_EQ(tasks, (QStringList{"Wczytywanie tabeli duza.dbf 16384", "Wczytywanie tabeli duza.dbf 32768"}));
}

TEST_F(SessionTest, CancellingAReadLeavesTheResultClosedAndTheFilesUntouched)
{
    session.testSql({"CREATE TABLE \"duza.dbf\" AS " + kNumbers});
    const QByteArray table = readBytes(path("duza.dbf"));
    Session fresh(path("sqls.ini"), prompts, host);
    for (const QString &sql : {QStringLiteral("SELECT * FROM \"duza.dbf\""),
                               QStringLiteral("UPDATE \"duza.dbf\" SET NAZWA = 'y'"), kNumbers}) {
        host.onProgress = [](const ProgressStep &) { throw ECancelled(); };
        EXPECT_THROW(fresh.testSql({sql}), ECancelled) << sql.toStdString();
        EXPECT_FALSE(fresh.result().active());
        EXPECT_EQ(readBytes(path("duza.dbf")), table);
        EXPECT_EQ(host.busy, 0);
    }
    // Nothing half-read stays behind: the next read takes the whole table.
    host.onProgress = nullptr;
    fresh.testSql({"SELECT COUNT(*) AS N FROM \"duza.dbf\""});
    EXPECT_EQ(fresh.result().field(0)->asInteger(), 40000);
}

} // namespace
