#include "export/XlsToCsv.h"
#include "support/TestSupport.h"
#include "xls/Workbook.h"
#include "xls/XlsTestSupport.h"

#include <QDir>
#include <QFile>

using testsupport::cp;
using testsupport::readBytes;

namespace {

class Conversion : public testsupport::PolishTest {
protected:
    void SetUp() override
    {
        PolishTest::SetUp();
        QDir(dir.path()).mkpath("katalog/sub");
        QDir(dir.path()).mkpath("praca/sub");
        m_cwd = QDir::currentPath();
        QDir::setCurrent(path("praca"));
    }
    void TearDown() override
    {
        QDir::setCurrent(m_cwd);
        PolishTest::TearDown();
    }
    QString catalogue() const { return path("katalog") + "/"; }
    void save(TXlsWorkbook &book, const QString &name)
    {
        book.filename = catalogue() + name;
        book.write();
    }
    QByteArray converted(const QString &name)
    {
        TXlsWorkbook xls;
        return readBytes(path("praca/") + przepiszXlsDoCsv(xls, catalogue(), name));
    }

private:
    QString m_cwd;
};

} // namespace

TEST(CsvCell, QuotesOnlyTextsThatNeedIt)
{
    EXPECT_EQ(csvCell("zwykły tekst"), QStringLiteral("zwykły tekst"));
    EXPECT_EQ(csvCell("a;b"), QStringLiteral("\"a;b\""));
    EXPECT_EQ(csvCell("powiedział \"tak\""), QStringLiteral("\"powiedział \"\"tak\"\"\""));
    EXPECT_EQ(csvCell("dwa\nwiersze"), QStringLiteral("\"dwa\nwiersze\""));
    EXPECT_EQ(csvCell("cr\r"), QStringLiteral("\"cr\r\""));
    EXPECT_EQ(csvCell(""), QString());
}

TEST_F(Conversion, WritesEveryRowOfTheUsedRangeWithASemicolonAfterEveryCell)
{
    TXlsWorkbook book;
    TSheet &sheet = book.sheet(0);
    sheet.setAsString(0, 0, "Nazwa");
    sheet.setAsInteger(2, 0, 5);
    sheet.setAsWideString(0, 2, "Łódź; \"centrum\"");
    sheet.setAsFloat(1, 2, 12.5);
    book.addSheet().setAsString(0, 0, "drugi arkusz");
    save(book, "dane.xls");
    EXPECT_EQ(converted("dane.xls"), cp("Nazwa;;5;\r\n;;;\r\n\"Łódź; \"\"centrum\"\"\";12,5;;\r\n"));
    EXPECT_TRUE(QFile::exists(path("praca/dane.csv")));
}

TEST_F(Conversion, OutputNamesFollowTheNameAsTyped)
{
    TXlsWorkbook book;
    book.sheet(0).setAsInteger(0, 0, 1);
    save(book, "raport.2024.xls");
    save(book, "sub/dane.xls");
    save(book, ".xls");
    TXlsWorkbook xls;
    EXPECT_EQ(przepiszXlsDoCsv(xls, catalogue(), "raport.2024.xls"), QStringLiteral("raport.csv"));
    EXPECT_EQ(przepiszXlsDoCsv(xls, catalogue(), "sub\\dane.xls"), QStringLiteral("sub/dane.csv"));
    EXPECT_EQ(przepiszXlsDoCsv(xls, catalogue(), ".xls"), QStringLiteral(".csv"));
    EXPECT_EQ(readBytes(path("praca/sub/dane.csv")), QByteArray("1;\r\n"));
    EXPECT_THROW(przepiszXlsDoCsv(xls, catalogue(), path("katalog/dane.xls")), Exception);
}

TEST_F(Conversion, WideSheetsKeepEveryColumnAndEmptySheetsGiveEmptyFiles)
{
    TXlsWorkbook wide;
    for (int c = 0; c < 40; ++c)
        wide.sheet(0).setAsInteger(c, 0, c);
    save(wide, "szeroki.xls");
    QByteArray expected;
    for (int c = 0; c < 40; ++c)
        expected += QByteArray::number(c) + ';';
    EXPECT_EQ(converted("szeroki.xls"), expected + "\r\n");

    TXlsWorkbook empty;
    save(empty, "pusty.xls");
    EXPECT_EQ(converted("pusty.xls"), QByteArray(";\r\n"));
}

TEST_F(Conversion, FailuresWriteNoFile)
{
    TXlsWorkbook xls;
    EXPECT_THROW(przepiszXlsDoCsv(xls, catalogue(), "brak.xls"), EFOpenError);
    testsupport::writeBytes(path("katalog/tekst.xls"), "to nie arkusz");
    try {
        przepiszXlsDoCsv(xls, catalogue(), "tekst.xls");
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("BOF is missing in file"));
    }
    EXPECT_FALSE(QFile::exists(path("praca/brak.csv")));
    EXPECT_FALSE(QFile::exists(path("praca/tekst.csv")));
}

TEST_F(Conversion, BatchProgramConvertsWithTheCatalogueBesideIt)
{
    QFile::copy(KWERIX_BATCH, path("katalog/kwerix-batch"));
    testsupport::writeBytes(path("katalog/sqls.ini"), "[NAZWA_SQL]\r\n");
    TXlsWorkbook book;
    book.sheet(0).setAsString(0, 0, "z programu");
    save(book, "wsadowy.xls");
    QByteArray out, err;
    EXPECT_EQ(testsupport::run(path("katalog/kwerix-batch"), {"xls2csv", "wsadowy.xls"}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(readBytes(path("praca/wsadowy.csv")), QByteArray("z programu;\r\n"));
    EXPECT_EQ(testsupport::run(path("katalog/kwerix-batch"), {"xls2csv", "brak.xls"}, &out, &err), 1);
    EXPECT_TRUE(err.startsWith("Cannot open file")) << err.toStdString();
    EXPECT_EQ(testsupport::run(path("katalog/kwerix-batch"), {"xls2csv"}, &out, &err), 2);
    EXPECT_TRUE(err.contains("usage:"));
}

TEST_F(Conversion, SheetsTheirFileDeclaresEmptyGiveEmptyFilesAtOnce)
{
    // DIMENSIONS with the first row equal to the last row + 1, as other programs write empty sheets.
    const QByteArray sheet = testsupport::record(biff::DIMENSIONS, RecordData().u32(0).u32(0).u16(0).u16(0).u16(0).bytes);
    testsupport::writeCompound(catalogue() + "obcy.xls", testsupport::biff8Stream({}, sheet));
    EXPECT_EQ(converted("obcy.xls"), QByteArray());
    EXPECT_TRUE(QFile::exists(path("praca/obcy.csv")));
}

TEST_F(Conversion, ADeclaredRangeBeyondTheCellsGivesTheirLinesAlone)
{
    // A BIFF4 worksheet declaring 65,535 rows x 255 columns for 2 x 2 cells.
    QByteArray biff4 = testsupport::record(0x0409, RecordData().u16(0).u16(0x0010).u16(0).bytes)
        + testsupport::record(biff::DIMENSIONS, RecordData().u16(0).u16(65535).u16(0).u16(255).u16(0).bytes);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column)
            biff4 += testsupport::record(0x0203, RecordData().u16(row).u16(column).u16(15).f64(row * 10 + column).bytes);
    }
    testsupport::writeBytes(catalogue() + "biff4.xls", biff4 + testsupport::record(biff::EOF_, {}));
    EXPECT_EQ(converted("biff4.xls"), QByteArray("0;1;\r\n10;11;\r\n"));
}

TEST_F(Conversion, BiffEightRecordsInAStreamNamedBookAreConverted)
{
    const QByteArray cells = testsupport::record(biff::DIMENSIONS, RecordData().u32(0).u32(1).u16(0).u16(2).u16(0).bytes)
        + testsupport::record(biff::NUMBER, RecordData().u16(0).u16(0).u16(15).f64(1).bytes)
        + testsupport::record(biff::NUMBER, RecordData().u16(0).u16(1).u16(15).f64(2.5).bytes);
    testsupport::writeCompound(catalogue() + "book.xls", testsupport::biff8Stream({}, cells), QStringLiteral("Book"));
    EXPECT_EQ(converted("book.xls"), QByteArray("1;2,5;\r\n"));
}
