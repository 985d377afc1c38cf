// The band engine: reports written as PDF and read back with poppler's pdftotext and pdfinfo, and
// pages painted into images.
#include "db/Database.h"
#include "db/Query.h"
#include "report/ReportDocument.h"
#include "support/TestSupport.h"

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
