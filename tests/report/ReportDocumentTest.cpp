// The band engine: reports written as PDF and read back with poppler's pdftotext and pdfinfo, and
// pages painted into images.
#include "db/Database.h"
#include "db/Query.h"
#include "report/ReportDocument.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
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

} // namespace
