// Exports of a result, compared byte for byte (TXT, CSV) or read back by independent readers
// (python3-xlrd for XLS, python3-dbf for dBASE, pxcheck.py for Paradox).
#include "db/Database.h"
#include "db/Query.h"
#include "export/ResultExport.h"
#include "platform/Errors.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

using testsupport::cp;
using testsupport::readBytes;

namespace {

class ResultExport : public testsupport::FolderTest {
protected:
    // NAZWA text, ILOSC integer, KWOTA float, DATA date, over five rows.
    void openSample()
    {
        database.execute(QStringLiteral("CREATE TEMP TABLE probka (NAZWA VARCHAR(30), ILOSC INTEGER, KWOTA FLOAT, DATA DATE)"));
        database.execute(QStringLiteral(
            "INSERT INTO probka VALUES ('Łódź', 5, 1234.5, '2024-03-05'), ('Przedsiębiorstwo Handlowe', -3, -1234.5, NULL),"
            " ('Zero', 0, 0, '2024-12-31'), ('Miliard', 10, 1234567890.125, '2024-01-01'),"
            " ('Kowalski; \"Jan\"', 1, NULL, NULL)"));
        open({"SELECT * FROM probka"});
    }
    void open(const QStringList &sql)
    {
        result.close();
        result.sql().assign(sql);
        result.open();
    }
    QByteArray exported(const QString &name)
    {
        writeExport(result, name);
        return readBytes(path(name));
    }
    QString tool(const char *script, const QStringList &arguments)
    {
        QByteArray out, err;
        EXPECT_EQ(testsupport::run(KWERIX_PYTHON, QStringList{QStringLiteral(KWERIX_SOURCE_DIR "/tests/tools/") + script} + arguments,
                                   &out, &err),
                  0)
            << err.toStdString();
        return QString::fromUtf8(out).trimmed();
    }

    Database database;
    Query result{database};
};

const QByteArray kBlanks15(15, ' ');

TEST_F(ResultExport, TxtHasFixedColumnsOf15AndATotalsLineOf11Cells)
{
    openSample();
    const QByteArray expected = cp("     NAZWA          ILOSC          KWOTA           DATA     \r\n"
                                   "           Łódź              5       1 234,50     05.03.2024\r\n"
                                   "orstwo Handlowe             -3       -1234,50               \r\n"
                                   "           Zero              0           0,00     31.12.2024\r\n"
                                   "        Miliard             101234 567 890,12     01.01.2024\r\n"
                                   "Kowalski; \"Jan\"              1           0,00               \r\n")
        + kBlanks15 + kBlanks15 + "1234 567 890,12" + kBlanks15.repeated(8) + "\r\n";
    EXPECT_EQ(exported("wynik.txt"), expected);
}

TEST_F(ResultExport, CsvCellsEndWithSemicolonsAndQuoteWhatWouldBreakALine)
{
    openSample();
    const QByteArray expected = cp("NAZWA;ILOSC;KWOTA;DATA;\r\n"
                                   "Łódź;5;     1234,50;05.03.2024;\r\n"
                                   "Przedsiębiorstwo Handlowe;-3;    -1234,50;;\r\n"
                                   "Zero;0;        0,00;31.12.2024;\r\n"
                                   "Miliard;10;1234567890,12;01.01.2024;\r\n"
                                   "\"Kowalski; \"\"Jan\"\"\";1;        0,00;;\r\n")
        + kBlanks15 + kBlanks15 + "1234567890,12" + kBlanks15.repeated(8) + "\r\n";
    EXPECT_EQ(exported("wynik.csv"), expected);
}

TEST_F(ResultExport, OnlyTheFirst11FieldsAreSummed)
{
    QStringList columns;
    for (int i = 1; i <= 12; ++i)
        columns.append(QStringLiteral("%1.25 AS F%2").arg(i).arg(i));
    open({"SELECT " + columns.join(", ")});
    const QList<QByteArray> lines = exported("dwanascie.txt").split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].size(), 12 * 15 + 1);
    EXPECT_TRUE(lines[1].endsWith("          12,25\r"));
    QByteArray totals;
    for (int i = 1; i <= 11; ++i)
        totals += QByteArray::number(i).append(",25").rightJustified(15, ' ');
    EXPECT_EQ(lines[2], totals + "\r");
}

TEST_F(ResultExport, AnEmptyResultHasItsHeaderAndBlankTotals)
{
    open({"SELECT 'a' AS A, 'b' AS B WHERE 0"});
    EXPECT_EQ(exported("pusty.txt"), QByteArray("       A              B       \r\n") + kBlanks15.repeated(11) + "\r\n");
    EXPECT_EQ(exported("pusty.csv"), QByteArray("A;B;\r\n") + kBlanks15.repeated(11) + "\r\n");
    writeExport(result, "pusty.xls");
    EXPECT_EQ(tool("xlsdump.py", {path("pusty.xls")}), QStringLiteral("'Sheet 1' 1 2\n[(1, 'A'), (1, 'B')]"));
}

TEST_F(ResultExport, AFieldNameLongerThanItsColumnIsWrittenWhole)
{
    open({"SELECT 1 AS BARDZO_DLUGA_NAZWA_POLA, 2 AS B"});
    EXPECT_TRUE(exported("nazwy.txt").startsWith("BARDZO_DLUGA_NAZWA_POLA       B       \r\n"));
}

TEST_F(ResultExport, XlsHoldsIntegersFloatsAndTextsAsAnIndependentReaderSeesThem)
{
    openSample();
    writeExport(result, "wynik.xls");
    EXPECT_EQ(tool("xlsdump.py", {path("wynik.xls")}),
              QStringLiteral("'Sheet 1' 6 4\n"
                             "[(1, 'NAZWA'), (1, 'ILOSC'), (1, 'KWOTA'), (1, 'DATA')]\n"
                             "[(1, 'Łódź'), (2, 5.0), (2, 1234.5), (1, '05.03.2024')]\n"
                             "[(1, 'Przedsiębiorstwo Handlowe'), (2, -3.0), (2, -1234.5), (1, '')]\n"
                             "[(1, 'Zero'), (2, 0.0), (2, 0.0), (1, '31.12.2024')]\n"
                             "[(1, 'Miliard'), (2, 10.0), (2, 1234567890.125), (1, '01.01.2024')]\n"
                             "[(1, 'Kowalski; \"Jan\"'), (2, 1.0), (2, 0.0), (1, '')]"));
}

TEST_F(ResultExport, TablesAreMadeByTheBatchMove)
{
    openSample();
    writeExport(result, "wynik.dbf");
    EXPECT_EQ(tool("dbfeval.py", {path("wynik.dbf"), "[(r.nazwa.strip(), r.ilosc, r.kwota) for r in t]"}),
              QStringLiteral("[('Łódź', 5, 1234.5), ('Przedsiębiorstwo Handlowe', -3, -1234.5), ('Zero', 0, 0.0), "
                             "('Miliard', 10, 1234567890.125), ('Kowalski; \"Jan\"', 1, None)]"));
    writeExport(result, "wynik.DB");
    const QString px = tool("pxcheck.py", {path("wynik.DB"), "-", "5"});
    EXPECT_TRUE(px.contains(QStringLiteral("'Przedsiębiorstwo Handlowe', -3"))) << px.toStdString();
    EXPECT_TRUE(px.contains(QStringLiteral("rows decoded = 5"))) << px.toStdString();
    // No dot anywhere: ".DB" is added; any other extension names a Paradox table as it is.
    EXPECT_EQ(tableExportName("wynik"), QStringLiteral("wynik.DB"));
    EXPECT_EQ(tableExportName("..\\wynik"), QStringLiteral("..\\wynik"));
    writeExport(result, "wynik.xyz");
    EXPECT_TRUE(tool("pxcheck.py", {path("wynik.xyz"), "-", "1"}).contains(QStringLiteral("Łódź")));
}

TEST_F(ResultExport, TheKindFollowsTheLastExtensionWithoutRegardToCase)
{
    struct Case {
        const char *name;
        ExportKind kind;
    };
    const Case cases[] = {
        {"a.xls", ExportKind::Xls},   {"A.XLS", ExportKind::Xls},    {"a.Txt", ExportKind::Txt},
        {"a.csv", ExportKind::Csv},   {"a.csv.db", ExportKind::Table}, {"dane.v2/wynik", ExportKind::Table},
        {"dane.v2\\wynik", ExportKind::Table}, {"a.xlsx", ExportKind::Table}, {"table", ExportKind::Table},
    };
    for (const Case &c : cases)
        EXPECT_EQ(exportKindOf(QString::fromUtf8(c.name)), c.kind) << c.name;
}

TEST_F(ResultExport, FailuresWriteNoFileAndKeepTheOldOne)
{
    openSample();
    testsupport::writeBytes(path("stary.csv"), "stara treść\r\n");
    // A text Windows-1250 cannot hold: refused, naming the field and the record.
    open({"SELECT 'Łódź' AS MIASTO UNION ALL SELECT '東京'"});
    try {
        writeExport(result, "stary.csv");
        ADD_FAILURE() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("\r\nTekstu pola MIASTO w rekordzie 2 nie można zapisać w pliku: znaku \"東\" "
                                              "nie ma w stronie kodowej Windows-1250"));
    }
    EXPECT_EQ(readBytes(path("stary.csv")), QByteArray("stara treść\r\n"));
    // A missing folder and a closed result.
    EXPECT_THROW(writeExport(result, "brak/wynik.txt"), EFCreateError);
    result.close();
    try {
        writeExport(result, "zamkniety.txt");
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Cannot perform this operation on a closed dataset"));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"stary.csv"});
}

TEST_F(ResultExport, AResultLargerThanASheetIsRefusedBeforeAnythingIsWritten)
{
    open({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 65536) SELECT i FROM n"});
    try {
        writeExport(result, "duzy.xls");
        ADD_FAILURE() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("\r\nWynik ma 65 536 wierszy, a arkusz pliku XLS mieści najwyżej 65 535. "
                                              "Zapisz go do pliku .CSV lub .TXT."));
    }
    EXPECT_FALSE(QFile::exists(path("duzy.xls")));
    open({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 65535) SELECT i FROM n"});
    writeExport(result, "pelny.xls");
    EXPECT_TRUE(tool("xlsdump.py", {path("pelny.xls")}).startsWith(QStringLiteral("'Sheet 1' 65536 1")));
}

TEST_F(ResultExport, XlsKeepsEveryIntegerAndTextOrRefusesIt)
{
    // An INTEGER column holds 64 bits: no value may wrap to 32.
    database.execute(QStringLiteral("CREATE TEMP TABLE liczby (I INTEGER)"));
    database.execute(QStringLiteral("INSERT INTO liczby VALUES (5000000000), (-2147483649), (9007199254740993), (2147483647)"));
    open({"SELECT * FROM liczby"});
    writeExport(result, "duze.xls");
    EXPECT_EQ(tool("xlsdump.py", {path("duze.xls")}),
              QStringLiteral("'Sheet 1' 5 1\n[(1, 'I')]\n[(2, 5000000000.0)]\n[(2, -2147483649.0)]\n"
                             "[(1, '9007199254740993')]\n[(2, 2147483647.0)]"));

    // A text of Excel's 32,767 characters is kept; one more, bytes that are no text, or an
    // infinite float are refused naming field and record, and nothing is written.
    open({"SELECT 1 AS NR, printf('%.*c', 32767, 'x') AS T"});
    writeExport(result, "pelna.xls");
    EXPECT_EQ(tool("xlsdump.py", {path("pelna.xls"), "--column", "1"}).size(), 2 + 32767); // "T", a line end, the text
    const struct {
        const char *sql, *message;
    } refusals[] = {
        {"SELECT 1 AS NR, 'a' AS T UNION ALL SELECT 2, printf('%.*c', 65536, 'x')",
         "\r\nTekst pola T w rekordzie 2 ma 65536 znaków, a komórka arkusza mieści najwyżej 32 767 (dłuższego nie "
         "wczyta Excel). Zapisz wynik do pliku .CSV lub .TXT."},
        {"SELECT 1 AS NR, printf('%.*c', 100002, 'x') AS T",
         "\r\nTekst pola T w rekordzie 1 ma 100002 znaki, a komórka arkusza mieści najwyżej 32 767 (dłuższego nie "
         "wczyta Excel). Zapisz wynik do pliku .CSV lub .TXT."},
        {"SELECT 1 AS NR, CAST(x'41FF42' AS TEXT) AS T",
         "\r\nTekstu pola T w rekordzie 1 nie można zapisać w pliku: zawiera bajty, które nie są poprawnym tekstem (UTF-8)"},
        {"SELECT 1 AS NR, CAST(1e308 * 10 AS FLOAT) AS T",
         "\r\nWartości pola T w rekordzie 1 (INF) nie można zapisać w pliku XLS: arkusz przechowuje tylko liczby skończone"},
    };
    for (const auto &r : refusals) {
        open({QString::fromUtf8(r.sql)});
        try {
            writeExport(result, "zly.xls");
            ADD_FAILURE() << r.sql;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(r.message));
        }
        EXPECT_FALSE(QFile::exists(path("zly.xls")));
    }
}

TEST_F(ResultExport, BytesThatAreNoTextAreRefusedByEveryExport)
{
    for (const char *name : {"zly.txt", "zly.csv", "zly.xls", "zly.dbf", "zly.db"}) {
        open({"SELECT 1 AS NR, CAST(x'41FF42' AS TEXT) AS T"});
        EXPECT_THROW(writeExport(result, name), Exception) << name;
        EXPECT_FALSE(QFile::exists(path(name))) << name;
    }
}

TEST_F(ResultExport, AmountsOfEveryMagnitudeInTxtAndCsv)
{
    open({"SELECT CAST(-5000000000.25 AS FLOAT) AS K UNION ALL SELECT 1e15 UNION ALL SELECT -9.3e14 "
          "UNION ALL SELECT 1e308 * 10 UNION ALL SELECT 0.005 UNION ALL SELECT -0.004"});
    const QByteArray txt = exported("duze.txt");
    EXPECT_EQ(txt, QByteArray("       K       \r\n"
                              " -5000000000,25\r\n"
                              "1000000000 000 000,00\r\n"
                              "-930000000000000,00\r\n"
                              "            INF\r\n"
                              "           0,00\r\n"
                              "           0,00\r\n"
                              "            INF")
                       + QByteArray(150, ' ') + "\r\n");
    open({"SELECT CAST(-5000000000.25 AS FLOAT) AS K UNION ALL SELECT 1e15 UNION ALL SELECT -9.3e14"});
    EXPECT_EQ(exported("duze.csv"), QByteArray("K;\r\n-5000000000,25;\r\n1000000000000000,00;\r\n-930000000000000,00;\r\n"
                                               "69994999999999,75")
                                        + QByteArray(150, ' ') + "\r\n");
}

TEST_F(ResultExport, ANameOfAFolderIsRefused)
{
    QDir().mkpath(path("podfolder"));
    for (const char *name : {"podfolder/", "podfolder\\"}) {
        open({"SELECT 1 AS A"});
        try {
            writeExport(result, name);
            ADD_FAILURE() << name;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.message(), "\r\nNazwa \"" + QString::fromLatin1(name) + "\" wskazuje folder, a nie plik: dopisz nazwę pliku");
        }
    }
    EXPECT_TRUE(QDir(path("podfolder")).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
