// Damaged dBASE and Paradox tables, as fuzzing found them: each is refused by name or handled
// without growing or losing anything.
#include "DbTestSupport.h"

#include "platform/Errors.h"

#include <QFile>
#include <QtEndian>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class DamagedTables : public testsupport::DbTest {
protected:
    QString error(const QString &sql) { return testsupport::engineError(*db, sql); }
    // A copy of the customers' memo file under another table's name, and the table's bytes.
    QByteArray customersAs(const QString &name)
    {
        QFile::remove(path(name + ".dbt"));
        QFile::copy(path("klienci.dbt"), path(name + ".dbt"));
        return readBytes(path("klienci.dbf"));
    }
};

TEST_F(DamagedTables, AMemoHeaderPointingBeyondTheFileDoesNotGrowIt)
{
    for (const quint32 nextFree : {0x80000000u, 0x100000u, 0u}) {
        writeBytes(path("m.dbf"), customersAs("m"));
        QByteArray memo = readBytes(path("m.dbt"));
        qToLittleEndian<quint32>(nextFree, memo.data());
        writeBytes(path("m.dbt"), memo);
        rows("UPDATE \"m.dbf\" SET UWAGI = 'nowa uwaga' WHERE NAZWA = 'Nowak'");
        // Appended after the last block: one block more, whatever the header said.
        EXPECT_EQ(readBytes(path("m.dbt")).size(), (memo.size() + 511) / 512 * 512 + 512) << nextFree;
        EXPECT_EQ(rows("SELECT UWAGI FROM \"m.dbf\" WHERE NAZWA = 'Nowak'").at(0).at(0), QStringLiteral("nowa uwaga"));
        EXPECT_TRUE(rows("SELECT UWAGI FROM \"m.dbf\" WHERE NAZWA = 'Zakład Łódź'").at(0).at(0).startsWith("Stały klient"));
    }
}

TEST_F(DamagedTables, DbaseHeadersThatDoNotDescribeTheirRecordsAreRefused)
{
    const QByteArray dbf = customersAs("szerokosc");
    customersAs("uciete");
    QByteArray width = dbf;
    width[32 + 16] = 29; // NAZWA C(30) declared 29 wide
    writeBytes(path("szerokosc.dbf"), width);
    QByteArray cut = dbf;
    cut[32 + 2 * 32] = 0x0D; // the field list ends after two fields
    writeBytes(path("uciete.dbf"), cut);
    const struct {
        const char *table, *message;
    } cases[] = {
        {"szerokosc.dbf", "The field definitions do not add up to the record length."},
        {"uciete.dbf", "The field definitions do not add up to the record length."},
        {"szerokosc_i.dbf", "Field ID has a width (1) its type I can't have."},
        {"szerokosc_y.dbf", "Field KWOTA has a width (4) its type Y can't have."},
    };
    QByteArray out, err;
    ASSERT_EQ(testsupport::run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/db/make_raw_dbase_fixtures.py", dir.path()}, &out, &err), 0);
    for (const auto &c : cases) {
        testsupport::expectRefusal(error(QStringLiteral("SELECT * FROM \"%1\"").arg(c.table)), path(c.table), c.message);
    }
}

TEST_F(DamagedTables, ParadoxHeadersThatDisagreeWithTheirBlocksAreRefused)
{
    rows("CREATE TABLE \"liczby.db\" AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 115) "
         "SELECT CAST(i AS INTEGER) AS S, 'pozycja ' || i AS NAZWA FROM n");
    const QByteArray table = readBytes(path("liczby.db"));
    QByteArray noBlocks = table;
    qToLittleEndian<quint16>(0, noBlocks.data() + 0x0E); // no first data block
    writeBytes(path("bezblokow.db"), noBlocks);
    // The long integer declared 20 bytes wide, the record size grown to match.
    QByteArray wide = table;
    const qsizetype types = static_cast<unsigned char>(wide[0x39]) >= 5 ? 0x78 : 0x58;
    ASSERT_EQ(static_cast<unsigned char>(wide[types]), 0x04); // long
    wide[types + 1] = 20;
    qToLittleEndian<quint16>(testsupport::littleEndian<quint16>(wide, 0) + 16, wide.data());
    writeBytes(path("szeroki.db"), wide);
    const struct {
        const char *table, *message;
    } cases[] = {
        {"bezblokow.db", "The table's header counts 115 records, its data blocks hold 0."},
        {"szeroki.db", "Field S has a size its type can't have."},
    };
    for (const auto &c : cases) {
        testsupport::expectRefusal(error(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(c.table)), path(c.table), c.message);
    }
}

} // namespace
