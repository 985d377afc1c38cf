#include "XlsTestSupport.h"

#include <QDir>
#include <random>

using namespace testsupport;

namespace {

TXlsWorkbook readBook(const QString &path)
{
    TXlsWorkbook book;
    book.filename = path;
    book.read();
    return book;
}

QStringList rowText(const TSheet &sheet, int row, int columns)
{
    QStringList cells;
    for (int c = 0; c < columns; ++c)
        cells.append(sheet.asString(c, row));
    return cells;
}

void expectError(const QString &path, const QString &message)
{
    TXlsWorkbook book;
    book.filename = path;
    try {
        book.read();
        ADD_FAILURE() << "no error for " << path.toStdString();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), message) << path.toStdString();
    }
}

// A BIFF4 worksheet as older programs write it, 27 rows x 4 columns from row 2 and column 1 (a
// text, then numbers), after the given records.
QByteArray biff4Sheet(const QByteArray &before)
{
    QByteArray biff4 = record(0x0409, RecordData().u16(0).u16(0x0010).u16(0).bytes) + before;
    for (int row = 2; row < 29; ++row) {
        biff4 += record(0x0204, RecordData().u16(row).u16(1).u16(15).u16(6).raw("wiersz").bytes);
        for (int column = 2; column < 5; ++column)
            biff4 += record(0x0203, RecordData().u16(row).u16(column).u16(15).f64(row * 10 + column).bytes);
    }
    return biff4 + record(biff::EOF_, {});
}

} // namespace

TEST_F(PolishTest, ReadsWorkbooksWrittenByXlwt)
{
    TXlsWorkbook book = readBook(XLS_FIXTURES "/xlwt_mixed.xls");
    EXPECT_EQ(book.version(), TExcelVersion::xvExcel97);
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheet(0).name(), QStringLiteral("Faktury"));
    EXPECT_EQ(book.sheet(1).name(), QStringLiteral("Długie teksty"));
    EXPECT_EQ(book.sheet(2).name(), QStringLiteral("Pusty"));
    const TSheet &first = book.sheet(0);
    EXPECT_EQ(rowText(first, 0, 4), (QStringList{"Nazwa", "", "5", ""}));
    EXPECT_EQ(rowText(first, 1, 3), (QStringList{"Zażółć gęślą jaźń", "12,5", "-1234567,25"}));
    EXPECT_EQ(rowText(first, 2, 2), (QStringList{"TRUE", "123456789"}));
    EXPECT_EQ(first.asString(3, 3), QStringLiteral("ósma; \"cytat\""));
    EXPECT_EQ(first.firstRow, 0);
    EXPECT_EQ(first.lastRow, 3);
    EXPECT_EQ(first.firstCol, 0);
    EXPECT_EQ(first.lastCol, 3);
    // Strings split over CONTINUE records inside both kinds of text read back whole.
    const TSheet &texts = book.sheet(1);
    for (int row = 0; row < 60; ++row) {
        EXPECT_EQ(texts.asString(0, row), QStringLiteral("latin-%1 ").arg(row, 2, 10, QLatin1Char('0'))
                                              + QString(400 + row * 7, QLatin1Char('x')));
        EXPECT_EQ(texts.asString(1, row), QStringLiteral("unicode-%1 ").arg(row, 2, 10, QLatin1Char('0'))
                                              + QString(300 + row * 5, QChar(0x0142)));
    }
    EXPECT_TRUE(book.sheet(2).cells().empty());
    EXPECT_FALSE(book.defaults);
}

TEST_F(PolishTest, ReadsFormulaResultsWrittenByLibreOffice)
{
    TXlsWorkbook book = readBook(XLS_FIXTURES "/libreoffice_formulas.xls");
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheet(0).name(), QStringLiteral("Wzory"));
    EXPECT_EQ(rowText(book.sheet(0), 0, 7),
              (QStringList{"Łódź", "2", "Łódź i okolice", "42", "TRUE", "#DIV/0!", ""}));
    EXPECT_EQ(book.sheet(0).cell(2, 0)->kind, CellKind::StringFormula);
    EXPECT_EQ(book.sheet(0).asString(0, 1), QStringLiteral("Drugi wiersz"));
    EXPECT_EQ(book.sheet(1).name(), QStringLiteral("Drugi arkusz"));
    EXPECT_EQ(book.sheet(1).asString(0, 0), QStringLiteral("7"));
}

TEST_F(PolishTest, WrittenWorkbooksReadBackWithTheirCellsAndRanges)
{
    TXlsWorkbook book;
    TSheet &sheet = book.sheet(0);
    sheet.setAsInteger(2, 3, 7);
    sheet.setAsFloat(5, 9, 12.5);
    sheet.setAsWideString(3, 4, QStringLiteral("Żółw"));
    sheet.setAsString(4, 4, QStringLiteral("Łódź"));
    book.filename = path("tam_i_z_powrotem.xls");
    book.write();
    TXlsWorkbook again = readBook(path("tam_i_z_powrotem.xls"));
    const TSheet &read = again.sheet(0);
    EXPECT_EQ(read.cell(2, 3)->kind, CellKind::Float);
    EXPECT_EQ(read.asString(2, 3), QStringLiteral("7"));
    EXPECT_EQ(read.asString(5, 9), QStringLiteral("12,5"));
    EXPECT_EQ(read.asString(3, 4), QStringLiteral("Żółw"));
    EXPECT_EQ(read.asString(4, 4), QStringLiteral("Łódź"));
    EXPECT_EQ((std::vector<int>{read.firstRow, read.lastRow, read.firstCol, read.lastCol}), (std::vector<int>{3, 9, 2, 5}));
    EXPECT_EQ(read.name(), QStringLiteral("Sheet 1"));
}

TEST_F(PolishTest, MalformedFilesGiveTheirErrors)
{
    testsupport::writeBytes(path("tekst.xls"), "Nazwa;Kwota\r\nx;1\r\n");
    expectError(path("tekst.xls"), QStringLiteral("BOF is missing in file"));
    writeCompound(path("bez_workbook.xls"), QByteArray("dane"), QStringLiteral("Inny"));
    expectError(path("bez_workbook.xls"), QStringLiteral("File is not a Excel Workbook"));
    writeCompound(path("duzy_bof.xls"), record(biff::BOF, QByteArray(300, '\0')));
    expectError(path("duzy_bof.xls"), QStringLiteral("Invalid BOF size"));
    writeCompound(path("haslo.xls"), biff8Stream(record(biff::FILEPASS, QByteArray(6, '\1')), {}));
    expectError(path("haslo.xls"), QStringLiteral("Error on reading record # 1\rFile is password protected"));

    const QByteArray sst = record(biff::SST, RecordData().u32(3).u32(3).u16(5).u8(0).raw("abcde").u16(4).u8(0).raw("xy").bytes)
        + record(biff::EOF_, {});
    writeCompound(path("bez_continue.xls"), biff8Stream({}, {}, sst));
    expectError(path("bez_continue.xls"), QStringLiteral("Error on reading record # 2\rCONTINUE record is missing in SST"));

    const struct {
        const char *name;
        QByteArray sheet;
        const char *message;
    } cells[] = {
        {"mulrk.xls", record(biff::MULRK, RecordData().u16(0).u16(0).u16(15).u32(2).u16(15).u32(6).u16(5).bytes),
         "MULRK record does not match its length"},
        {"mulblank.xls", record(biff::MULBLANK, RecordData().u16(0).u16(1).u16(15).u16(15).u16(1).bytes),
         "MULBLANK record does not match its length"},
        {"kolumna.xls", record(biff::NUMBER, RecordData().u16(0).u16(300).u16(15).f64(1).bytes),
         "Cell column 300 is out of range (row 0)"},
        {"krotki.xls", record(biff::NUMBER, RecordData().u16(0).u16(1).u16(15).bytes),
         "The record is shorter than its content (6 bytes)"},
    };
    for (const auto &c : cells) {
        writeCompound(path(c.name), biff8Stream({}, c.sheet));
        expectError(path(c.name), QStringLiteral("Error on reading record # 5\r%1").arg(QString::fromUtf8(c.message)));
    }

    // A stream cut inside a record.
    QByteArray cut = biff8Stream({}, record(biff::NUMBER, RecordData().u16(0).u16(1).u16(15).f64(1).bytes));
    writeCompound(path("obciety.xls"), cut.left(cut.size() - 10));
    expectError(path("obciety.xls"), QStringLiteral("Error on reading record # 5\rThe record runs past the end of the stream"));
    // A record longer than any the reader reads, running past the end of the stream.
    const QByteArray bof = record(biff::BOF, RecordData().u16(0x0600).u16(0x0005).u16(0).u16(0).u32(0).u32(0).bytes);
    writeCompound(path("za_dlugi.xls"), bof + RecordData().u16(0x1234).u16(0xFFFF).bytes + QByteArray(10, 'x'));
    expectError(path("za_dlugi.xls"), QStringLiteral("Error on reading record # 1\rThe record runs past the end of the stream"));
}

TEST_F(PolishTest, ReaderPassesOverWhatItNeedNotRead)
{
    // A record longer than the buffer is skipped; a chart sheet first uses up its name.
    const QByteArray chartBof = RecordData().u16(0x0600).u16(0x0020).u16(0).u16(0).u32(0).u32(0).bytes;
    const QByteArray sheetBof = RecordData().u16(0x0600).u16(0x0010).u16(0).u16(0).u32(0).u32(0).bytes;
    const QByteArray bof = RecordData().u16(0x0600).u16(0x0005).u16(0).u16(0).u32(0).u32(0).bytes;
    const auto boundSheet = [](const QByteArray &name, int type) {
        return record(biff::BOUNDSHEET, RecordData().u32(0).u16(type << 8).u8(static_cast<int>(name.size())).u8(0).bytes + name);
    };
    QByteArray stream = record(biff::BOF, bof) + boundSheet("Wykres", 2) + boundSheet("Dane", 0)
        + record(biff::SST, RecordData().u32(0).u32(0).bytes) + record(biff::EOF_, {});
    stream += record(biff::BOF, chartBof) + record(0x1002, QByteArray(16, '\0')) + record(biff::EOF_, {});
    stream += record(biff::BOF, sheetBof) + record(0x1234, QByteArray(9000, 'x'))
        + record(biff::NUMBER, RecordData().u16(1).u16(2).u16(15).f64(3.5).bytes) + record(biff::EOF_, {});
    writeCompound(path("wykres.xls"), stream);
    TXlsWorkbook book = readBook(path("wykres.xls"));
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheet(0).name(), QStringLiteral("Dane"));
    EXPECT_EQ(book.sheet(0).asString(2, 1), QStringLiteral("3,5"));
}

TEST_F(PolishTest, EmptyDimensionsAreRemembered)
{
    writeCompound(path("pusty.xls"), biff8Stream({}, record(biff::DIMENSIONS, RecordData().u32(0).u32(0).u16(0).u16(0).u16(0).bytes)));
    TXlsWorkbook book = readBook(path("pusty.xls"));
    EXPECT_TRUE(book.sheet(0).declaredEmpty);
    EXPECT_EQ(book.sheet(0).lastRow, 0xFFFF);
}

TEST_F(PolishTest, SheetsWithoutDimensionsUseTheRangeOfTheirCells)
{
    // A BIFF4 worksheet as an older program writes it: no DIMENSIONS, 27 rows x 4 columns from
    // row 2 and column 1; and a BIFF8 sheet without DIMENSIONS and without cells.
    writeBytes(path("stary.xls"), biff4Sheet({}));
    TXlsWorkbook book = readBook(path("stary.xls"));
    const TSheet &sheet = book.sheet(0);
    EXPECT_FALSE(sheet.declaredEmpty);
    EXPECT_EQ((std::vector<int>{sheet.firstRow, sheet.lastRow, sheet.firstCol, sheet.lastCol}), (std::vector<int>{2, 28, 1, 4}));
    EXPECT_EQ(rowText(sheet, 28, 5), (QStringList{"", "wiersz", "282", "283", "284"}));

    writeCompound(path("bez.xls"), biff8Stream({}, {}));
    TXlsWorkbook empty = readBook(path("bez.xls"));
    EXPECT_TRUE(empty.sheet(0).declaredEmpty);
}

TEST_F(PolishTest, RecordIdZeroIsDimensionsOnlyInBiff2)
{
    // BIFF8: 19 x 15 cells, their DIMENSIONS, then records of id 0 that would claim 18 x 14 or
    // hold nothing at all.
    QByteArray cells;
    for (int row = 0; row < 19; ++row) {
        for (int column = 0; column < 15; ++column)
            cells += record(biff::NUMBER, RecordData().u16(row).u16(column).u16(15).f64(row * 100 + column).bytes);
    }
    const QByteArray zero = record(0x0000, RecordData().u32(0).u32(18).u16(0).u16(14).u16(0).bytes) + record(0x0000, {});
    writeCompound(path("zero.xls"),
                  biff8Stream({}, record(biff::DIMENSIONS, RecordData().u32(0).u32(19).u16(0).u16(15).u16(0).bytes) + cells + zero));
    TXlsWorkbook book = readBook(path("zero.xls"));
    const TSheet &sheet = book.sheet(0);
    EXPECT_EQ((std::vector<int>{sheet.firstRow, sheet.lastRow, sheet.firstCol, sheet.lastCol}), (std::vector<int>{0, 18, 0, 14}));

    // BIFF2: id 0 is DIMENSIONS.
    const QByteArray biff2 = record(0x0009, RecordData().u16(2).u16(0x0010).bytes)
        + record(0x0000, RecordData().u16(0).u16(3).u16(0).u16(2).bytes)
        + record(biff::NUMBER2, RecordData().u16(0).u16(0).u8(0).u8(0).u8(0).f64(1).bytes)
        + record(biff::NUMBER2, RecordData().u16(2).u16(1).u8(0).u8(0).u8(0).f64(2).bytes) + record(biff::EOF_, {});
    writeBytes(path("biff2.xls"), biff2);
    TXlsWorkbook book2 = readBook(path("biff2.xls"));
    const TSheet &old = book2.sheet(0);
    EXPECT_EQ(book2.version(), TExcelVersion::xvExcel21);
    EXPECT_FALSE(old.declaredEmpty);
    EXPECT_EQ((std::vector<int>{old.firstRow, old.lastRow, old.firstCol, old.lastCol}), (std::vector<int>{0, 2, 0, 1}));
    EXPECT_EQ(old.asString(1, 2), QStringLiteral("2"));
}

TEST_F(PolishTest, ARangeDeclaredBeyondTheCellsEndsAtTheLastCell)
{
    // A BIFF4 worksheet declaring 65,535 rows x 255 columns for 27 x 4 cells from row 2 and column 1.
    writeBytes(path("caly_arkusz.xls"), biff4Sheet(record(biff::DIMENSIONS, RecordData().u16(0).u16(65535).u16(0).u16(255).u16(0).bytes)));
    TXlsWorkbook book = readBook(path("caly_arkusz.xls"));
    const TSheet &sheet = book.sheet(0);
    EXPECT_FALSE(sheet.declaredEmpty);
    // Only the trailing rows and columns no cell reaches are left out.
    EXPECT_EQ((std::vector<int>{sheet.firstRow, sheet.lastRow, sheet.firstCol, sheet.lastCol}), (std::vector<int>{0, 28, 0, 4}));
}

TEST_F(PolishTest, ShortRecordsTheCellsDoNotNeedAreReadAsFarAsTheyGo)
{
    // A FORMAT announcing 51 characters with 50 present, a FONT whose name is cut, an XF of two bytes.
    const QByteArray format = record(biff::FORMAT, RecordData().u16(164).u16(51).u8(0).raw(QByteArray(50, '0')).bytes);
    const QByteArray font = record(biff::FONT, RecordData().u16(200).u16(0).u16(0x7FFF).u16(400).u16(0).u8(0).u8(0).u8(0).u8(0)
                                                   .u8(10).u8(0).raw("Ari").bytes);
    const QByteArray xf = record(biff::XF, RecordData().u16(0).bytes);
    writeCompound(path("krotkie.xls"),
                  biff8Stream(format + font + xf, record(biff::NUMBER, RecordData().u16(0).u16(0).u16(15).f64(2.5).bytes)));
    TXlsWorkbook book = readBook(path("krotkie.xls"));
    EXPECT_EQ(book.numberFormats.value(164), QString(50, QLatin1Char('0')));
    EXPECT_EQ(book.fonts.back().name, QStringLiteral("Ari"));
    EXPECT_EQ(book.sheet(0).asString(0, 0), QStringLiteral("2,5"));

    // A cell's record cut short stays an error.
    writeCompound(path("krotka_etykieta.xls"), biff8Stream({}, record(biff::LABELSST, RecordData().u16(0).u16(0).u16(15).u16(0).bytes)));
    expectError(path("krotka_etykieta.xls"), QStringLiteral("Error on reading record # 5\rThe record is shorter than its content (8 bytes)"));
}

TEST_F(PolishTest, AFormulaTextLongerThanOneRecordIsReadAcrossItsContinueRecords)
{
    // 24,732 characters: 8-bit in the STRING record, 16-bit in the first CONTINUE, 8-bit in two more.
    const QByteArray formula = RecordData().u16(0).u16(0).u16(15).u8(0).u8(0).u16(0).u16(0).u16(0xFFFF).u16(0).u32(0).u16(0).bytes;
    const QString wide(4111, QChar(0x0142));
    const QByteArray sheet = record(biff::FORMULA, formula)
        + record(biff::STRING, RecordData().u16(24732).u8(0).raw(QByteArray(8221, 'a')).bytes)
        + record(biff::CONTINUE, RecordData().u8(1).raw(characterBytes(wide, false)).bytes)
        + record(biff::CONTINUE, RecordData().u8(0).raw(QByteArray(8223, 'z')).bytes)
        + record(biff::CONTINUE, RecordData().u8(0).raw(QByteArray(4177, 'z')).bytes)
        + record(biff::NUMBER, RecordData().u16(1).u16(0).u16(15).f64(7).bytes);
    writeCompound(path("dlugi_wynik.xls"), biff8Stream({}, sheet));
    TXlsWorkbook book = readBook(path("dlugi_wynik.xls"));
    EXPECT_EQ(book.sheet(0).asString(0, 0), QString(8221, QLatin1Char('a')) + wide + QString(12400, QLatin1Char('z')));
    EXPECT_EQ(book.sheet(0).asString(0, 1), QStringLiteral("7"));

    // A CONTINUE record missing.
    const QByteArray cut = record(biff::FORMULA, formula) + record(biff::STRING, RecordData().u16(9000).u8(0).raw(QByteArray(8221, 'a')).bytes);
    writeCompound(path("bez_ciagu.xls"), biff8Stream({}, cut));
    expectError(path("bez_ciagu.xls"), QStringLiteral("Error on reading record # 6\rCONTINUE record is missing in STRING"));
}

TEST_F(PolishTest, TheBofTellsTheVersionWhateverTheStreamIsNamed)
{
    const QByteArray sst = record(biff::SST, RecordData().u32(1).u32(1).u16(4).u8(1).raw(characterBytes(QStringLiteral("Łódź"), false)).bytes);
    const QByteArray cells = record(biff::DIMENSIONS, RecordData().u32(1).u32(3).u16(0).u16(2).u16(0).bytes)
        + record(biff::LABELSST, RecordData().u16(1).u16(0).u16(15).u32(0).bytes)
        + record(biff::NUMBER, RecordData().u16(2).u16(1).u16(15).f64(12.5).bytes);
    writeCompound(path("book.xls"), biff8Stream({}, cells, sst), QStringLiteral("Book"));
    TXlsWorkbook book = readBook(path("book.xls"));
    EXPECT_EQ(book.version(), TExcelVersion::xvExcel97);
    const TSheet &sheet = book.sheet(0);
    EXPECT_EQ(sheet.name(), QStringLiteral("Arkusz"));
    EXPECT_EQ((std::vector<int>{sheet.firstRow, sheet.lastRow, sheet.firstCol, sheet.lastCol}), (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(rowText(sheet, 1, 2), (QStringList{"Łódź", ""}));
    EXPECT_EQ(rowText(sheet, 2, 2), (QStringList{"", "12,5"}));
}

TEST_F(PolishTest, AStringRecordAfterItsFormulaCellWasReplacedIsLeftAlone)
{
    // A formula with a text result, another cell record at the same place, then the STRING
    // record of the formula that is no longer there.
    const QByteArray formula = RecordData().u16(0).u16(0).u16(15).u8(0).u8(0).u16(0).u16(0).u16(0xFFFF).u16(0).u32(0).u16(0).bytes;
    const QByteArray sheet = record(biff::FORMULA, formula) + record(biff::NUMBER, RecordData().u16(0).u16(0).u16(15).f64(7).bytes)
        + record(biff::STRING, RecordData().u16(3).u8(0).raw("abc").bytes);
    writeCompound(path("zamiana.xls"), biff8Stream({}, sheet));
    EXPECT_EQ(readBook(path("zamiana.xls")).sheet(0).asString(0, 0), QStringLiteral("7"));
}

TEST_F(PolishTest, AStreamThatEndsBeforeItsSheetsEndIsAnError)
{
    const QByteArray cells = record(biff::NUMBER, RecordData().u16(0).u16(0).u16(15).f64(7).bytes);
    const QByteArray whole = biff8Stream({}, cells);
    // Padding after the last end record, as some writers leave it, is fine.
    writeCompound(path("dopelnienie.xls"), whole + QByteArray(300, '\0'));
    EXPECT_EQ(readBook(path("dopelnienie.xls")).sheet(0).asString(0, 0), QStringLiteral("7"));
    // The last sheet's end record cut off: at a record boundary, inside the sheet.
    writeCompound(path("bezkonca.xls"), whole.left(whole.size() - 4));
    expectError(path("bezkonca.xls"), QStringLiteral("The workbook stream ends before the end of sheet \"Arkusz\""));
    // Globals that list a second sheet the stream does not hold.
    const QByteArray second = record(biff::BOUNDSHEET, RecordData().u32(0).u16(0).u8(5).u8(0).raw("Drugi").bytes);
    writeCompound(path("brakarkusza.xls"), biff8Stream(second, cells));
    expectError(path("brakarkusza.xls"), QStringLiteral("The workbook stream ends before the end of sheet \"Arkusz\""));
}

TEST_F(PolishTest, CompoundFilesWithLoopingChainsFailInsteadOfHanging)
{
    TXlsWorkbook book;
    book.sheet(0).setAsInteger(0, 0, 1);
    book.filename = path("petla.xls");
    book.write();
    QByteArray file = testsupport::readBytes(path("petla.xls"));
    // Every FAT entry points back to its own sector: every chain loops.
    const int sectorShift = testsupport::littleEndian<quint16>(file, 0x1E);
    const qsizetype sectorSize = qsizetype(1) << sectorShift;
    const quint32 fatSector = testsupport::littleEndian<quint32>(file, 0x4C);
    const qsizetype fatAt = (static_cast<qsizetype>(fatSector) + 1) * sectorSize;
    for (qsizetype i = 0; i < sectorSize / 4 && fatAt + 4 * i + 4 <= file.size(); ++i) {
        const quint32 entry = testsupport::littleEndian<quint32>(file, fatAt + 4 * i);
        if (entry < 0xFFFFFFFA)
            qToLittleEndian<quint32>(static_cast<quint32>(i), file.data() + fatAt + 4 * i);
    }
    testsupport::writeBytes(path("petla.xls"), file);
    TXlsWorkbook looping;
    looping.filename = path("petla.xls");
    EXPECT_THROW(looping.read(), Exception);
}

TEST_F(PolishTest, CorruptedWorkbooksNeverCrashTheReader)
{
    std::mt19937 random(1250);
    for (const char *fixture : {XLS_FIXTURES "/xlwt_mixed.xls", XLS_FIXTURES "/libreoffice_formulas.xls"}) {
        const QByteArray stream = workbookStream(QString::fromUtf8(fixture));
        for (int round = 0; round < 200; ++round) {
            QByteArray damaged = stream;
            for (int flips = 0; flips < 1 + round % 5; ++flips)
                damaged[random() % damaged.size()] = static_cast<char>(random());
            if (round % 7 == 0)
                damaged.truncate(random() % damaged.size());
            writeCompound(path("zepsuty.xls"), damaged);
            TXlsWorkbook book;
            book.filename = path("zepsuty.xls");
            try {
                book.read();
            } catch (const Exception &) {
            }
        }
    }
}
