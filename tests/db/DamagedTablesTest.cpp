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
    void makeRawDbaseFixtures()
    {
        QByteArray out, err;
        ASSERT_EQ(testsupport::run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/db/make_raw_dbase_fixtures.py", dir.path()}, &out, &err), 0)
            << err.toStdString();
    }
    // The number of records and the header's count of data blocks of a Paradox table, as
    // pxcheck.py (an independent reader) reads them.
    QString pxcheckCounts(const QString &table)
    {
        QStringList counts;
        for (const QString &line : pxcheck(table, QString(), 0).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("fileblocks =")) || line.startsWith(QLatin1String("rows decoded =")))
                counts.append(line);
        }
        return counts.join(QLatin1String(", "));
    }
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
    makeRawDbaseFixtures();
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

TEST_F(DamagedTables, DbaseHeaderLengthsThatDoNotPutTheRecordsWhereTheyAreAreRefused)
{
    // One byte more or less than the field list makes, the file's size still matching: every
    // field would read a byte off, and a delete would write its flag over the header.
    makeRawDbaseFixtures();
    const QByteArray shorter = readBytes(path("krotszy.dbf"));
    const struct {
        const char *table, *message;
    } cases[] = {
        {"dluzszy.dbf", "Record 1 does not begin with a deletion flag: the header's length (130 bytes) does not put the records "
                        "where they are."},
        {"krotszy.dbf", "The header is 128 bytes long, but its field list does not end within it."},
    };
    for (const auto &c : cases) {
        testsupport::expectRefusal(error(QStringLiteral("SELECT * FROM \"%1\"").arg(c.table)), path(c.table), c.message);
        testsupport::expectRefusal(error(QStringLiteral("DELETE FROM \"%1\"").arg(c.table)), path(c.table), c.message);
    }
    EXPECT_EQ(readBytes(path("krotszy.dbf")), shorter);
}

TEST_F(DamagedTables, DbaseWritesTouchOnlyRecordsWhereTheHeaderPutsThem)
{
    makeRawDbaseFixtures();
    // The header counts two of the three records: they are read, and no write may overwrite the third.
    const QByteArray uncounted = readBytes(path("niepoliczone.dbf"));
    EXPECT_EQ(rows("SELECT COUNT(*), MAX(NAZWA) FROM \"niepoliczone.dbf\"").at(0), (QStringList{"2", "Nowak"}));
    for (const char *sql : {"INSERT INTO \"niepoliczone.dbf\" (NAZWA) VALUES ('Nowy')",
                            "UPDATE \"niepoliczone.dbf\" SET KWOTA = 2",
                            "DELETE FROM \"niepoliczone.dbf\" WHERE NAZWA = 'Nowak'"}) {
        testsupport::expectRefusal(error(sql), path("niepoliczone.dbf"),
                                   "The file holds more records than the 2 its header counts; its records are not changed.");
        EXPECT_EQ(readBytes(path("niepoliczone.dbf")), uncounted) << sql;
    }

    // A middle record without its deletion flag: read, but not changed.
    const QByteArray unflagged = readBytes(path("bezflagi.dbf"));
    EXPECT_EQ(rows("SELECT COUNT(*) FROM \"bezflagi.dbf\"").at(0).at(0), QStringLiteral("3"));
    for (const char *sql : {"UPDATE \"bezflagi.dbf\" SET KWOTA = 2 WHERE NAZWA = 'Nowak'",
                            "DELETE FROM \"bezflagi.dbf\" WHERE NAZWA = 'Nowak'"}) {
        testsupport::expectRefusal(error(sql), path("bezflagi.dbf"), "Record 2 does not begin with a deletion flag");
        EXPECT_EQ(readBytes(path("bezflagi.dbf")), unflagged) << sql;
    }
    rows("UPDATE \"bezflagi.dbf\" SET KWOTA = 2 WHERE NAZWA = 'Trzeci'");
    EXPECT_EQ(rows("SELECT KWOTA FROM \"bezflagi.dbf\" WHERE NAZWA = 'Trzeci'").at(0).at(0), QStringLiteral("2.0"));
}

TEST_F(DamagedTables, WritesToAParadoxTableCutShortOrWithAnotherBlockSizeLeaveItReadable)
{
    rows("CREATE TABLE \"liczby.db\" AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 115) "
         "SELECT CAST(i AS INTEGER) AS S, 'pozycja ' || i AS NAZWA FROM n");
    const QByteArray table = readBytes(path("liczby.db"));
    ASSERT_EQ(testsupport::littleEndian<quint16>(table, 0x0C), 1); // one data block
    ASSERT_EQ(static_cast<unsigned char>(table[5]), 2);              // of 2 KB
    QByteArray larger = table;
    larger[5] = 4; // blocks of 4 KB: the records still fit the one block
    const int recordSize = testsupport::littleEndian<quint16>(table, 0);
    const struct {
        const char *name;
        QByteArray bytes;
        int blockSize;
    } damaged[] = {{"krotsza.db", table.left(table.size() - 1), 2048}, {"wieksze.db", larger, 4096}};
    const struct {
        const char *sql;
        int records;
    } changes[] = {
        {"UPDATE \"%1\" SET NAZWA = 'zmiana' WHERE S = 7", 115},
        // Past the end of the block as the file holds it.
        {"INSERT INTO \"%1\" SELECT S + 115, NAZWA FROM \"%1\" WHERE S <= 100", 215},
        {"DELETE FROM \"%1\" WHERE S = 7", 114},
    };
    ASSERT_GT(215 * recordSize, 2048);
    for (const auto &d : damaged) {
        for (size_t i = 0; i < std::size(changes); ++i) {
            const QString name = QString::number(i) + QLatin1String(d.name);
            writeBytes(path(name), d.bytes);
            ASSERT_EQ(rows(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(name)).at(0).at(0), QStringLiteral("115"));
            rows(QString::fromUtf8(changes[i].sql).arg(name));
            // Read again from the file by a new engine, and by an independent reader.
            db = std::make_unique<Database>();
            EXPECT_EQ(rows(QStringLiteral("SELECT COUNT(*), SUM(S) > 0 FROM \"%1\"").arg(name)).at(0),
                      (QStringList{QString::number(changes[i].records), "1"}))
                << name.toStdString();
            const int perBlock = (d.blockSize - 6) / recordSize;
            EXPECT_EQ(pxcheckCounts(name), QStringLiteral("fileblocks = %1, rows decoded = %2")
                                               .arg((changes[i].records + perBlock - 1) / perBlock)
                                               .arg(changes[i].records))
                << name.toStdString();
        }
    }

    // A header counting blocks the file does not hold is read, but not changed.
    QByteArray counted = table;
    qToLittleEndian<quint16>(3, counted.data() + 0x0C);
    writeBytes(path("bloki.db"), counted);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM \"bloki.db\"").at(0).at(0), QStringLiteral("115"));
    testsupport::expectRefusal(error("DELETE FROM \"bloki.db\" WHERE S = 7"), path("bloki.db"),
                               "The table's header counts 3 data blocks of 2048 bytes, its file holds 1; its records are not changed.");
    EXPECT_EQ(readBytes(path("bloki.db")), counted);
}

} // namespace
