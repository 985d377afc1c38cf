// The lock a change takes on its table file: writers wait for each other, say that they wait, may
// be called off, and give up with a message naming the table; a replaced file is locked anew.
#include "db/TableLock.h"
#include "platform/Errors.h"
#include "support/TestSupport.h"

#include <QFile>

namespace {

class Lock : public testsupport::PolishTest {
protected:
    void SetUp() override
    {
        PolishTest::SetUp();
        table = path(QStringLiteral("wspolna.dbf"));
        testsupport::writeBytes(table, "tabela");
    }
    QString table;
};

TEST_F(Lock, ASecondWriterWaitsThenGivesUpNamingTheTable)
{
    const TableLock first(table, {});
    std::vector<int> waits;
    try {
        const TableLock second(table, [&](int waited, int limit) {
            EXPECT_EQ(limit, 200);
            waits.push_back(waited);
        }, 200);
        ADD_FAILURE() << "locked twice";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("\r\nTabelę %1 zmienia teraz inny program lub użytkownik: zmiana nie została "
                                              "zapisana. Spróbuj ponownie za chwilę.")
                                   .arg(table));
    }
    ASSERT_GT(waits.size(), 2u);
    EXPECT_TRUE(std::is_sorted(waits.begin(), waits.end()));
}

TEST_F(Lock, TheWaitCanBeCalledOff)
{
    const TableLock first(table, {});
    EXPECT_THROW(TableLock(table, [](int, int) { throw ECancelled(); }), ECancelled);
}

TEST_F(Lock, TheLockIsFreeOnceTheWriterIsDoneAndFollowsAReplacedFile)
{
    {
        const TableLock first(table, {});
        // The writer puts a new file in place while it holds the lock on the old one.
        testsupport::writeBytes(path(QStringLiteral("nowa")), "nowa tabela");
        ASSERT_TRUE(QFile::remove(table));
        ASSERT_TRUE(QFile::rename(path(QStringLiteral("nowa")), table));
        // The old file's lock does not hold back a writer of the new one.
        EXPECT_NO_THROW(TableLock(table, [](int, int) { throw ECancelled(); }));
    }
    EXPECT_NO_THROW(TableLock(table, [](int, int) { throw ECancelled(); }));
    // A table not there yet has nothing to lock.
    EXPECT_NO_THROW(TableLock(path(QStringLiteral("nowa.dbf")), [](int, int) { throw ECancelled(); }));
}

} // namespace
