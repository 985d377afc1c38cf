#include "support/TestSupport.h"
#include "xls/Workbook.h"

using testsupport::PolishTest;

TEST_F(PolishTest, StoringTwiceKeepsTheLaterValueAndTheFirstFormat)
{
    TXlsWorkbook book;
    TSheet &sheet = book.sheet(0);
    sheet.setAsInteger(1, 2, 5);
    const_cast<TCell *>(sheet.cell(1, 2))->formatIndex = 3;
    sheet.setAsFloat(1, 2, 7.5);
    EXPECT_EQ(sheet.cells().count(), 1);
    EXPECT_EQ(sheet.cell(1, 2)->kind, CellKind::Float);
    EXPECT_EQ(sheet.cell(1, 2)->formatIndex, 3);
    EXPECT_EQ(sheet.asString(1, 2), QStringLiteral("7,5"));
    // Column 256 wraps onto column 0 of the same row.
    sheet.setAsInteger(0, 4, 1);
    sheet.setAsInteger(256, 4, 2);
    EXPECT_EQ(sheet.asString(0, 4), QStringLiteral("2"));
    EXPECT_EQ(sheet.cells().count(), 2);
}

TEST_F(PolishTest, SharedStringsCountStoresAndKeepTheTwoKindsApart)
{
    TXlsWorkbook book;
    TSheet &sheet = book.sheet(0);
    sheet.setAsWideString(0, 0, QStringLiteral("Łódź"));
    sheet.setAsWideString(1, 0, QStringLiteral("Łódź"));
    EXPECT_EQ(book.sharedStrings.count(), 1);
    EXPECT_EQ(book.sharedStrings.at(0).refCount, 2);
    EXPECT_EQ(book.sharedStrings.totalCount(), 2);
    sheet.setAsString(2, 0, QStringLiteral("Łódź"));
    EXPECT_EQ(book.sharedStrings.count(), 2);
    EXPECT_FALSE(book.sharedStrings.at(1).wide);
    EXPECT_EQ(book.sharedStrings.totalCount(), 3);
    EXPECT_EQ(sheet.asString(2, 0), QStringLiteral("Łódź"));
    try {
        book.sharedStrings.at(5);
        FAIL();
    } catch (const XlsError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("SST index out of range (5:2)"));
    }
}

TEST_F(PolishTest, CellsReadAsTheirText)
{
    TXlsWorkbook book;
    TSheet &sheet = book.sheet(0);
    sheet.setAsFloat(0, 0, 5);
    sheet.setAsFloat(1, 0, 12.5);
    sheet.setAsInteger(2, 0, -42);
    sheet.setBoolean(3, 0, true);
    sheet.setError(4, 0, 7);
    sheet.setError(5, 0, 0);
    sheet.setBlank(6, 0);
    sheet.setAsFloat(7, 0, 1e20);
    const QStringList expected = {"5", "12,5", "-42", "TRUE", "#N/A", "[int] No error value", "", "1E20", ""};
    for (int c = 0; c < expected.size(); ++c)
        EXPECT_EQ(sheet.asString(c, 0), expected[c]) << c;
}

TEST_F(PolishTest, ClearLeavesOneEmptySheetNamedByItsRunningNumber)
{
    TXlsWorkbook book;
    EXPECT_EQ(book.sheet(0).name(), QStringLiteral("Sheet 1"));
    book.addSheet();
    book.sheet(0).setAsInteger(3, 3, 1);
    book.sharedStrings.add(QStringLiteral("x"), false);
    book.clear();
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheet(0).name(), QStringLiteral("Sheet 3"));
    EXPECT_TRUE(book.sheet(0).cells().empty());
    EXPECT_EQ(book.sheet(0).lastRow, 0);
    EXPECT_EQ(book.sharedStrings.count(), 0);
    EXPECT_EQ(book.fonts.size(), 5u);
    EXPECT_TRUE(book.defaults);
}

TEST_F(PolishTest, SheetNamesAreUniqueWithoutRegardToCase)
{
    TXlsWorkbook book;
    TSheet &second = book.addSheet();
    try {
        second.setName(QStringLiteral("sheet 1"));
        FAIL();
    } catch (const XlsError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Sheet name \"SHEET 1\" allready exists"));
    }
    second.setName(QStringLiteral("Żółty"));
    EXPECT_EQ(second.name(), QStringLiteral("Żółty"));
    // Names read from a file carry their kind character and are not checked.
    second.setName(QString(QChar(1)) + QStringLiteral("Sheet 1"));
    EXPECT_EQ(second.name(), QStringLiteral("Sheet 1"));
}

TEST(Workbook, NoFontsIsAnError)
{
    TXlsWorkbook book;
    book.fonts.clear();
    EXPECT_THROW(book.font(), XlsError);
}
