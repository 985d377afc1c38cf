// The report preview driven headless: pages one below another, the page box, views and zoom,
// thumbnails, find, and printing and saving through the UI services into PDF files read back with
// poppler's pdfinfo and pdftotext.
#include "ScriptedUi.h"
#include "app/ReportPreview.h"
#include "db/Database.h"
#include "db/Query.h"
#include "platform/Errors.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>

namespace {

class Preview : public testsupport::PolishTest {
protected:
    void SetUp() override
    {
        PolishTest::SetUp();
        open(100);
    }

    // NR 1..rows, NAZWA "Pozycja i" (every tenth with " Łódź"), KWOTA i.
    void open(int rows, int nameWidth = 20)
    {
        result.close();
        result.sql().assign({QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                            "SELECT i AS NR, 'Pozycja ' || i || CASE WHEN i % 10 = 0 THEN ' Łódź' ELSE '' END "
                                            "AS NAZWA, i * 1.0 AS KWOTA FROM n WHERE i <= %1")
                                 .arg(rows)});
        result.open();
        ReportSettings settings;
        settings.fields.resize(3);
        settings.fields[1].width = QString::number(nameWidth);
        output = std::make_unique<ReportOutput>(
            std::make_unique<ReportDocument>(layOutReport(result.fieldDefs(), settings, "Pozycje", QString()), result,
                                             QDateTime(QDate(2024, 3, 5), QTime(8, 0))),
            QStringLiteral("Pozycje"), dir.path(), ui);
    }

    ReportPreview &preview()
    {
        if (!m_preview) {
            m_preview = std::make_unique<ReportPreview>(*output, ui);
            m_preview->resize(1000, 700);
            m_preview->show();
            QApplication::setActiveWindow(m_preview.get());
            QApplication::processEvents();
        }
        return *m_preview;
    }

    QScrollBar &scroll() { return *preview().pages().verticalScrollBar(); }
    int pageBox() { return preview().findChild<QSpinBox *>("pageBox")->value(); }
    QString zoomText() { return preview().findChild<QComboBox *>("zoomBox")->currentText(); }
    QString findCount() { return preview().findChild<QLabel *>("findCount")->text(); }
    QAction *action(const QString &text)
    {
        for (QAction *a : preview().actions()) {
            if (a->text() == text)
                return a;
        }
        ADD_FAILURE() << "no action " << text.toStdString();
        return nullptr;
    }
    void wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *viewport = preview().pages().viewport();
        const QPointF at = viewport->rect().center();
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    }
    // The screenshot of the window, when the screenshots are asked for.
    void screenshot(const QString &name)
    {
        if (!qEnvironmentVariableIsEmpty("KWERIX_SCREENSHOTS")) {
            QApplication::processEvents();
            preview().grab().save(qEnvironmentVariable("KWERIX_SCREENSHOTS") + QLatin1Char('/') + name);
        }
    }
    // The page numbers printed in the PDF file, page by page.
    QStringList printedPages(const QString &pdf)
    {
        QByteArray text;
        EXPECT_EQ(testsupport::run("pdftotext", {"-layout", pdf, "-"}, &text), 0);
        QStringList numbers;
        for (auto m = QRegularExpression("str\\. (\\d+)").globalMatch(QString::fromUtf8(text)); m.hasNext();)
            numbers.append(m.next().captured(1));
        return numbers;
    }
    QByteArray pdfInfo(const QString &pdf)
    {
        QByteArray info;
        EXPECT_EQ(testsupport::run("pdfinfo", {pdf}, &info), 0);
        return info;
    }

    Database database;
    Query result{database};
    ScriptedUi ui;
    std::unique_ptr<ReportOutput> output;

private:
    std::unique_ptr<ReportPreview> m_preview;
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

TEST_F(Preview, PagesRunOneBelowAnotherAndTheWheelAndKeysMoveThroughThem)
{
    ReportPreview &p = preview();
    ASSERT_EQ(output->document().pageCount(), 3);
    EXPECT_EQ(p.findChild<QLabel *>()->text(), QStringLiteral(" z 3 "));
    EXPECT_EQ(p.view(), ReportPreview::View::PageWidth);
    EXPECT_EQ(zoomText(), QStringLiteral("Szerokość strony"));
    EXPECT_GT(darkPixels(p.pages().pageImage(0)), 50);
    // The page's width fills the view; the scroll bar reaches the bottom of the last page.
    const QImage page = p.pages().pageImage(0);
    const double height = page.height() / page.devicePixelRatio();
    EXPECT_NEAR(page.width() / page.devicePixelRatio(), p.pages().viewport()->width() - 32, 2);
    EXPECT_GE(scroll().maximum() + p.pages().viewport()->height(), qRound(3 * height));
    screenshot(QStringLiteral("podglad-szerokosc.png"));

    // The wheel goes on past the bottom of the first page, into the second.
    EXPECT_EQ(p.page(), 0);
    while (scroll().value() < height)
        wheel(-120);
    EXPECT_EQ(p.page(), 1);
    EXPECT_EQ(pageBox(), 2);
    // PageDown moves by a screen, wherever the focus is; Ctrl+End and Ctrl+Home to the last and first page.
    scroll().setValue(0);
    p.findChild<QSpinBox *>("pageBox")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    EXPECT_EQ(scroll().value(), scroll().pageStep());
    QTest::keyClick(&p, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(p.page(), 2);
    EXPECT_EQ(pageBox(), 3);
    QTest::keyClick(&p, Qt::Key_PageUp);
    QTest::keyClick(&p, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(p.page(), 0);
    EXPECT_EQ(scroll().value(), 0);
    QTest::keyClick(&p, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(p.page(), 1);
    // The page box moves to its page; beyond the report, to its last page.
    p.findChild<QSpinBox *>("pageBox")->setValue(3);
    EXPECT_EQ(p.page(), 2);
    p.showPage(7);
    EXPECT_EQ(p.page(), 2);
    scroll().setValue(0);
    EXPECT_EQ(pageBox(), 1);
    EXPECT_TRUE(ui.take().isEmpty());
}

TEST_F(Preview, ViewsFitTheWindowAndTheZoomGoesFrom25To400Percent)
{
    ReportPreview &p = preview();
    const double perMm = p.logicalDpiX() / 25.4;
    const auto shownSize = [&](int page) {
        const QImage image = p.pages().pageImage(page);
        return QSizeF(image.size()) / image.devicePixelRatio();
    };
    const QSize room = p.pages().viewport()->size();
    p.setView(ReportPreview::View::WholePage);
    EXPECT_LE(shownSize(0).height(), room.height());
    EXPECT_EQ(zoomText(), QStringLiteral("Cała strona"));
    screenshot(QStringLiteral("podglad-cala-strona.png"));
    p.setView(ReportPreview::View::TwoPages);
    EXPECT_LE(2 * shownSize(0).width(), room.width());
    EXPECT_EQ(zoomText(), QStringLiteral("Dwie strony"));
    screenshot(QStringLiteral("podglad-dwie-strony.png"));

    p.setZoom(1.0);
    EXPECT_NEAR(shownSize(0).width(), 297 * perMm, 2);
    EXPECT_EQ(zoomText(), QStringLiteral("100%"));
    action(QStringLiteral("Powiększ"))->trigger();
    EXPECT_EQ(zoomText(), QStringLiteral("125%"));
    // The zoom stays within 25 % and 400 %, however it is asked for.
    const struct {
        double asked, shown;
    } zooms[] = {{0.1, 0.25}, {0.25, 0.25}, {4.0, 4.0}, {40.0, 4.0}};
    for (const auto &z : zooms) {
        p.setZoom(z.asked);
        EXPECT_NEAR(shownSize(0).width(), 297 * perMm * z.shown, 2) << z.asked;
    }
    action(QStringLiteral("Powiększ"))->trigger();
    EXPECT_EQ(zoomText(), QStringLiteral("400%"));
    // At 400 % the page in view stays in view.
    p.showPage(1);
    p.setZoom(0.25);
    EXPECT_EQ(p.page(), 1);
    p.setZoom(4.0);
    EXPECT_EQ(p.page(), 1);
    // A percentage typed into the box, and Ctrl with the wheel.
    auto *box = p.findChild<QComboBox *>("zoomBox");
    box->lineEdit()->setText(QStringLiteral("150 %"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_NEAR(p.zoom(), 1.5, 1e-6);
    wheel(120, Qt::ControlModifier);
    EXPECT_NEAR(p.zoom(), 1.875, 1e-6);
    box->lineEdit()->setText(QStringLiteral("Cała strona"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(p.view(), ReportPreview::View::WholePage);
}

TEST_F(Preview, OnlyThePagesAndThumbnailsInViewArePainted)
{
    open(20000);
    ReportPreview &p = preview();
    ASSERT_GT(output->document().pageCount(), 500);
    QTest::keyClick(&p, Qt::Key_End, Qt::ControlModifier);
    QApplication::processEvents();
    p.pages().viewport()->repaint();
    p.findChild<QListView *>("thumbnails")->viewport()->repaint();
    EXPECT_EQ(p.page(), output->document().pageCount() - 1);
    EXPECT_LT(p.pages().pagesPainted(), 10);
    EXPECT_GT(p.thumbnailsPainted(), 0);
    EXPECT_LT(p.thumbnailsPainted(), 30);
}

TEST_F(Preview, ThumbnailsGoToTheirPageAndFollowThePageInView)
{
    ReportPreview &p = preview();
    auto *thumbnails = p.findChild<QListView *>("thumbnails");
    ASSERT_TRUE(thumbnails->isVisible());
    const QModelIndex third = thumbnails->model()->index(2, 0);
    QTest::mouseClick(thumbnails->viewport(), Qt::LeftButton, {}, thumbnails->visualRect(third).center());
    EXPECT_EQ(p.page(), 2);
    EXPECT_EQ(thumbnails->currentIndex().row(), 2);
    // Once the pages stop moving.
    p.showPage(1);
    QTRY_COMPARE(thumbnails->currentIndex().row(), 1);
    screenshot(QStringLiteral("podglad-miniatury.png"));
    QTest::keyClick(&p, Qt::Key_M, Qt::ControlModifier);
    EXPECT_FALSE(thumbnails->isVisible());
    QTest::keyClick(&p, Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(thumbnails->isVisible());
}

TEST_F(Preview, FindCountsTheMatchesOfATextLetterCaseAside)
{
    const struct {
        QString text;
        int matches;
        QString count;
    } cases[] = {
        {"Pozycja 1", 12, "1 z 12"},        // 1, 10 to 19, 100
        {"pozycja", 100, "1 z 100"},        // in every row
        {"ŁÓDŹ", 10, "1 z 10"},             // Polish letters in the other case
        {"5050", 1, "1 z 1"},               // the sum of NR
        {"nic takiego", 0, "Nie znaleziono"},
        {QString(100000, QLatin1Char('x')), 0, "Nie znaleziono"},
        {"", 0, ""},
    };
    ReportPreview &p = preview();
    for (const auto &c : cases) {
        p.findNext(c.text);
        EXPECT_EQ(p.matchCount(), c.matches) << c.text.left(20).toStdString();
        EXPECT_EQ(findCount(), c.count) << c.text.left(20).toStdString();
        EXPECT_EQ(p.currentMatch(), c.matches > 0 ? 0 : -1);
    }
}

TEST_F(Preview, FindMarksTheMatchesAndGoesFromOneToTheNext)
{
    ReportPreview &p = preview();
    QTest::keyClick(&p, Qt::Key_F, Qt::ControlModifier);
    auto *text = p.findChild<QLineEdit *>("findText");
    ASSERT_TRUE(text->isVisible());
    EXPECT_TRUE(text->hasFocus());
    text->setText(QStringLiteral("łódź"));
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(findCount(), QStringLiteral("1 z 10"));
    // Enter, F3 and Shift+Enter; round the end.
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClick(&p, Qt::Key_F3);
    EXPECT_EQ(findCount(), QStringLiteral("3 z 10"));
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(&p, Qt::Key_F3, Qt::ShiftModifier);
    QTest::keyClick(&p, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(findCount(), QStringLiteral("10 z 10"));
    // The page box follows the match: Pozycja 100 is on the last page.
    EXPECT_EQ(p.page(), 2);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(findCount(), QStringLiteral("5 z 10"));
    EXPECT_EQ(p.page(), 1); // Pozycja 50
    // The current match is marked in orange, the others in yellow, over the page.
    QApplication::processEvents();
    const QImage shown = p.pages().viewport()->grab().toImage();
    int orange = 0, yellow = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            orange += c.red() > 240 && c.green() > 150 && c.green() < 200 && c.blue() < 140;
            yellow += c.red() > 240 && c.green() > 230 && c.blue() < 160;
        }
    }
    EXPECT_GT(orange, 200);
    EXPECT_GT(yellow, 200);
    screenshot(QStringLiteral("podglad-znajdz.png"));
    // A new text is looked for from the page in view on.
    text->setText(QStringLiteral("Pozycja 9"));
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(findCount(), QStringLiteral("2 z 11")); // 9 is on page 1, 90 to 99 from page 2 on
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(text->isVisible());
    EXPECT_TRUE(p.isVisible());
}

TEST_F(Preview, TheCurrentPageRangesCopiesAndCollationPrintIntoThePdf)
{
    const QString pdf = path("wydruk.pdf");
    const auto choice = [&](PrintChoice::Range range, int from, int to, int copies, bool collate) {
        PrintChoice c;
        c.file = pdf;
        c.range = range;
        c.from = from;
        c.to = to;
        c.copies = copies;
        c.collate = collate;
        c.orientation = QPageLayout::Landscape;
        return c;
    };
    using R = PrintChoice::Range;
    const struct {
        PrintChoice choice;
        QStringList pages;
    } cases[] = {
        {choice(R::All, 0, 0, 1, true), {"1", "2", "3"}},
        {choice(R::All, 0, 0, 2, true), {"1", "2", "3", "1", "2", "3"}},
        {choice(R::All, 0, 0, 2, false), {"1", "1", "2", "2", "3", "3"}},
        {choice(R::Pages, 2, 3, 1, true), {"2", "3"}},
        {choice(R::Pages, 2, 99, 3, false), {"2", "2", "2", "3", "3", "3"}},
        {choice(R::CurrentPage, 0, 0, 2, true), {"2", "2"}},
    };
    ReportPreview &p = preview();
    p.showPage(1);
    for (const auto &c : cases) {
        ui.prints = {c.choice};
        p.printReport();
        EXPECT_EQ(ui.take(), QStringList{"print: Pozycje (3 str.)"});
        EXPECT_EQ(printedPages(pdf), c.pages);
        EXPECT_TRUE(pdfInfo(pdf).contains(QByteArray("Pages:           ") + QByteArray::number(c.pages.size())));
    }
    // The dialog was offered the current page and proposed the file in the catalogue's folder.
    EXPECT_EQ(ui.printRequest.currentPage, 2);
    EXPECT_EQ(ui.printRequest.pageCount, 3);
    EXPECT_EQ(ui.printProposal.file, path("Pozycje.pdf"));
    // Pages beyond the report print nothing and say so.
    ui.prints = {choice(R::Pages, 5, 6, 1, true)};
    EXPECT_THROW(
        try { output->print(0); } catch (const Exception &e) {
            EXPECT_EQ(e.message(), QStringLiteral("\r\nWydruk ma 3 str.: nie ma w nim strony 5."));
            throw;
        },
        Exception);
    // Cancelled, nothing is printed.
    QFile::remove(pdf);
    ui.prints = {std::nullopt};
    EXPECT_FALSE(output->print(0));
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(Preview, ThePaperChosenLaysTheReportOutAgainAndIsRememberedForTheTitle)
{
    const QString pdf = path("papier.pdf");
    const struct {
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
        QByteArray size;
        int pages;
    } cases[] = {
        {QPageSize::A3, QPageLayout::Landscape, "1191 x 842 pts (A3)", 2},
        {QPageSize::Letter, QPageLayout::Portrait, "612 x 792 pts (letter)", 2},
        {QPageSize::A5, QPageLayout::Portrait, "420 x 595 pts (A5)", 3},
        {QPageSize::Legal, QPageLayout::Landscape, "1008 x 612 pts", 3},
        {QPageSize::A4, QPageLayout::Landscape, "842 x 595 pts (A4)", 3},
    };
    ReportPreview &p = preview();
    p.showPage(2);
    for (const auto &c : cases) {
        PrintChoice choice;
        choice.file = pdf;
        choice.paper = c.paper;
        choice.orientation = c.orientation;
        choice.copies = 2;
        ui.prints = {choice};
        const int record = output->document().firstRecordOn(p.page());
        p.printReport();
        ui.take();
        const QByteArray info = pdfInfo(pdf);
        EXPECT_TRUE(info.contains("Page size:       " + c.size)) << info.toStdString();
        EXPECT_TRUE(info.contains("Pages:           " + QByteArray::number(2 * c.pages))) << info.toStdString();
        // The preview shows the report as printed, the same rows in view.
        EXPECT_EQ(output->document().pageCount(), c.pages);
        EXPECT_EQ(p.findChild<QLabel *>()->text(), QStringLiteral(" z %1 ").arg(c.pages));
        EXPECT_EQ(p.page(), output->document().pageOfRecord(record));
    }
    // The last paper and copies are proposed next time, from the settings file in the catalogue's folder.
    const PrintSettings remembered = PrintSettingsFile(dir.path()).read(QStringLiteral("Pozycje"));
    EXPECT_EQ(remembered.paper, QPageSize::A4);
    EXPECT_EQ(remembered.copies, 2);
    EXPECT_TRUE(QFile::exists(path("drukowanie.ini")));
    EXPECT_FALSE(QFile::exists(path("sqls.ini")));
    ui.prints = {std::nullopt};
    output->print();
    EXPECT_EQ(ui.printProposal.copies, 2);
    EXPECT_TRUE(ui.printProposal.printer.isEmpty());
}

TEST_F(Preview, ANarrowPaperNamesTheColumnsItCutsBeforePrinting)
{
    open(10, 120);
    ASSERT_TRUE(output->document().warnings().isEmpty());
    PrintChoice choice;
    choice.file = path("a5.pdf");
    choice.paper = QPageSize::A5;
    ui.prints = {choice};
    output->print();
    EXPECT_EQ(ui.take(), (QStringList{"print: Pozycje (1 str.)", "Ostrzeżenie: Kolumny poza szerokością strony: NAZWA, KWOTA"}));
    EXPECT_TRUE(pdfInfo(path("a5.pdf")).contains("420 x 595 pts (A5)"));
}

TEST_F(Preview, SavesAsPdfOrTheCurrentPageAsPngInTheFolderLastUsed)
{
    ReportPreview &p = preview();
    ui.inputs = {std::nullopt};
    p.save();
    EXPECT_EQ(ui.take(), QStringList{"save: " + path("Pozycje.pdf")});
    EXPECT_TRUE(ui.saveFilter.contains("(*.pdf)"));
    EXPECT_TRUE(ui.saveFilter.contains("(*.png)"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
    ASSERT_TRUE(QDir(dir.path()).mkdir("inne"));
    ui.inputs = {path("inne/podgląd.pdf")};
    p.save();
    EXPECT_TRUE(pdfInfo(path("inne/podgląd.pdf")).contains("Pages:           3"));
    // The folder last saved in is proposed next; the current page as a PNG image at 300 dpi.
    p.showPage(1);
    ui.inputs = {path("inne/strona.png")};
    p.save();
    EXPECT_EQ(ui.take(), (QStringList{"save: " + path("Pozycje.pdf"), "save: " + path("inne/Pozycje.pdf")}));
    const QImage png(path("inne/strona.png"));
    EXPECT_EQ(png.size(), QSize(3508, 2480));
    EXPECT_GT(darkPixels(png), 1000);
}

TEST_F(Preview, AnEmptyReportHasItsOnePageToShowFindAndPrint)
{
    open(0);
    ReportPreview &p = preview();
    EXPECT_EQ(p.findChild<QLabel *>()->text(), QStringLiteral(" z 1 "));
    QTest::keyClick(&p, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&p, Qt::Key_PageDown);
    EXPECT_EQ(p.page(), 0);
    p.findNext(QStringLiteral("Pozycja"));
    EXPECT_EQ(findCount(), QStringLiteral("Nie znaleziono"));
    PrintChoice choice;
    choice.file = path("pusty.pdf");
    choice.range = PrintChoice::Range::CurrentPage;
    ui.prints = {choice};
    p.printReport();
    EXPECT_EQ(printedPages(path("pusty.pdf")), QStringList{"1"});
}

} // namespace
