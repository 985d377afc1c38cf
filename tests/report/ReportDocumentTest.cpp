// The band engine: reports written as PDF and read back with poppler's pdftotext and pdfinfo, and
// pages painted into images.
#include "db/Database.h"
#include "db/Query.h"
#include "report/PagedOutput.h"
#include "report/PrintSettings.h"
#include "report/ReportDocument.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

namespace {

class ReportTest : public testsupport::PolishTest {
protected:
    // A result of n rows: NR 1..n, NAZWA "Pozycja i", KWOTA i.
    void open(int rows, const QString &extra = QString())
    {
        result.close();
        result.sql().assign({QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                            "SELECT i AS NR, 'Pozycja ' || i AS NAZWA, i * 1.0 AS KWOTA%2 FROM n WHERE i <= %1")
                                 .arg(rows)
                                 .arg(extra)});
        result.open();
    }

    ReportDocument document(const QString &title = QStringLiteral("Zestawienie"), ReportSettings settings = {})
    {
        settings.fields.resize(static_cast<size_t>(result.fieldCount()));
        return ReportDocument(layOutReport(result.fieldDefs(), settings, title, QStringLiteral("  Od=01.03.2024")),
                              result, QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)));
    }

    // The text of each page, as pdftotext lays it out.
    QStringList pages(const ReportDocument &report)
    {
        const QString pdf = path(QStringLiteral("raport.pdf"));
        report.writePdf(pdf);
        QByteArray info;
        EXPECT_EQ(testsupport::run(QStringLiteral("pdfinfo"), {pdf}, &info), 0);
        EXPECT_TRUE(info.contains("Page size:       842 x 595 pts (A4)") || info.contains("595 x 842 pts (A4)"));
        QByteArray text;
        EXPECT_EQ(testsupport::run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &text), 0);
        QStringList split = QString::fromUtf8(text).split(QLatin1Char('\f'));
        if (!split.isEmpty() && split.last().trimmed().isEmpty())
            split.removeLast();
        const QByteArray pagesLine = info.mid(info.indexOf("Pages:"), 30);
        EXPECT_TRUE(pagesLine.startsWith(QStringLiteral("Pages:").toLatin1()));
        EXPECT_EQ(QString::fromLatin1(pagesLine).section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(' '), -1).toInt(),
                  split.size());
        return split;
    }

    Database database;
    Query result{database};
};

TEST_F(ReportTest, RowsRunOverPagesWithTheirHeadersAndTheSumOnTheLastPageOnly)
{
    open(100);
    const ReportDocument report = document();
    EXPECT_EQ(report.rowsPerPage(), 38);
    const QStringList text = pages(report);
    ASSERT_EQ(text.size(), 3);
    for (int p = 0; p < 3; ++p) {
        EXPECT_TRUE(text[p].contains(QStringLiteral("str. %1").arg(p + 1))) << p;
        EXPECT_TRUE(text[p].contains(QStringLiteral("Zestawienie"))) << p;
        EXPECT_TRUE(text[p].contains(QRegularExpression(QStringLiteral("NR +NAZWA +KWOTA")))) << p;
        EXPECT_TRUE(text[p].contains(QStringLiteral("05.03.2024 08:09:10"))) << p;
        EXPECT_TRUE(text[p].contains(QStringLiteral("Od=01.03.2024"))) << p;
        // The sum of NR and of KWOTA.
        EXPECT_EQ(text[p].contains(QStringLiteral("5 050,00")), p == 2) << p;
    }
    EXPECT_TRUE(text[0].contains(QStringLiteral("Pozycja 38")));
    EXPECT_FALSE(text[0].contains(QStringLiteral("Pozycja 39")));
    EXPECT_TRUE(text[2].contains(QStringLiteral("Pozycja 100")));
    EXPECT_TRUE(text[2].contains(QRegularExpression(QStringLiteral("\\b5050\\b"))));
}

TEST_F(ReportTest, ASummaryThatDoesNotFitGetsAPageOfItsOwn)
{
    open(76);
    const QStringList text = pages(document());
    ASSERT_EQ(text.size(), 3);
    EXPECT_TRUE(text[1].contains(QStringLiteral("Pozycja 76")));
    EXPECT_FALSE(text[2].contains(QStringLiteral("Pozycja")));
    EXPECT_TRUE(text[2].contains(QStringLiteral("2 926,00")));
    EXPECT_TRUE(text[2].contains(QRegularExpression(QStringLiteral("NR +NAZWA +KWOTA"))));
}

TEST_F(ReportTest, AnEmptyResultPrintsItsPageAndZeroSums)
{
    database.execute(QStringLiteral("CREATE TEMP TABLE pusta (NR INTEGER, NAZWA VARCHAR(20), KWOTA FLOAT)"));
    result.sql().assign({"SELECT * FROM pusta"});
    result.open();
    const QStringList text = pages(document());
    ASSERT_EQ(text.size(), 1);
    EXPECT_TRUE(text[0].contains(QRegularExpression(QStringLiteral("NR +NAZWA +KWOTA"))));
    EXPECT_TRUE(text[0].contains(QRegularExpression(QStringLiteral("\\b0 +0,00"))));
}

TEST_F(ReportTest, PolishLettersAndTheFilterOfTheResult)
{
    open(30, QStringLiteral(", 'Zażółć gęślą jaźń' AS UWAGI"));
    result.setFilter(QStringLiteral("NR > 27"));
    result.setFiltered(true);
    ReportSettings settings;
    settings.layout.rowNumbers = true;
    settings.layout.orientation = 1;
    const QStringList text = pages(document(QStringLiteral("Żółta łódź"), settings));
    ASSERT_EQ(text.size(), 1);
    EXPECT_TRUE(text[0].contains(QStringLiteral("Żółta łódź")));
    EXPECT_TRUE(text[0].contains(QStringLiteral("Zażółć gęślą jaźń")));
    EXPECT_TRUE(text[0].contains(QRegularExpression(QStringLiteral("\\b3 +30 +Pozycja 30"))));
    EXPECT_FALSE(text[0].contains(QStringLiteral("Pozycja 27")));
    EXPECT_TRUE(text[0].contains(QStringLiteral("87,00")));
}

TEST_F(ReportTest, ColumnsBeyondThePageAreNamed)
{
    open(1);
    ReportSettings settings;
    settings.fields = {{QStringLiteral("250"), std::nullopt}, {QStringLiteral("10"), std::nullopt}, {}};
    const ReportDocument report = document(QStringLiteral("Szeroki"), settings);
    // NR at 10, NAZWA at 265, KWOTA at 280: landscape holds 277 mm.
    EXPECT_EQ(report.columnsOutsidePage(), QStringList{"KWOTA"});
}

TEST_F(ReportTest, TextLongerThanItsColumnStaysInsideIt)
{
    result.sql().assign({"SELECT 'WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW' AS DLUGI, '' AS PUSTY"});
    result.open();
    const ReportDocument report = document();
    QImage page(1200, 800, QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(100 / 0.0254));
    page.setDotsPerMeterY(page.dotsPerMeterX());
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        report.paintPage(painter, 0);
    }
    // The detail row lies below the page header and the column header; the second column's cells
    // (from 35 mm, after its rule at 33 mm) stay white.
    const double perMm = 100 / 25.4;
    const int top = qRound((13.5 + 4.5 + 0.5) * perMm), bottom = qRound((13.5 + 9 - 0.5) * perMm);
    int dark = 0, darkInFirst = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = qRound(33.5 * perMm); x < qRound(60 * perMm); ++x)
            dark += qGray(page.pixel(x, y)) < 128;
        for (int x = qRound(10 * perMm); x < qRound(30 * perMm); ++x)
            darkInFirst += qGray(page.pixel(x, y)) < 128;
    }
    EXPECT_EQ(dark, 0);
    EXPECT_GT(darkInFirst, 50);
}

// Pages painted into an image of the whole sheet at 100 dpi, the printable area inside margins.
QImage sheet(const ReportDocument &report, int page)
{
    const double perMm = 100 / 25.4;
    const QSizeF mm = report.pageLayout().fullRect(QPageLayout::Millimeter).size();
    QImage image(qRound(mm.width() * perMm), qRound(mm.height() * perMm), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(100 / 0.0254));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(ReportLayout::kMargin * perMm, ReportLayout::kMargin * perMm);
    report.paintPage(painter, page);
    return image;
}

TEST_F(ReportTest, NumbersDatesAndRowNumbersArePrintedWholeOrAsMarks)
{
    database.execute(QStringLiteral("CREATE TEMP TABLE czasy (CZAS DATETIME)"));
    database.execute(QStringLiteral("INSERT INTO czasy VALUES ('2026-12-31 23:59:59')"));
    result.sql().assign({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10001) "
                         "SELECT CASE i WHEN 10001 THEN -5000000000.25 ELSE 0.5 END AS KWOTA, "
                         "CASE i WHEN 10001 THEN 1001364922.32 ELSE 0 END AS SUMA, CZAS, "
                         "CASE i WHEN 10001 THEN 1e300 ELSE 1 END AS OGROM, "
                         "'Tekst ucinany na końcu kolumny' AS OPIS FROM n LEFT JOIN czasy ON i = 10001"});
    result.open();
    ReportSettings settings;
    settings.layout.rowNumbers = true;
    settings.fields = {{QStringLiteral("15"), std::nullopt}, {QStringLiteral("20"), QStringLiteral("T")},
                       {QStringLiteral("20"), std::nullopt}, {QStringLiteral("15"), QStringLiteral("N")},
                       {QStringLiteral("15"), std::nullopt}};
    const ReportDocument report = document(QStringLiteral("Wąsko"), settings);
    // Row 10001, the amounts and the time of day are printed smaller; 10^300 fits at no size.
    EXPECT_EQ(report.shrunkColumns(), (QStringList{"Lp.", "KWOTA", "SUMA", "CZAS"}));
    EXPECT_EQ(report.hiddenColumns(), QStringList{"OGROM"});
    EXPECT_EQ(report.warnings(),
              (QStringList{"Wartości wydrukowane mniejszą czcionką, bo nie mieszczą się w kolumnach: Lp., KWOTA, SUMA, CZAS",
                           "Wartości zastąpione znakami \"#\", bo nie mieszczą się w kolumnach: OGROM"}));
    QByteArray text;
    const QString pdf = path(QStringLiteral("wasko.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setPageLayout(report.pageLayout());
        report.print(writer, report.pageCount() - 1, report.pageCount() - 1);
    }
    ASSERT_EQ(testsupport::run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &text), 0);
    const QString page = QString::fromUtf8(text);
    for (const char *whole : {"10001", "-5000000000,25", "1001 364 922,32", "31.12.2026 23:59:59", "######"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(whole))) << whole << "\n" << page.toStdString();
    EXPECT_FALSE(page.contains(QStringLiteral("E300")));
}

TEST_F(ReportTest, OneRoundingOfTheValuesOwnDigitsAndExactSums)
{
    result.sql().assign({"SELECT 1.00495 AS K UNION ALL SELECT 2.344999 UNION ALL SELECT 0.125 UNION ALL SELECT 0.005 "
                         "UNION ALL SELECT -0.004 UNION ALL SELECT -930000000000000.0"});
    result.open();
    ReportSettings settings;
    settings.fields = {{QStringLiteral("60"), std::nullopt}};
    const QStringList text = pages(document(QStringLiteral("Zaokrąglenia"), settings));
    ASSERT_EQ(text.size(), 1);
    for (const char *printed : {"1,00", "2,34", "0,12", "0,00", "-930000000000000,00", "-929999999999996,52"})
        EXPECT_TRUE(text[0].contains(QString::fromUtf8(printed))) << printed << "\n" << text[0].toStdString();
    for (const char *never : {"1,01", "2,35", "0,13", "0,01", "-0,00", "922337203685477"})
        EXPECT_FALSE(text[0].contains(QString::fromUtf8(never))) << never;

    // A tenth added 10,000 times is a thousand to the last place.
    result.close();
    result.sql().assign({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
                         "SELECT 0.1 AS K, 9007199254740993 AS I FROM n"});
    result.open();
    const QStringList sums = pages(document());
    EXPECT_TRUE(sums.last().contains(QStringLiteral("1 000,00")));
    EXPECT_TRUE(sums.last().contains(QStringLiteral("90071992547409930000"))) << "integers are summed exactly";
}

TEST_F(ReportTest, NothingIsDrawnOutsideThePrintableArea)
{
    open(3);
    ReportSettings settings;
    // NAZWA runs from 35 mm past the 277 mm of a landscape page; KWOTA begins beyond it.
    settings.fields = {{}, {QStringLiteral("260"), std::nullopt}, {}};
    const ReportDocument report = document(QStringLiteral("Szeroki"), settings);
    EXPECT_EQ(report.columnsOutsidePage(), (QStringList{"NAZWA", "KWOTA"}));
    EXPECT_EQ(report.warnings(), QStringList{"Kolumny poza szerokością strony: NAZWA, KWOTA"});
    const QImage page = sheet(report, 0);
    const double perMm = 100 / 25.4;
    int inRightMargin = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = qRound((10 + 277 + 0.5) * perMm); x < page.width(); ++x)
            inRightMargin += qGray(page.pixel(x, y)) < 250;
    }
    EXPECT_EQ(inRightMargin, 0);
}

TEST_F(ReportTest, PageNumbersKeepAGapAndLongTitlesKeepTheirBeginning)
{
    // The title takes three lines: 36 rows a page, 40,000 rows reach page 1000.
    open(40000);
    const QString title = QStringLiteral("Początek") + QString(400, QLatin1Char('x')) + QStringLiteral("Koniec");
    const ReportDocument report = document(title);
    ASSERT_GE(report.pageCount(), 1000);
    const QString pdf = path(QStringLiteral("tysiac.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setPageLayout(report.pageLayout());
        report.print(writer, 999, 999);
    }
    QByteArray text;
    ASSERT_EQ(testsupport::run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, &text), 0);
    const QString boxes = QString::fromUtf8(text);
    // The time of printing ends before "str." begins, with room to spare.
    const QRegularExpression word(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\"[^>]*>([^<]*)<"));
    double timeEnd = -1, numberStart = -1;
    bool beginning = false;
    for (auto m = word.globalMatch(boxes); m.hasNext();) {
        const auto w = m.next();
        if (w.captured(3) == QStringLiteral("08:09:10"))
            timeEnd = w.captured(2).toDouble();
        if (w.captured(3) == QStringLiteral("str."))
            numberStart = w.captured(1).toDouble();
        beginning = beginning || w.captured(3).startsWith(QStringLiteral("Początek"));
    }
    ASSERT_GT(timeEnd, 0);
    EXPECT_GT(numberStart, timeEnd + 3) << "points apart";
    EXPECT_TRUE(boxes.contains(QStringLiteral(">1000<")));
    EXPECT_TRUE(beginning) << "a title too long for a line keeps its beginning";
}

} // namespace

namespace {

// The dark pixels of a page inside a rectangle given in millimetres from the printable area.
int darkIn(const QImage &page, const QRectF &mm)
{
    const double perMm = 100 / 25.4;
    const QRect r(QPoint(qRound((mm.left() + ReportLayout::kMargin) * perMm), qRound((mm.top() + ReportLayout::kMargin) * perMm)),
                  QPoint(qRound((mm.right() + ReportLayout::kMargin) * perMm), qRound((mm.bottom() + ReportLayout::kMargin) * perMm)));
    int dark = 0;
    for (int y = r.top() + 2; y < r.bottom() - 1; ++y) {
        for (int x = r.left() + 2; x < r.right() - 1; ++x)
            dark += qGray(page.pixel(x, y)) < 128;
    }
    return dark;
}

TEST_F(ReportTest, FindNamesTheCellsThatHoldATextAndWhereTheyArePrinted)
{
    open(100);
    const ReportDocument report = document();
    const std::vector<ReportMatch> fifty = report.find(QStringLiteral("pozycja 50"));
    ASSERT_EQ(fifty.size(), 1u);
    EXPECT_EQ(fifty[0].page, 1);
    EXPECT_EQ(fifty[0].record, 49);
    // The cell of NAZWA in the 12th row of the second page holds the printed text; the cell
    // above it does not hold it.
    const QRectF cell = report.matchRect(fifty[0]);
    EXPECT_DOUBLE_EQ(cell.left(), 35);
    EXPECT_DOUBLE_EQ(cell.width(), 20);
    const QImage page = sheet(report, 1);
    EXPECT_GT(darkIn(page, cell), 20);
    const ReportMatch above{1, 48, fifty[0].control};
    EXPECT_NEAR(report.matchRect(above).bottom(), cell.top(), 1e-9);
    // The sum on the last page; numbers are found as printed, with their masks.
    const std::vector<ReportMatch> sum = report.find(QStringLiteral("5 050,00"));
    ASSERT_EQ(sum.size(), 1u);
    EXPECT_EQ(sum[0].page, 2);
    EXPECT_EQ(sum[0].record, -1);
    EXPECT_GT(darkIn(sheet(report, 2), report.matchRect(sum[0])), 20);
    EXPECT_EQ(report.find(QStringLiteral("12,00")).size(), 1u);
    EXPECT_TRUE(report.find(QString()).empty());
    // Ordered by page and row, every row holding "Pozycja".
    const std::vector<ReportMatch> all = report.find(QStringLiteral("POZYCJA"));
    ASSERT_EQ(all.size(), 100u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const ReportMatch &a, const ReportMatch &b) {
        return a.page < b.page || (a.page == b.page && a.record < b.record);
    }));
}

TEST_F(ReportTest, TheSummaryAlonesPageHoldsItsMatch)
{
    // 38 rows fill the first page: the summary has the second to itself.
    open(38);
    const ReportDocument report = document();
    ASSERT_EQ(report.pageCount(), 2);
    const std::vector<ReportMatch> sum = report.find(QStringLiteral("741,00"));
    ASSERT_EQ(sum.size(), 1u);
    EXPECT_EQ(sum[0].page, 1);
    EXPECT_GT(darkIn(sheet(report, 1), report.matchRect(sum[0])), 20);
    EXPECT_EQ(report.pageOfRecord(38), 1);
    EXPECT_EQ(report.firstRecordOn(1), 38);
}

TEST_F(ReportTest, OtherPaperLaysTheReportOutAgainWithTheSameGeometry)
{
    open(100);
    const ReportDocument a4 = document();
    const struct {
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
        QSizeF page;
        int rowsPerPage;
    } cases[] = {
        {QPageSize::A4, QPageLayout::Landscape, {297, 210}, 38},
        {QPageSize::A4, QPageLayout::Portrait, {210, 297}, 57},
        {QPageSize::A3, QPageLayout::Landscape, {420, 297}, 57},
        {QPageSize::A5, QPageLayout::Portrait, {148, 210}, 38},
        {QPageSize::Letter, QPageLayout::Portrait, {215.9, 279.4}, 53},
        {QPageSize::Legal, QPageLayout::Landscape, {355.6, 215.9}, 39},
    };
    for (const auto &c : cases) {
        const ReportDocument report = a4.onPaper(c.paper, c.orientation);
        EXPECT_NEAR(report.layout().pageSize().width(), c.page.width(), 0.1) << QPageSize::key(c.paper).toStdString();
        EXPECT_NEAR(report.layout().pageSize().height(), c.page.height(), 0.1) << QPageSize::key(c.paper).toStdString();
        EXPECT_EQ(report.rowsPerPage(), c.rowsPerPage) << QPageSize::key(c.paper).toStdString();
        EXPECT_EQ(report.pageLayout().margins(QPageLayout::Millimeter), QMarginsF(10, 10, 10, 10));
        // The columns keep their places in millimetres.
        EXPECT_EQ(report.layout().detail.controls, a4.layout().detail.controls);
        // Every record is on the page that begins at or before it.
        for (const int record : {0, 37, 38, 99}) {
            const int page = report.pageOfRecord(record);
            EXPECT_LE(report.firstRecordOn(page), record);
            EXPECT_TRUE(report.firstRecordOn(page + 1) > record || page == report.pageCount() - 1);
        }
    }
    // A5 portrait is too narrow for a column ending at 205 mm.
    ReportSettings wide;
    wide.fields = {{}, {QStringLiteral("150"), std::nullopt}, {}};
    EXPECT_EQ(document(QStringLiteral("Szeroki"), wide).onPaper(QPageSize::A5, QPageLayout::Portrait).columnsOutsidePage(),
              (QStringList{"NAZWA", "KWOTA"}));
}

TEST(PrintOrder, CopiesCollatedOrEachPagesTogether)
{
    const struct {
        int first, last, copies;
        bool collate;
        std::vector<int> order;
    } cases[] = {
        {0, 2, 1, true, {0, 1, 2}},
        {0, 2, 2, true, {0, 1, 2, 0, 1, 2}},
        {0, 2, 2, false, {0, 0, 1, 1, 2, 2}},
        {4, 4, 3, true, {4, 4, 4}},
        {3, 2, 1, true, {}},
        {0, 1, 0, true, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(printOrder(c.first, c.last, c.copies, c.collate), c.order) << c.first << "-" << c.last << " x" << c.copies;
}

class PrintSettingsTest : public testsupport::PolishTest {};

TEST_F(PrintSettingsTest, RememberedPerTitleInAFileOfTheirOwn)
{
    PrintSettingsFile file(dir.path());
    // Nothing stored: A4, one copy, collated, the PDF file; saved into the catalogue's folder.
    const PrintSettings none = file.read(QStringLiteral("Faktury"));
    EXPECT_EQ(none.paper, QPageSize::A4);
    EXPECT_EQ(none.copies, 1);
    EXPECT_TRUE(none.collate);
    EXPECT_TRUE(none.printer.isEmpty());
    EXPECT_EQ(file.saveFolder(), dir.path());
    file.write(QStringLiteral("Faktury źródłowe"), {QStringLiteral("HP_LaserJet"), QPageSize::Letter, 3, false});
    file.write(QStringLiteral("Inne"), {QString(), QPageSize::A3, 1, true});
    const PrintSettings read = PrintSettingsFile(dir.path()).read(QStringLiteral("Faktury źródłowe"));
    EXPECT_EQ(read.printer, QStringLiteral("HP_LaserJet"));
    EXPECT_EQ(read.paper, QPageSize::Letter);
    EXPECT_EQ(read.copies, 3);
    EXPECT_FALSE(read.collate);
    EXPECT_EQ(file.read(QStringLiteral("Inne")).paper, QPageSize::A3);
    // The folder last saved in, while it is there.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("pdf")));
    file.setSaveFolder(path(QStringLiteral("pdf")));
    EXPECT_EQ(PrintSettingsFile(dir.path()).saveFolder(), path(QStringLiteral("pdf")));
    ASSERT_TRUE(QDir(path(QStringLiteral("pdf"))).removeRecursively());
    EXPECT_EQ(file.saveFolder(), dir.path());
}

TEST_F(PrintSettingsTest, ValuesEditedByHandReadAsTheNearestThatPrints)
{
    testsupport::writeBytes(path(QStringLiteral("drukowanie.ini")),
                            "[PAPIER]\r\nA=Papirus\r\nB=a5\r\n[KOPIE]\r\nA=-4\r\nB=100000\r\n");
    const PrintSettingsFile file(dir.path());
    EXPECT_EQ(file.read(QStringLiteral("A")).paper, QPageSize::A4);
    EXPECT_EQ(file.read(QStringLiteral("A")).copies, 1);
    EXPECT_EQ(file.read(QStringLiteral("B")).paper, QPageSize::A5);
    EXPECT_EQ(file.read(QStringLiteral("B")).copies, 999);
    EXPECT_EQ(paperNamed(QStringLiteral("Legal")), QPageSize::Legal);
}

} // namespace
