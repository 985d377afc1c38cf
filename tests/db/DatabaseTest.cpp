#include "DbTestSupport.h"

#include "db/PolishCollation.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"

#include <QFile>
#include <QtEndian>
#include <QFileInfo>
#include <random>

using testsupport::DbTest;

TEST_F(DbTest, ReadsDbaseTablesWrittenByAnotherProgram)
{
    const auto r = rows("SELECT NAZWA, MIASTO, SALDO, ILOSC, OD, AKTYWNY, length(UWAGI) FROM \"klienci.dbf\"");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0], (QStringList{"Zakład Łódź", "Łódź", "1234.5", "7", "2024-03-05", "1", "1280"}));
    EXPECT_EQ(r[1], (QStringList{"Kowalski Jan", "Kraków", "-2.25", "NULL", "NULL", "0", "0"}));
    EXPECT_EQ(r[2], (QStringList{"Nowak", "Warszawa", "0.0", "3", "1999-12-31", "NULL", "6"}));
    EXPECT_EQ(r[3][0], QStringLiteral("Wcięty"));
    EXPECT_EQ(declaredTypes("SELECT * FROM \"klienci.dbf\""),
              (QStringList{"VARCHAR(30)", "VARCHAR(20)", "FLOAT(12,2)", "INTEGER(5,0)", "DATE TEXT", "BOOLEAN", "MEMO TEXT"}));
}

TEST_F(DbTest, ReadsFoxProMemos)
{
    const auto r = rows("SELECT KOD, TRESC, length(TRESC) FROM 'notatki.dbf' ORDER BY KOD");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0][1], QStringLiteral("Pierwsza notatka ąęś"));
    EXPECT_EQ(r[2][2], QStringLiteral("3000"));
}

TEST_F(DbTest, UpdatesAndDeletesReachTheFile)
{
    rows("UPDATE \"klienci.dbf\" SET SALDO = SALDO + 1, UWAGI = 'nowa notatka' WHERE NAZWA = 'Nowak'");
    rows("DELETE FROM \"klienci.dbf\" WHERE NAZWA LIKE 'Kow%'");
    rows("INSERT INTO \"klienci.dbf\" (NAZWA, SALDO, OD) VALUES ('Nowy', 5.5, '2025-01-02')");
    EXPECT_EQ(pydbf("klienci.dbf", "[(r.nazwa.strip(), r.saldo, r.uwagi) for r in t if not dbf.is_deleted(r)]"),
              QStringLiteral("[('Zakład Łódź', 1234.5, '%1'), ('Nowak', 1.0, 'nowa notatka'), ('Wcięty', None, ''), "
                             "('Nowy', 5.5, '')]").arg(QStringLiteral("Stały klient, płaci w terminie. ").repeated(40)));
    const auto r = rows("SELECT count(*) FROM \"klienci.dbf\"");
    EXPECT_EQ(r[0][0], QStringLiteral("4"));
}

TEST_F(DbTest, ReadsParadoxTablesWrittenByPxlib)
{
    const auto r = rows("SELECT * FROM \"towary.db\" ORDER BY Kod");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0], (QStringList{"10", "Żółw", "0", "0.0", "100.0", "2024-03-05", "08:30:00", "0", "2024-03-05 00:00:00"}));
    EXPECT_EQ(r[1], (QStringList{"11", "Łódka", "3", "-1234.5", "101.0", "2024-03-06", "08:30:01", "1", "2024-03-05 01:00:00"}));
    EXPECT_EQ(r[3], (QStringList{"13", "Pusty", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL"}));
    EXPECT_EQ(declaredTypes("SELECT * FROM towary"),
              (QStringList{"INTEGER", "VARCHAR(20)", "SMALLINT", "FLOAT", "MONEY DOUBLE", "DATE TEXT", "TIME TEXT",
                           "BOOLEAN", "TIMESTAMP TEXT"}));
}

TEST_F(DbTest, NamesTablesInEveryWaySqlWritesThem)
{
    const struct {
        const char *sql;
        const char *count;
    } cases[] = {
        {"SELECT count(*) FROM klienci.dbf", "4"},
        {"SELECT count(*) FROM [klienci.dbf]", "4"},
        {"SELECT count(*) FROM `KLIENCI.DBF`", "4"},
        {"SELECT count(*) FROM towary", "4"},
        {"SELECT count(*) FROM \"towary.db\" t JOIN 'cennik.db' c ON c.Kod = t.Kod", "4"},
        {"WITH k AS (SELECT * FROM \"klienci.dbf\") SELECT count(*) FROM k", "4"},
        {"SELECT count(*) FROM (SELECT * FROM \"notatki.dbf\" WHERE KOD > 1)", "2"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rows(QString::fromUtf8(c.sql)).at(0).at(0), QString::fromUtf8(c.count)) << c.sql;
    QDir().mkdir("dane");
    QFile::copy("klienci.dbf", "dane/Faktury.DBF");
    QFile::copy("klienci.dbt", "dane/Faktury.DBT");
    EXPECT_EQ(rows(QStringLiteral("SELECT count(*) FROM \"%1/dane/faktury.dbf\"").arg(dir.path())).at(0).at(0),
              QStringLiteral("4"));
    EXPECT_EQ(rows("SELECT count(*) FROM \"dane\\faktury.dbf\"").at(0).at(0), QStringLiteral("4"));
}

TEST_F(DbTest, ReadsATableAgainWhenItsFileChanged)
{
    EXPECT_EQ(rows("SELECT count(*) FROM \"notatki.dbf\"").at(0).at(0), QStringLiteral("3"));
    QByteArray err;
    ASSERT_EQ(testsupport::run(KWERIX_PYTHON, {"-c", "import dbf\nt = dbf.Table('notatki.dbf')\nt.open(dbf.READ_WRITE)\n"
                                                     "t.append((4, 'nowa'))\nt.close()\n"},
                               nullptr, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(rows("SELECT count(*), max(KOD) FROM \"notatki.dbf\"").at(0), (QStringList{"4", "4"}));
}

TEST_F(DbTest, ChangesToParadoxTablesReachTheFile)
{
    rows("UPDATE towary SET Nazwa = 'Żaba', Cena = 2.5 WHERE Kod = 11");
    rows("DELETE FROM towary WHERE Kod = 10");
    rows("INSERT INTO towary (Kod, Nazwa, Data) VALUES (20, 'Nowy towar', '2025-01-31')");
    const QString out = pxcheck("towary.db");
    EXPECT_TRUE(out.contains("nrec = 4")) << out.toStdString();
    EXPECT_TRUE(out.contains("[11, 'Żaba', 3, 2.5, 101.0, datetime.date(2024, 3, 6), datetime.time(8, 30, 1), True,"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("[12, 'Zwykly', -5, 0.5, 102.0, datetime.date(2024, 3, 7)")) << out.toStdString();
    EXPECT_TRUE(out.contains("[13, 'Pusty', None, None, None, None, None, None, None]")) << out.toStdString();
    EXPECT_TRUE(out.contains("[20, 'Nowy towar', None, None, None, datetime.date(2025, 1, 31), None, None, None]"))
        << out.toStdString();
    EXPECT_FALSE(out.contains("Żółw"));
    EXPECT_EQ(rows("SELECT group_concat(Kod) FROM towary").at(0).at(0), QStringLiteral("11,12,13,20"));
}

TEST_F(DbTest, ManyInsertsIntoParadoxAddBlocks)
{
    for (int batch = 0; batch < 3; ++batch)
        rows(QStringLiteral("INSERT INTO towary (Kod, Nazwa) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                            "WHERE i < 200) SELECT 1000 * %1 + i, 'Towar ' || i FROM n")
                 .arg(batch + 1));
    const QString out = pxcheck("towary.db", {}, 0);
    EXPECT_TRUE(out.contains("nrec = 604")) << out.toStdString();
    EXPECT_TRUE(out.contains("rows decoded = 604")) << out.toStdString();
    EXPECT_EQ(rows("SELECT count(*), sum(Kod) FROM towary").at(0).at(0), QStringLiteral("604"));
}

TEST_F(DbTest, KeyedParadoxTablesTakeOnlyChangesThatKeepTheirKeyOrder)
{
    rows("UPDATE cennik SET Cena = 9 WHERE Kod = 12");
    EXPECT_TRUE(pxcheck("cennik.db").contains("[12, 'Zwykly', -5, 9.0,"));
    const QByteArray before = testsupport::readBytes(path("cennik.db"));
    for (const char *sql : {"INSERT INTO cennik (Kod) VALUES (99)", "DELETE FROM cennik WHERE Kod = 10",
                            "UPDATE cennik SET Kod = 50 WHERE Kod = 11"}) {
        EXPECT_THROW(rows(sql), EDBEngineError) << sql;
        EXPECT_EQ(testsupport::readBytes(path("cennik.db")), before) << sql;
    }
    EXPECT_EQ(rows("SELECT count(*), max(Kod) FROM cennik").at(0), (QStringList{"4", "13"}));
}

TEST_F(DbTest, DbaseChangesKeepUntouchedRecordsDeletedMarksAndMemos)
{
    rows("DELETE FROM \"klienci.dbf\"");
    EXPECT_EQ(pydbf("klienci.dbf", "[dbf.is_deleted(r) for r in t]"), QStringLiteral("[True, True, True, True, True]"));
    EXPECT_EQ(pydbf("klienci.dbf", "len(t[0].uwagi)"), QStringLiteral("1280"));
    EXPECT_EQ(rows("SELECT count(*) FROM \"klienci.dbf\"").at(0).at(0), QStringLiteral("0"));
}

TEST_F(DbTest, CreateAndDropTableMakeAndRemoveFiles)
{
    rows("CREATE TABLE \"nowa.dbf\" (NAZWA VARCHAR(15), KWOTA NUMERIC(10,2), ILE INTEGER, DZIEN DATE, OK BOOLEAN, OPIS TEXT)");
    rows("INSERT INTO \"nowa.dbf\" VALUES ('Łąka', 12.34, 5, '2024-02-29', 1, 'opis')");
    EXPECT_EQ(pydbf("nowa.dbf", "[tuple(r) for r in t]"),
              QStringLiteral("[('Łąka           ', 12.34, 5, datetime.date(2024, 2, 29), True, 'opis')]"));
    rows("CREATE TABLE nowa2 (Nazwa CHAR(10), Ile SMALLINT)");
    rows("INSERT INTO nowa2 VALUES ('abc', 7)");
    EXPECT_TRUE(pxcheck("nowa2.db").contains("['abc', 7]"));
    rows("CREATE TABLE \"kopia.db\" AS SELECT NAZWA, SALDO FROM \"klienci.dbf\"");
    EXPECT_TRUE(pxcheck("kopia.db").contains("rows decoded = 4"));
    EXPECT_THROW(rows("CREATE TABLE \"kopia.db\" (a INT)"), EDBEngineError);
    rows("CREATE TABLE IF NOT EXISTS \"kopia.db\" (a INT)");
    rows("DROP TABLE \"nowa.dbf\"");
    rows("DROP TABLE IF EXISTS \"kopia.db\"");
    EXPECT_FALSE(QFile::exists("nowa.dbf"));
    EXPECT_FALSE(QFile::exists("nowa.dbt"));
    EXPECT_FALSE(QFile::exists("kopia.db"));
    EXPECT_THROW(rows("SELECT * FROM \"nowa.dbf\""), EDBEngineError);
}

TEST_F(DbTest, DamagedTablesGiveAnErrorNamingTheFileAndChangeNothing)
{
    QByteArray dbf = testsupport::readBytes(path("klienci.dbf"));
    testsupport::writeBytes(path("obciety.dbf"), dbf.left(dbf.size() - 100));
    testsupport::writeBytes(path("tekst.dbf"), "to nie jest tabela\r\n");
    testsupport::writeBytes(path("bezmemo.dbf"), dbf);
    QByteArray px = testsupport::readBytes(path("towary.db"));
    testsupport::writeBytes(path("zlyblok.db"), px.left(2048 + 100));
    px[0x0E] = 7; // first block past the end of the file
    testsupport::writeBytes(path("petla.db"), px);
    const struct {
        const char *table;
        const char *problem;
    } cases[] = {
        {"obciety.dbf", "truncated"}, {"tekst.dbf", "not a dBASE table"}, {"bezmemo.dbf", "memo file"},
        {"zlyblok.db", "truncated"}, {"petla.db", "damaged"},
    };
    for (const auto &c : cases) {
        const QByteArray before = testsupport::readBytes(path(c.table));
        try {
            rows(QStringLiteral("SELECT * FROM \"%1\"").arg(c.table));
            ADD_FAILURE() << c.table;
        } catch (const EDBEngineError &e) {
            EXPECT_TRUE(e.message().contains(c.problem)) << e.what();
            EXPECT_TRUE(e.message().contains(path(c.table))) << e.what();
        }
        EXPECT_EQ(testsupport::readBytes(path(c.table)), before);
    }
}

TEST_F(DbTest, RefusedValuesLeaveTheFileAsItWas)
{
    const QByteArray before = testsupport::readBytes(path("klienci.dbf"));
    const struct {
        const char *sql;
        const char *problem;
    } cases[] = {
        {"UPDATE \"klienci.dbf\" SET NAZWA = 'Zażółć 日本'", "code page"},
        {"UPDATE \"klienci.dbf\" SET MIASTO = 'Nazwa dłuższa niż dwadzieścia znaków'", "longer than the field"},
        {"UPDATE \"klienci.dbf\" SET ILOSC = 123456", "does not fit"},
        {"UPDATE \"klienci.dbf\" SET OD = 'jutro'", "not a date"},
        {"UPDATE \"klienci.dbf\" SET UWAGI = 'koniec' || char(26) || 'i dalej'", "the byte 0x1A, which ends a dBASE III memo"},
    };
    for (const auto &c : cases) {
        try {
            rows(c.sql);
            ADD_FAILURE() << c.sql;
        } catch (const EDBEngineError &e) {
            EXPECT_TRUE(e.message().contains(c.problem)) << e.what();
        }
        EXPECT_EQ(testsupport::readBytes(path("klienci.dbf")), before) << c.sql;
    }
    // The failed statements changed nothing in the engine either.
    EXPECT_EQ(rows("SELECT NAZWA FROM \"klienci.dbf\" LIMIT 1").at(0).at(0), QStringLiteral("Zakład Łódź"));
}

TEST_F(DbTest, EngineRejectionsCarrySqliteMessages)
{
    const struct {
        const char *sql;
        const char *message;
    } cases[] = {
        {"SELEC 1", "near \"SELEC\": syntax error"},
        {"SELECT * FROM \"brak.dbf\"", "no such table: brak.dbf"},
        {"SELECT nieznana FROM \"klienci.dbf\"", "no such column: nieznana"},
        {"SELECT 1; SELECT 2", "Only one SQL statement"},
        {"ALTER TABLE \"klienci.dbf\" ADD COLUMN x INT", "not authorized"},
    };
    for (const auto &c : cases) {
        try {
            rows(c.sql);
            ADD_FAILURE() << c.sql;
        } catch (const EDBEngineError &e) {
            EXPECT_TRUE(e.message().contains(c.message)) << e.what();
        }
    }
    EXPECT_EQ(rows("SELECT 1; -- trailing comment").at(0).at(0), QStringLiteral("1"));
}

TEST_F(DbTest, ReadsVisualFoxProAndDosCodePageTables)
{
    EXPECT_EQ(rows("SELECT * FROM \"vfp.dbf\""),
              (std::vector<QStringList>{{"1", "12.5", "2024-03-05 14:30:15", "2.5", "opis wizualny", "2024-01-02"},
                                        {"2", "-7.0", "NULL", "0.0", "NULL", "NULL"}}));
    EXPECT_EQ(declaredTypes("SELECT * FROM \"vfp.dbf\""),
              (QStringList{"INTEGER", "MONEY DOUBLE", "TIMESTAMP TEXT", "FLOAT", "MEMO TEXT", "DATE TEXT"}));
    EXPECT_EQ(rows("SELECT NAZWA FROM \"dos852.dbf\"").at(0).at(0), QStringLiteral("Źdźbło żółwia"));
    rows("UPDATE \"dos852.dbf\" SET NAZWA = 'Łąka'");
    EXPECT_EQ(pydbf("dos852.dbf", "t[0].nazwa.strip()"), QStringLiteral("Łąka"));
}

TEST_F(DbTest, CorruptedFilesNeverCrashTheReader)
{
    // Every damaged copy either reads or gives the engine's error; none crashes or hangs.
    std::mt19937 random(20261210);
    rows("CREATE TABLE \"pmemo.db\" AS SELECT NAZWA, UWAGI || UWAGI AS UWAGI FROM \"klienci.dbf\"");
    ASSERT_TRUE(QFile::exists(path("pmemo.mb")));
    for (const char *table : {"klienci.dbf", "notatki.dbf", "vfp.dbf", "towary.db", "pmemo.db"}) {
        const QString base = QFileInfo(table).completeBaseName();
        const QByteArray original = testsupport::readBytes(path(table));
        const QStringList memos = QDir(dir.path()).entryList({base + ".dbt", base + ".fpt", base + ".mb"});
        const QByteArray memoOriginal = memos.isEmpty() ? QByteArray() : testsupport::readBytes(path(memos.first()));
        for (int round = 0; round < 150; ++round) {
            QByteArray damaged = original;
            QByteArray memo = memoOriginal;
            QByteArray &target = !memo.isEmpty() && round % 3 == 2 ? memo : damaged;
            for (int flips = 0; flips < 1 + round % 4; ++flips) {
                const qsizetype at = round % 2 ? random() % std::min<qsizetype>(target.size(), 700)
                                               : random() % target.size();
                target[at] = static_cast<char>(random());
            }
            const QString copy = QStringLiteral("zepsuty%1.%2").arg(round).arg(QFileInfo(table).suffix());
            testsupport::writeBytes(path(copy), damaged);
            if (!memos.isEmpty())
                testsupport::writeBytes(path(QStringLiteral("zepsuty%1.%2").arg(round).arg(QFileInfo(memos.first()).suffix())), memo);
            try {
                rows(QStringLiteral("SELECT * FROM \"%1\"").arg(copy));
            } catch (const EDBEngineError &) {
            }
        }
    }
}

TEST_F(DbTest, ReadsSmallParadoxMemosFromSharedBlocks)
{
    // Paradox keeps small memos in slots of a shared block (type 3): one made by hand here.
    rows("CREATE TABLE \"slot.db\" (Opis TEXT)");
    rows("INSERT INTO \"slot.db\" VALUES ('" + QString(40, QLatin1Char('x')) + "')");
    QByteArray table = testsupport::readBytes(path("slot.db"));
    QByteArray mb = testsupport::readBytes(path("slot.mb"));
    const QByteArray text = cp1250::encode(QStringLiteral("Notatka w slocie: ąęłńóśźż, dłuższa niż pole"));
    QByteArray block(4096, '\0');
    block[0] = 3;
    const int slot = 5, start = 0x20; // in 16-byte units from the block start
    block[12 + slot * 5] = static_cast<char>(start);
    block[12 + slot * 5 + 1] = static_cast<char>((text.size() + 15) / 16);
    block[12 + slot * 5 + 4] = static_cast<char>(text.size() % 16);
    block.replace(start * 16, text.size(), text);
    const quint32 offset = static_cast<quint32>(mb.size()) | slot;
    mb.append(block);
    // The record's memo field: leading bytes, then offset, length and modification number.
    const qsizetype field = table.indexOf(QByteArray(20, 'x'));
    ASSERT_GT(field, 0);
    const qsizetype pointer = field + 20;
    qToLittleEndian<quint32>(offset, table.data() + pointer);
    qToLittleEndian<quint32>(static_cast<quint32>(text.size()), table.data() + pointer + 4);
    testsupport::writeBytes(path("slot.db"), table);
    testsupport::writeBytes(path("slot.mb"), mb);
    EXPECT_EQ(rows("SELECT Opis FROM \"slot.db\"").at(0).at(0), QStringLiteral("Notatka w slocie: ąęłńóśźż, dłuższa niż pole"));
}

TEST_F(DbTest, TablesWithSecondaryIndexesAreNotChanged)
{
    testsupport::writeBytes(path("towary.X02"), "secondary index");
    const QByteArray before = testsupport::readBytes(path("towary.db"));
    try {
        rows("UPDATE towary SET Cena = 1");
        FAIL();
    } catch (const EDBEngineError &e) {
        EXPECT_TRUE(e.message().contains("secondary indexes")) << e.what();
    }
    EXPECT_EQ(testsupport::readBytes(path("towary.db")), before);
    rows("DROP TABLE towary");
    EXPECT_FALSE(QFile::exists(path("towary.X02")));
}

TEST_F(DbTest, TextsOfTableFilesSortGroupAndCompareInThePolishOrder)
{
    // Ł between L and M, Ż after Z, letter case second; equal only when the same.
    for (const char *file : {"miasta.dbf", "miasta.db"}) {
        const QString table = QStringLiteral("\"%1\"").arg(QLatin1String(file));
        rows("CREATE TABLE " + table + " (NAZWA CHAR(20))");
        rows("INSERT INTO " + table + " VALUES ('Zakopane'), ('Łódź'), ('Lublin'), ('łeba'), ('Żory'), ('Łeba'), ('Mława'),"
             " ('Łeba'), ('Ćmielów'), ('Cieszyn')");
        const auto column = [&](const QString &sql) {
            QStringList values;
            for (const QStringList &row : rows(sql))
                values.append(row.join(QLatin1Char('|')));
            return values;
        };
        EXPECT_EQ(column("SELECT NAZWA FROM " + table + " ORDER BY NAZWA"),
                  (QStringList{"Cieszyn", "Ćmielów", "Lublin", "łeba", "Łeba", "Łeba", "Łódź", "Mława", "Zakopane", "Żory"}))
            << file;
        EXPECT_EQ(column("SELECT NAZWA, count(*) FROM " + table + " GROUP BY NAZWA"),
                  (QStringList{"Cieszyn|1", "Ćmielów|1", "Lublin|1", "łeba|1", "Łeba|2", "Łódź|1", "Mława|1", "Zakopane|1",
                               "Żory|1"}))
            << file;
        EXPECT_EQ(column("SELECT min(NAZWA), max(NAZWA) FROM " + table), QStringList{"Cieszyn|Żory"}) << file;
        EXPECT_EQ(column("SELECT NAZWA FROM " + table + " WHERE NAZWA > 'L' AND NAZWA < 'M' ORDER BY 1"),
                  (QStringList{"Lublin", "łeba", "Łeba", "Łeba", "Łódź"}))
            << file;
        EXPECT_EQ(column("SELECT count(*) FROM " + table + " WHERE NAZWA = 'łeba'"), QStringList{"1"}) << file;
    }
}

TEST(PolishOrder, TextsTheCollatorHoldsEqualStayApart)
{
    // A character the collator passes over, and the two spellings of one accented letter.
    const std::pair<QString, QString> pairs[] = {
        {"ab", QStringLiteral("a") + QChar(1) + QStringLiteral("b")},
        {QStringLiteral("Łódź"), QStringLiteral("Łódz") + QChar(0x0301)},
        {"abc", "abc "},
    };
    for (const auto &[a, b] : pairs) {
        const QByteArray x = a.toUtf8(), y = b.toUtf8();
        const int order = comparePolish(x.constData(), x.size(), y.constData(), y.size());
        EXPECT_NE(order, 0) << a.toStdString();
        EXPECT_EQ(comparePolish(y.constData(), y.size(), x.constData(), x.size()), -order) << a.toStdString();
    }
}
