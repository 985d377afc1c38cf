// Table changes and new tables on a disk that fills up while they are written: the failure names
// the user's table and the system's reason, the table and its memo file stay as they were, and no
// temporary is left.
#include "DbTestSupport.h"

#include "db/Query.h"
#include "db/Table.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>

#include <map>
#include <unistd.h>

using testsupport::DbTest;

namespace {

// 20,000 records of a number and a text; the first holds a memo of 300 times the letter.
QString records(char letter)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                          "SELECT i AS N, printf('%040d', i) AS OPIS, CASE WHEN i = 1 THEN '%1' END AS UWAGI FROM n")
        .arg(QString(300, QLatin1Char(letter)));
}

class FullDisk : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        disk = path("pelny");
        QDir().mkpath(disk);
        if (geteuid() != 0 || testsupport::run("mount", {"-t", "tmpfs", "-o", "size=8m", "tmpfs", disk}) != 0)
            GTEST_SKIP() << "mounting a small disk needs a privileged user";
        mounted = true;
        for (const char *table : {"pelny/d.dbf", "pelny/p.db"})
            rows(QStringLiteral("CREATE TABLE \"%1\" AS %2").arg(QLatin1String(table), records('a')));
        // A little room is left: enough for a memo file, not for a table.
        testsupport::writeBytes(disk + "/rezerwa", QByteArray(64 * 1024, 'r'));
        testsupport::run("sh", {"-c", "cat /dev/zero > " + disk + "/zapchaj 2>/dev/null; true"});
        QFile::remove(disk + "/rezerwa");
        before = contents();
    }

    void TearDown() override
    {
        db.reset();
        if (mounted)
            testsupport::run("umount", {disk});
        DbTest::TearDown();
    }

    // Every file on the disk but the filling, with its bytes.
    std::map<QString, QByteArray> contents() const
    {
        std::map<QString, QByteArray> files;
        for (const QString &name : QDir(disk).entryList(QDir::Files | QDir::Hidden)) {
            if (name != "zapchaj")
                files[name] = testsupport::readBytes(disk + '/' + name);
        }
        return files;
    }

    void expectCleanFailure(const std::function<void()> &write, const QString &table)
    {
        try {
            write();
            ADD_FAILURE() << "no error";
        } catch (const Exception &e) {
            EXPECT_TRUE(e.message().contains(path(table))) << e.what();
            EXPECT_TRUE(e.message().contains("No space left on device")) << e.what();
            EXPECT_FALSE(e.message().contains(".kw")) << e.what();
        }
        EXPECT_TRUE(contents() == before) << QStringList(QDir(disk).entryList(QDir::Files | QDir::Hidden)).join(' ').toStdString();
    }

    QString disk;
    bool mounted = false;
    std::map<QString, QByteArray> before;
};

TEST_F(FullDisk, ChangesLeaveTheTableAndItsMemoAsTheyWere)
{
    const QString memo(500, QLatin1Char('m'));
    for (const char *name : {"pelny/d.dbf", "pelny/p.db"}) {
        const QString table = QLatin1String(name);
        for (const QString &sql : {QStringLiteral("UPDATE \"%1\" SET UWAGI = '%2' WHERE N = 2").arg(table, memo),
                                   QStringLiteral("INSERT INTO \"%1\" (N, OPIS, UWAGI) VALUES (0, 'nowy', '%2')").arg(table, memo),
                                   QStringLiteral("DELETE FROM \"%1\" WHERE N = 3").arg(table)})
            expectCleanFailure([&] { rows(sql); }, table);
    }
}

TEST_F(FullDisk, ANewTableLeavesTheOldOneAndItsMemoAsTheyWere)
{
    Query source(*db);
    source.sql().assign({records('b')});
    for (const char *table : {"pelny/d.dbf", "pelny/p.db"}) {
        Table destination(*db);
        destination.setTableName(QLatin1String(table));
        BatchMove move;
        move.source = &source;
        move.destination = &destination;
        expectCleanFailure([&] { move.execute(); }, QLatin1String(table));
    }
}

} // namespace
