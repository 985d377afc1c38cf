#include "XlsTestSupport.h"

using namespace testsupport;

namespace {

QString hex(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex(' '));
}

std::vector<Record> written(TXlsWorkbook &book, const QString &path)
{
    book.filename = path;
    book.write();
    return records(workbookStream(path));
}

std::vector<Record> cellRecords(const std::vector<Record> &all)
{
    std::vector<Record> cells;
    bool inSheet = false;
    for (const Record &r : all) {
        if (r.id == biff::DIMENSIONS)
            inSheet = true;
        else if (r.id == biff::WINDOW2)
            inSheet = false;
        else if (inSheet)
            cells.push_back(r);
    }
    return cells;
}

} // namespace

TEST(RkForm, EncodesAsThePublishedLayoutSays)
{
    const struct {
        double value;
        bool has;
        quint32 rk;
    } cases[] = {
        {5, true, 0x40140000}, {12.34, true, 0x40934801}, {0.1, true, 0x40240001}, {123456789, true, 0x1D6F3456},
        {-1, true, 0xBFF00000}, {0, true, 0}, {536870911, true, 0x7FFFFFFE}, {0.07, false, 0}, {123456.789, false, 0},
        {1e300, false, 0},
    };
    for (const auto &c : cases) {
        quint32 rk = 0;
        EXPECT_EQ(encodeRk(c.value, rk), c.has) << c.value;
        if (c.has) {
            EXPECT_EQ(rk, c.rk) << c.value;
            EXPECT_DOUBLE_EQ(decodeRk(rk), c.value);
        }
    }
}

TEST_F(PolishTest, GlobalsAndSheetRecordsComeInTheirOrderWithTheirBytes)
{
    TXlsWorkbook book;
    const auto all = written(book, path("pusty.xls"));
    std::vector<quint16> ids;
    for (const Record &r : all)
        ids.push_back(r.id);
    std::vector<quint16> expected = {biff::BOF, biff::WRITEACCESS, biff::FILESHARING, biff::CODEPAGE, biff::DSF,
                                     biff::TABID, biff::WINDOWPROTECT, biff::PASSWORD, biff::PROT4REV,
                                     biff::PROT4REVPASS, biff::WINDOW1, biff::BACKUP, biff::HIDEOBJ, biff::DATEMODE,
                                     biff::PRECISION, biff::REFRESHALL, biff::BOOKBOOL, biff::FONT, biff::FONT,
                                     biff::FONT, biff::FONT};
    expected.insert(expected.end(), 22, biff::XF);
    expected.insert(expected.end(), 6, biff::STYLE);
    for (quint16 id : {biff::USESELFS, biff::BOUNDSHEET, biff::COUNTRY, biff::RECALCID, biff::SST, biff::EOF_, biff::BOF,
                       biff::CALCMODE, biff::CALCCOUNT, biff::REFMODE, biff::ITERATION, biff::DELTA, biff::SAVERECALC,
                       biff::PRINTHEADERS, biff::PRINTGRIDLINES, biff::GRIDSET, biff::GUTS, biff::DEFAULTROWHEIGHT,
                       biff::WSBOOL, biff::HEADER, biff::FOOTER, biff::HCENTER, biff::VCENTER, biff::SETUP,
                       biff::PROTECT, biff::DEFCOLWIDTH, biff::DIMENSIONS, biff::WINDOW2, biff::SELECTION, biff::EOF_})
        expected.push_back(id);
    EXPECT_EQ(ids, expected);

    const auto find = [&](quint16 id, int nth = 0) {
        for (const Record &r : all) {
            if (r.id == id && nth-- == 0)
                return r;
        }
        return Record{};
    };
    EXPECT_EQ(hex(find(biff::BOF).data), QStringLiteral("00 06 05 00 af 18 cd 07 c1 40 00 00 06 01 00 00"));
    EXPECT_EQ(find(biff::WRITEACCESS).data, QByteArray("\0\0\0", 3) + QByteArray(109, ' '));
    EXPECT_EQ(hex(find(biff::CODEPAGE).data), QStringLiteral("b0 04"));
    EXPECT_EQ(hex(find(biff::WINDOW1).data), QStringLiteral("64 00 64 00 10 27 58 1b 38 00 00 00 00 00 01 00 58 02"));
    EXPECT_EQ(hex(find(biff::FONT).data), QStringLiteral("c8 00 00 00 08 00 90 01 00 00 00 00 00 00 05 00 41 72 69 61 6c"));
    EXPECT_EQ(hex(find(biff::XF, 0).data), QStringLiteral("00 00 00 00 f5 ff 20 00 00 00 00 00 00 00 00 00 00 00 c0 20"));
    EXPECT_EQ(hex(find(biff::XF, 1).data), QStringLiteral("01 00 00 00 f5 ff 20 00 00 f4 00 00 00 00 00 00 00 00 c0 20"));
    EXPECT_EQ(hex(find(biff::XF, 15).data), QStringLiteral("00 00 00 00 01 00 20 00 00 00 00 00 00 00 00 00 00 00 c0 20"));
    EXPECT_EQ(hex(find(biff::XF, 20).data), QStringLiteral("00 00 09 00 f5 ff 20 00 00 00 00 00 00 00 00 00 00 00 c0 20"));
    EXPECT_EQ(hex(find(biff::XF, 21).data), QStringLiteral("00 00 00 00 01 00 20 00 00 00 00 00 40 20 40 20 10 00 40 20"));
    QStringList styles;
    for (int i = 0; i < 6; ++i)
        styles.append(hex(find(biff::STYLE, i).data));
    EXPECT_EQ(styles, (QStringList{"10 80 03 ff", "11 80 06 ff", "12 80 04 ff", "13 80 07 ff", "00 80 00 ff", "14 80 05 ff"}));
    EXPECT_EQ(hex(find(biff::COUNTRY).data), QStringLiteral("01 00 30 00"));
    EXPECT_EQ(hex(find(biff::RECALCID).data), QStringLiteral("c1 01 00 00 ff ff ff 00"));
    EXPECT_EQ(hex(find(biff::SST).data), QStringLiteral("00 00 00 00 00 00 00 00"));
    EXPECT_EQ(hex(find(biff::WSBOOL).data), QStringLiteral("41 06"));
    EXPECT_EQ(hex(find(biff::DIMENSIONS).data), QStringLiteral("00 00 00 00 01 00 00 00 00 00 01 00 00 00"));
    EXPECT_EQ(hex(find(biff::WINDOW2).data), QStringLiteral("b6 06 00 00 00 00 40 00 00 00 64 00 64 00 00 00 00 00"));
    EXPECT_EQ(hex(find(biff::SELECTION).data), QStringLiteral("03 00 00 00 00 00 00 01 00 00 00 00 00 00 00"));
    EXPECT_EQ(find(biff::SETUP).data.size(), 34);
    // BOUNDSHEET carries the stream offset of the sheet's BOF.
    const Record sheetName = find(biff::BOUNDSHEET);
    EXPECT_EQ(sheetName.data.mid(4), QByteArray("\x00\x00\x07\x00Sheet 1", 11));
    EXPECT_EQ(static_cast<qsizetype>(testsupport::littleEndian<quint32>(sheetName.data, 0)), find(biff::BOF, 1).offset);
}

TEST_F(PolishTest, NumbersGoOutAsRkRunsMulrkAndNumber)
{
    TXlsWorkbook book;
    TSheet &sheet = book.sheet(0);
    sheet.setAsInteger(0, 0, 1);
    sheet.setAsInteger(1, 0, 2);
    sheet.setAsInteger(2, 0, 3);
    sheet.setAsInteger(0, 1, 7);
    sheet.setAsInteger(0, 2, 1);
    sheet.setAsString(1, 2, QStringLiteral("tekst"));
    sheet.setAsFloat(2, 2, 12.34);
    sheet.setAsFloat(0, 3, 0.07);
    sheet.setAsFloat(1, 3, 5);
    sheet.setAsFloat(3, 3, 6);
    sheet.setAsFloat(4, 3, 7);
    const auto cells = cellRecords(written(book, path("liczby.xls")));
    QStringList got;
    for (const Record &r : cells)
        got.append(QStringLiteral("%1 %2").arg(r.id, 4, 16, QLatin1Char('0')).arg(hex(r.data)));
    EXPECT_EQ(got, (QStringList{
                       "00bd 00 00 00 00 0f 00 00 00 f0 3f 0f 00 00 00 00 40 0f 00 00 00 08 40 02 00",
                       "027e 01 00 00 00 0f 00 00 00 1c 40",
                       "027e 02 00 00 00 0f 00 00 00 f0 3f",
                       "00fd 02 00 01 00 0f 00 00 00 00 00",
                       "027e 02 00 02 00 0f 00 01 48 93 40",
                       "0203 03 00 00 00 0f 00 ec 51 b8 1e 85 eb b1 3f",
                       "027e 03 00 01 00 0f 00 00 00 14 40",
                       // 6 at column 3 does not follow the run's column 1: NUMBER, and 7 starts a new run.
                       "0203 03 00 03 00 0f 00 00 00 00 00 00 00 18 40",
                       "027e 03 00 04 00 0f 00 00 00 1c 40",
                   }));
}

TEST_F(PolishTest, SstSplitsLongStringsBetweenCharactersWithARepeatedFlag)
{
    TXlsWorkbook book;
    TSheet &sheet = book.sheet(0);
    QStringList texts;
    for (int i = 0; i < 40; ++i) {
        texts.append(i % 2 ? QString(1000 + i * 37, QChar(0x0142)) + QString::number(i)
                           : QString(1500 + i * 41, QLatin1Char('a')) + QString::number(i));
        sheet.setAsString(0, i, texts.back());
    }
    book.filename = path("sst.xls");
    book.write();
    const auto all = records(workbookStream(path("sst.xls")));
    int continues = 0;
    for (const Record &r : all) {
        EXPECT_LE(r.data.size(), 8224);
        if (r.id == biff::CONTINUE)
            ++continues;
    }
    EXPECT_GE(continues, 6);
    // An independent reader gets every string back whole.
    QByteArray out, err;
    ASSERT_EQ(run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/tools/xlsdump.py", path("sst.xls"), "--column", "0"}, &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(out).split('\n'), texts);
}

TEST_F(PolishTest, IndependentReaderSeesTheSameCells)
{
    TXlsWorkbook book;
    TSheet &sheet = book.sheet(0);
    sheet.setAsWideString(0, 0, QStringLiteral("Zażółć gęślą jaźń"));
    sheet.setAsString(1, 0, QStringLiteral("Łódź, ąę"));
    sheet.setAsString(2, 0, QStringLiteral("Café"));
    sheet.setAsInteger(0, 1, -123456789);
    sheet.setAsFloat(1, 1, 1234.5678);
    sheet.setAsFloat(2, 1, 0.07);
    sheet.setBoolean(3, 1, true);
    sheet.setError(4, 1, 2);
    book.addSheet().setAsInteger(5, 9, 42);
    book.filename = path("dla_xlrd.xls");
    book.write();
    QByteArray out, err;
    ASSERT_EQ(run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/tools/xlsdump.py", path("dla_xlrd.xls")}, &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(out).trimmed(),
              QStringLiteral("'Sheet 1' 2 5\n"
                             "[(1, 'Zażółć gęślą jaźń'), (1, 'Łódź, ąę'), (1, 'Café'), (0, ''), (0, '')]\n"
                             "[(2, -123456789.0), (2, 1234.5678), (2, 0.07), (4, 1), (5, 7)]\n"
                             "'Sheet 2' 10 6\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (0, '')]\n"
                             "[(0, ''), (0, ''), (0, ''), (0, ''), (0, ''), (2, 42.0)]"));
}

TEST_F(PolishTest, CreationFailuresWriteNothing)
{
    TXlsWorkbook book;
    book.filename = path("brak/katalogu.xls");
    EXPECT_THROW(book.write(), EFCreateError);
    EXPECT_FALSE(QFile::exists(path("brak/katalogu.xls")));
    book.setVersion(TExcelVersion::xvExcel30);
    try {
        book.write();
        FAIL();
    } catch (const XlsError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Can not write Excel 2.1/3.0 files"));
    }
}
