#include "DbTestSupport.h"

#include "db/Query.h"
#include "db/Table.h"
#include "platform/Errors.h"

#include <QFile>

using testsupport::DbTest;

namespace {

QStringList column(DataSet &ds, const QString &name)
{
    QStringList values;
    for (ds.first(); !ds.eof(); ds.next())
        values.append(ds.fieldByName(name)->asString());
    return values;
}

void makeSqliteDatabase(const QString &path)
{
    QByteArray err;
    const QString script = QStringLiteral(
        "import sqlite3\nc = sqlite3.connect('%1')\n"
        "c.execute('CREATE TABLE magazyn (id INTEGER PRIMARY KEY, nazwa VARCHAR(20), ilosc INTEGER, cena REAL)')\n"
        "c.execute('CREATE INDEX idx_nazwa ON magazyn(nazwa, ilosc)')\n"
        "c.executemany('INSERT INTO magazyn VALUES (?,?,?,?)', [(1,'śruba',10,0.5),(2,'gwóźdź',200,0.1),(3,'młotek',1,25.0)])\n"
        "c.commit()\n").arg(path);
    ASSERT_EQ(testsupport::run(KWERIX_PYTHON, {"-c", script}, nullptr, &err), 0) << err.toStdString();
}

} // namespace

TEST_F(DbTest, TablesOrderTheirRowsByTheChosenIndex)
{
    Table table(*db);
    table.setTableName("cennik.db");
    table.updateIndexDefs();
    ASSERT_EQ(table.indexDefs().size(), 1u);
    EXPECT_EQ(table.indexDefs()[0].name, QString());
    EXPECT_EQ(table.indexDefs()[0].fields, QStringList{"Kod"});
    table.open();
    EXPECT_EQ(column(table, "Kod"), (QStringList{"10", "11", "12", "13"}));
    EXPECT_EQ(table.indexFieldCount(), 1);
    EXPECT_EQ(table.indexField(0)->fieldName(), QStringLiteral("Kod"));
    // Texts in the Polish alphabetical order: Ł between L and M, Ż after Z.
    table.setIndexFieldNames("Nazwa");
    EXPECT_EQ(column(table, "Nazwa"), (QStringList{"Łódka", "Pusty", "Zwykly", "Żółw"}));
    EXPECT_EQ(table.indexName(), QString());
    EXPECT_THROW(table.setIndexName("brak"), EDatabaseError);
}

TEST_F(DbTest, SqliteDatabaseFilesAreTablesWithTheirIndexes)
{
    makeSqliteDatabase(path("magazyn.db"));
    Table table(*db);
    table.setTableName("magazyn.db");
    table.updateIndexDefs();
    ASSERT_EQ(table.indexDefs().size(), 1u);
    EXPECT_EQ(table.indexDefs()[0].name, QStringLiteral("idx_nazwa"));
    EXPECT_EQ(table.indexDefs()[0].fields, (QStringList{"nazwa", "ilosc"}));
    table.setIndexName("idx_nazwa");
    table.open();
    EXPECT_EQ(column(table, "nazwa"), (QStringList{"gwóźdź", "młotek", "śruba"}));
    EXPECT_EQ(table.fieldByName("cena")->dataType(), FieldType::ftFloat);

    rows("UPDATE \"magazyn.db\" SET ilosc = ilosc + 1 WHERE id = 3");
    rows("DELETE FROM magazyn WHERE id = 1");
    rows("INSERT INTO magazyn (nazwa, ilosc) VALUES ('piła', 4)");
    QByteArray out;
    testsupport::run(KWERIX_PYTHON, {"-c", "import sqlite3\nprint(sqlite3.connect('magazyn.db').execute("
                                           "'SELECT group_concat(nazwa || \":\" || ilosc) FROM magazyn').fetchone()[0])"},
                     &out);
    EXPECT_EQ(QString::fromUtf8(out).trimmed(), QStringLiteral("gwóźdź:200,młotek:2,piła:4"));
}

class BatchMoveTest : public DbTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(BatchMoveTest, CopiesEveryValueIntoANewTable)
{
    Query source(*db);
    source.sql().assign({"SELECT NAZWA, MIASTO, SALDO, ILOSC, OD, AKTYWNY, UWAGI, '  wcięcie' AS WCIECIE, "
                         "SALDO * 3 AS POTROJNE FROM \"klienci.dbf\" ORDER BY NAZWA"});
    const QString name = QString::fromUtf8(GetParam());
    testsupport::writeBytes(path(name), "stary plik do zastąpienia");
    Table destination(*db);
    destination.setTableName(name);
    BatchMove move;
    move.source = &source;
    move.destination = &destination;
    move.execute();
    EXPECT_TRUE(source.active());

    Query copy(*db);
    copy.sql().assign({QStringLiteral("SELECT * FROM \"%1\" ORDER BY NAZWA").arg(name)});
    copy.open();
    ASSERT_EQ(copy.recordCount(), source.recordCount());
    ASSERT_EQ(copy.fieldCount(), source.fieldCount());
    for (source.first(), copy.first(); !source.eof(); source.next(), copy.next()) {
        for (int f = 0; f < source.fieldCount(); ++f)
            EXPECT_EQ(copy.field(f)->asString(), source.field(f)->asString()) << source.field(f)->fieldName().toStdString();
    }
    EXPECT_EQ(copy.fieldByName("OD")->dataType(), FieldType::ftDate);
    EXPECT_EQ(copy.fieldByName("UWAGI")->dataType(), FieldType::ftMemo);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BatchMoveTest, ::testing::Values("wynik.db", "wynik.dbf", "wynik.xyz", "WYNIK.DB"));

TEST_F(DbTest, BatchMoveFilesReadInIndependentReaders)
{
    Query source(*db);
    source.sql().assign({"SELECT NAZWA, SALDO, OD, AKTYWNY, UWAGI FROM \"klienci.dbf\" WHERE ILOSC = 7"});
    Table destination(*db);
    BatchMove move;
    move.source = &source;
    move.destination = &destination;
    destination.setTableName("px.db");
    move.execute();
    destination.setTableName("xb.dbf");
    move.execute();
    const QString memo = QStringLiteral("Stały klient, płaci w terminie. ").repeated(40);
    EXPECT_TRUE(pxcheck("px.db", "px.mb").contains(
        QStringLiteral("['Zakład Łódź', 1234.5, datetime.date(2024, 3, 5), True, '%1']").arg(memo)));
    EXPECT_EQ(pydbf("xb.dbf", "[(r.nazwa.rstrip(),) + tuple(r)[1:] for r in t]"),
              QStringLiteral("[('Zakład Łódź', 1234.5, datetime.date(2024, 3, 5), True, '%1')]").arg(memo));
}
