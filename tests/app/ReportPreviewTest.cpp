// The report preview driven headless: pages, zoom, printing and saving as PDF.
#include "ScriptedUi.h"
#include "app/ReportPreview.h"
#include "db/Database.h"
#include "db/Query.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

namespace {

class Preview : public testsupport::PolishTest {
protected:
    void SetUp() override
    {
        PolishTest::SetUp();
        result.sql().assign({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                             "SELECT i AS NR, 'Pozycja ' || i AS NAZWA FROM n"});
        result.open();
        ReportSettings settings;
        settings.fields.resize(2);
        report = std::make_unique<ReportDocument>(layOutReport(result.fieldDefs(), settings, "Pozycje", QString()),
                                                  result, QDateTime(QDate(2024, 3, 5), QTime(8, 0)));
    }

    Database database;
    Query result{database};
    std::unique_ptr<ReportDocument> report;
    ScriptedUi ui;
};

int darkPixels(const QImage &image)
{
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            dark += qGray(image.pixel(x, y)) < 128;
    }
    return dark;
}

TEST_F(Preview, ShowsOnePageAtATimeAndMovesBetweenThem)
{
    ReportPreview preview(*report, ui);
    preview.resize(900, 700);
    preview.show();
    QApplication::setActiveWindow(&preview);
    ASSERT_EQ(report->pageCount(), 3);
    EXPECT_EQ(preview.findChild<QLabel *>()->text(), QStringLiteral(" z 3 "));
    EXPECT_EQ(preview.page(), 0);
    EXPECT_GT(darkPixels(preview.pageImage()), 50);
    if (!qEnvironmentVariableIsEmpty("KWERIX_SCREENSHOTS"))
        preview.grab().save(qEnvironmentVariable("KWERIX_SCREENSHOTS") + QStringLiteral("/podglad.png"));
    preview.showPage(2);
    EXPECT_EQ(preview.findChild<QSpinBox *>("pageBox")->value(), 3);
    preview.showPage(7);
    EXPECT_EQ(preview.page(), 2);
    QTest::keyClick(&preview, Qt::Key_PageUp);
    EXPECT_EQ(preview.page(), 1);
    preview.findChild<QSpinBox *>("pageBox")->setValue(1);
    EXPECT_EQ(preview.page(), 0);
    EXPECT_TRUE(ui.take().isEmpty());
}

TEST_F(Preview, ZoomPaintsThePageAtItsScale)
{
    ReportPreview preview(*report, ui);
    preview.resize(900, 700);
    preview.show();
    preview.setZoom(1.0);
    const double perMm = preview.logicalDpiX() / 25.4;
    const QImage &real = preview.pageImage();
    EXPECT_NEAR(real.width() / real.devicePixelRatio(), 297 * perMm, 2);
    EXPECT_EQ(preview.findChild<QComboBox *>("zoomBox")->currentText(), QStringLiteral("100%"));
    preview.setZoom(2.0);
    EXPECT_NEAR(preview.pageImage().width() / preview.pageImage().devicePixelRatio(), 2 * 297 * perMm, 2);
    // The whole page fits the window.
    preview.setZoom(0);
    EXPECT_LE(preview.pageImage().height() / preview.pageImage().devicePixelRatio(), 700);
}

TEST_F(Preview, PrintsAndSavesThroughTheUiServices)
{
    ReportPreview preview(*report, ui);
    preview.printReport();
    EXPECT_EQ(ui.take(), QStringList{"print: Pozycje (3 str.)"});
    ui.inputs = {std::nullopt, path("podgląd.pdf")};
    preview.savePdf();
    EXPECT_FALSE(QFile::exists(path("podgląd.pdf")));
    preview.savePdf();
    EXPECT_EQ(ui.take(), (QStringList{"save: Pozycje.pdf", "save: Pozycje.pdf"}));
    QByteArray info;
    ASSERT_EQ(testsupport::run("pdfinfo", {path("podgląd.pdf")}, &info), 0);
    EXPECT_TRUE(info.contains("Pages:           3"));
}

} // namespace
