// The chart window driven headless: its state rules, the options, zoom, keys, "Max"/"Min",
// printing, and its opening from the main window.
#include "../chart/ChartTestSupport.h"
#include "ScriptedUi.h"
#include "WindowTestSupport.h"
#include "app/UChart.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class ChartWindow : public ChartRowsTest {
protected:
    void SetUp() override
    {
        ChartRowsTest::SetUp();
        openRows("MIASTO VARCHAR(20), DZIEN DATE, KWOTA FLOAT, SZT INTEGER",
                 "('Łódź', '2024-03-01', 10, 1), ('Kraków', '2024-03-03', 20, 2), ('Łódź', '2024-03-03', 5, 3)");
    }
    void TearDown() override
    {
        window.reset();
        ChartRowsTest::TearDown();
    }

    TFrmChart &open()
    {
        window = std::make_unique<TFrmChart>(query, ui);
        window->show();
        QApplication::processEvents();
        return *window;
    }
    // Names the fields as a user types them, and presses "Wykonaj".
    void draw(const QString &x, const QString &y, const QString &series = QString())
    {
        window->ComboBox1->setEditText(x);
        window->ComboBox2->setEditText(y);
        window->ComboBox3->setEditText(series);
        QTest::mouseClick(window->RunBtn, Qt::LeftButton);
        window->Chart->repaint();
    }
    bool optionsEnabled() const
    {
        for (QWidget *w : {static_cast<QWidget *>(window->ZoomGB), static_cast<QWidget *>(window->ShapeRG),
                           static_cast<QWidget *>(window->FormsRG), window->Panel2, window->Panel3, window->MovePnl,
                           static_cast<QWidget *>(window->BarFormsRG)}) {
            if (!w->isEnabled())
                return false;
        }
        return true;
    }
    // A key pressed while a field box has the focus.
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window->ComboBox3, static_cast<Qt::Key>(k), modifiers);
    }

    ScriptedUi ui;
    std::unique_ptr<TFrmChart> window;
};

TEST_F(ChartWindow, OpensWithItsFieldsListedAndNothingDrawn)
{
    TFrmChart &w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Wykresy"));
    for (QComboBox *box : {w.ComboBox1, w.ComboBox2, w.ComboBox3}) {
        EXPECT_EQ(box->count(), 4);
        EXPECT_EQ(box->itemText(0), QStringLiteral("MIASTO"));
        EXPECT_EQ(box->currentText(), QString());
    }
    EXPECT_TRUE(w.rbBars->isChecked());
    EXPECT_TRUE(w.rb3D->isChecked());
    EXPECT_TRUE(w.rbSideBySide->isChecked());
    EXPECT_FALSE(w.ChkBoxMarks->isChecked());
    EXPECT_FALSE(w.Chart->isVisible());
    EXPECT_FALSE(optionsEnabled());
    EXPECT_EQ(w.Button1->text(), QStringLiteral("Max"));
}

TEST_F(ChartWindow, DrawsTheSumsAndEnablesTheOptionsOnceDrawn)
{
    TFrmChart &w = open();
    query.first();
    draw("miasto", "KWOTA");
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_TRUE(w.Chart->isVisible());
    EXPECT_TRUE(optionsEnabled());
    EXPECT_EQ(w.data().labels, (QStringList{"Łódź", "Kraków"}));
    EXPECT_EQ(w.data().series[0].values, (std::vector<double>{15, 20}));
    EXPECT_EQ(w.zoomCounter(), 0);
    EXPECT_FALSE(w.ResetBtn->isEnabled());
    // Drawing leaves the data set on its last record.
    EXPECT_EQ(query.recNo(), 2);
    if (!qEnvironmentVariableIsEmpty("KWERIX_SCREENSHOTS"))
        w.grab().save(qEnvironmentVariable("KWERIX_SCREENSHOTS") + QStringLiteral("/wykresy.png"));
}

TEST_F(ChartWindow, WithoutXOrYItSaysBrakParametrowAndChangesNothing)
{
    TFrmChart &w = open();
    draw("MIASTO", "KWOTA");
    const std::vector<double> drawn = w.data().series[0].values;
    for (const auto &[x, y] : {std::pair{"", "KWOTA"}, {"MIASTO", "  "}}) {
        draw(x, y, "MIASTO");
        EXPECT_EQ(ui.take(), QStringList{"Informacja: Brak parametrów"});
        EXPECT_EQ(w.data().series.size(), 1u);
        EXPECT_EQ(w.data().series[0].values, drawn);
        EXPECT_TRUE(w.Chart->isVisible());
    }
}

TEST_F(ChartWindow, TheYBoxRefusesTextFieldsOnly)
{
    TFrmChart &w = open();
    w.ComboBox2->setCurrentIndex(0); // MIASTO
    EXPECT_EQ(ui.take(), QStringList{"Informacja: Pole MIASTO nie zawiera liczb: na osi Y można pokazywać tylko liczby"});
    EXPECT_EQ(w.ComboBox2->currentText(), QString());
    EXPECT_EQ(w.ComboBox2->currentIndex(), -1);
    for (const int field : {1, 2, 3}) { // a date, a float, an integer
        w.ComboBox2->setCurrentIndex(field);
        EXPECT_TRUE(ui.take().isEmpty()) << field;
        EXPECT_EQ(w.ComboBox2->currentIndex(), field);
    }
    w.ComboBox1->setCurrentIndex(0);
    w.ComboBox3->setCurrentIndex(0);
    EXPECT_TRUE(ui.take().isEmpty());
    // A typed name that is no field: the engine's error when drawing.
    draw("MIASTO", "KWOTA", "NIEMA");
    EXPECT_EQ(ui.take(), QStringList{"error: Field 'NIEMA' not found."});
}

TEST_F(ChartWindow, TheYBoxChecksAFieldWhenItIsChosenNotWhileItIsTyped)
{
    openRows("NUMER VARCHAR(10), NETTO_PLN FLOAT", "('FV/1', 10)");
    TFrmChart &w = open();
    w.ComboBox1->setEditText(QStringLiteral("NUMER"));
    const QString refused = QStringLiteral("Informacja: Pole NUMER nie zawiera liczb: na osi Y można pokazywać tylko liczby");
    // NUMER typed, then the box left, or Enter pressed (which presses "Wykonaj" too).
    w.ComboBox2->lineEdit()->clear();
    QTest::keyClicks(w.ComboBox2, QStringLiteral("NUMER"));
    EXPECT_TRUE(ui.take().isEmpty());
    emit w.ComboBox2->lineEdit()->editingFinished();
    EXPECT_EQ(ui.take(), QStringList{refused});
    EXPECT_EQ(w.ComboBox2->currentText(), QString());
    QTest::keyClicks(w.ComboBox2, QStringLiteral("NUMER"));
    QTest::keyClick(w.ComboBox2, Qt::Key_Return);
    EXPECT_EQ(ui.take(), (QStringList{refused, "Informacja: Brak parametrów"}));
    // N completes to NUMER on the way to NETTO_PLN: nothing is said while it is typed.
    QTest::keyClicks(w.ComboBox2, QStringLiteral("NETTO_PLN"));
    EXPECT_TRUE(ui.take().isEmpty());
    QTest::keyClick(w.ComboBox2, Qt::Key_Return);
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("NETTO_PLN"));
    EXPECT_TRUE(w.Chart->isVisible());
}

TEST_F(ChartWindow, ADateTimeXGivesADayEach)
{
    openRows("CZAS TIMESTAMP, KWOTA FLOAT", "('2024-03-01 10:30:00', 1), ('2024-03-03 08:00:00', 2), ('2024-03-03 17:15:00', 3)");
    TFrmChart &w = open();
    draw("CZAS", "KWOTA");
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_TRUE(w.Chart->isVisible());
    EXPECT_EQ(w.data().labels, (QStringList{"01.03.2024", "02.03.2024", "03.03.2024"}));
    EXPECT_EQ(w.data().series[0].values, (std::vector<double>{1, 0, 5}));
    EXPECT_EQ(w.statusText(), QString());
}

TEST_F(ChartWindow, ResultsWithoutAChartSayWhyAndDrawNothing)
{
    TFrmChart &w = open();
    openRows("X INTEGER, Y FLOAT", "(0, 1), (50000, 2)");
    w.FormShow();
    draw("X", "Y");
    ASSERT_EQ(ui.take().size(), 1u);
    EXPECT_TRUE(w.statusText().startsWith(QStringLiteral("Na osi X byłoby 50 001 wartości")));
    EXPECT_FALSE(w.Chart->isVisible());

    openRows("X INTEGER, Y FLOAT", "");
    w.FormShow();
    draw("X", "Y");
    EXPECT_EQ(ui.take(), QStringList{"Informacja: Brak danych do wykresu"});
    EXPECT_FALSE(w.Chart->isVisible());

    openRows("X INTEGER, Y FLOAT", "(1, 1), (2, NULL), (2.5, 3)");
    w.FormShow();
    draw("X", "Y");
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_TRUE(w.Chart->isVisible());
    EXPECT_EQ(w.statusText(), QStringLiteral("Pominięte wiersze (X poza osią lub brak wartości Y): 2"));
}

TEST_F(ChartWindow, WhatTheChartCannotShowIsRefusedThroughItsMessages)
{
    TFrmChart &w = open();
    QStringList rows;
    for (int i = 0; i <= kMaxSeries; ++i)
        rows.append(QStringLiteral("(%1, 'k%2', 1, x'2700ff')").arg(i % 7).arg(i));
    openRows("X INTEGER, S VARCHAR(10), Y FLOAT, B BLOB", rows.join(QLatin1Char(',')));
    w.FormShow();
    const struct {
        const char *y, *series, *message;
    } cases[] = {
        {"Y", "S", "Pole S ma ponad 500 wartości, a wykres może pokazać najwyżej 500 serii. Wybierz inne pole serii lub zawęź "
                   "wynik."},
        // The blob's text begins with a quote and a NUL, which cut the message short.
        {"B", "", "Pole B nie zawiera liczb: na osi Y można pokazywać tylko liczby"},
    };
    for (const auto &c : cases) {
        draw("X", c.y, c.series);
        const QStringList shown = ui.take();
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown.first(), QStringLiteral("Informacja: ") + QString::fromUtf8(c.message));
        EXPECT_FALSE(w.Chart->isVisible());
    }
    // The status keeps the last refusal.
    EXPECT_EQ(w.statusText(), QString::fromUtf8(cases[1].message));

    // A text that SQLite keeps in a column declared numeric.
    openRows("X INTEGER, Y FLOAT", "(1, 2), (2, CAST(x'2700ff' AS TEXT))");
    w.FormShow();
    draw("X", "Y");
    EXPECT_EQ(ui.take(), QStringList{"Informacja: Pole Y zawiera wartość, która nie jest liczbą: na osi Y można pokazywać tylko liczby"});
    EXPECT_FALSE(w.Chart->isVisible());
}

TEST_F(ChartWindow, ZoomCountsTwentyStepsEachWayAndResetUndoesIt)
{
    TFrmChart &w = open();
    draw("DZIEN", "KWOTA");
    const ChartAxes fitted = w.axes();
    for (int i = 0; i < 20; ++i)
        QTest::mouseClick(w.ZoomInBtn, Qt::LeftButton);
    EXPECT_EQ(w.zoomCounter(), 20);
    EXPECT_TRUE(w.ResetBtn->isEnabled());
    const double width = w.axes().xMax - w.axes().xMin;
    EXPECT_NEAR(width, (fitted.xMax - fitted.xMin) / std::pow(1.1, 20), 1e-9);
    QTest::mouseClick(w.ZoomInBtn, Qt::LeftButton);
    EXPECT_EQ(w.zoomCounter(), 20);
    EXPECT_DOUBLE_EQ(w.axes().xMax - w.axes().xMin, width);

    QTest::mouseClick(w.ResetBtn, Qt::LeftButton);
    EXPECT_EQ(w.zoomCounter(), 0);
    EXPECT_FALSE(w.ResetBtn->isEnabled());
    EXPECT_TRUE(w.axes().automatic);
    EXPECT_DOUBLE_EQ(w.axes().xMin, fitted.xMin);
    EXPECT_DOUBLE_EQ(w.axes().yMax, fitted.yMax);

    for (int i = 0; i < 25; ++i)
        QTest::mouseClick(w.ZoomOutBtn, Qt::LeftButton);
    EXPECT_EQ(w.zoomCounter(), -20);
    // "Wykonaj" starts the count again.
    draw("DZIEN", "KWOTA");
    EXPECT_EQ(w.zoomCounter(), 0);
}

TEST_F(ChartWindow, DrawingAnewUndoesTheZoomAndItsCount)
{
    TFrmChart &w = open();
    draw("DZIEN", "KWOTA", "MIASTO");
    for (QRadioButton *choice : {w.rbStacked, w.rbLines}) {
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(w.ZoomInBtn, Qt::LeftButton);
        QTest::mouseClick(choice, Qt::LeftButton);
        EXPECT_EQ(w.zoomCounter(), 0) << choice->text().toStdString();
        EXPECT_TRUE(w.axes().automatic);
        EXPECT_FALSE(w.ResetBtn->isEnabled());
        QTest::mouseClick(w.ZoomInBtn, Qt::LeftButton);
        EXPECT_EQ(w.zoomCounter(), 1);
        QTest::mouseClick(w.ResetBtn, Qt::LeftButton);
    }
}

TEST_F(ChartWindow, TheGroupsKeepTheirPlacesWhenTheBarFormsHide)
{
    TFrmChart &w = open();
    draw("MIASTO", "KWOTA");
    const auto places = [&] {
        QList<QRect> rects;
        for (QWidget *group : {static_cast<QWidget *>(w.ShapeRG), static_cast<QWidget *>(w.FormsRG), w.Panel2,
                               static_cast<QWidget *>(w.ZoomGB), w.MovePnl, w.Panel3})
            rects.append(group->geometry());
        return rects;
    };
    const QList<QRect> bars = places();
    QTest::mouseClick(w.rbLines, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(w.BarFormsRG->isVisible());
    EXPECT_EQ(places(), bars);
}

TEST_F(ChartWindow, ArrowsShiftTheAxesByATenth)
{
    TFrmChart &w = open();
    draw("SZT", "KWOTA");
    const struct {
        QPushButton *button;
        double dx, dy;
    } cases[] = {{w.LeftBtn, 0.1, 0}, {w.RightBtn, -0.1, 0}, {w.UpBtn, 0, -0.1}, {w.DownBtn, 0, 0.1}};
    for (const auto &c : cases) {
        const ChartAxes before = w.axes();
        QTest::mouseClick(c.button, Qt::LeftButton);
        EXPECT_NEAR(w.axes().xMin - before.xMin, (before.xMax - before.xMin) * c.dx, 1e-9);
        EXPECT_NEAR(w.axes().yMax - before.yMax, (before.yMax - before.yMin) * c.dy, 1e-9);
        EXPECT_FALSE(w.axes().automatic);
    }
    // A drag to the right shows what lies left.
    const double before = w.axes().xMin;
    QTest::mousePress(w.Chart, Qt::LeftButton, {}, QPoint(300, 100));
    QTest::mouseMove(w.Chart, QPoint(350, 100));
    QTest::mouseRelease(w.Chart, Qt::LeftButton, {}, QPoint(350, 100));
    EXPECT_LT(w.axes().xMin, before);
}

TEST_F(ChartWindow, WhileTheChartShowsItTakesEveryKey)
{
    TFrmChart &w = open();
    draw("SZT", "KWOTA");
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int zoom;
        bool shifted;
    } cases[] = {
        {Qt::Key_Plus, Qt::KeypadModifier, 1, false},  {Qt::Key_Plus, Qt::NoModifier, 0, false},
        {Qt::Key_Minus, Qt::KeypadModifier, -1, false}, {Qt::Key_Left, Qt::NoModifier, 0, true},
        {Qt::Key_Down, Qt::NoModifier, 0, true},        {Qt::Key_A, Qt::NoModifier, 0, false},
        {Qt::Key_Escape, Qt::NoModifier, 0, false},     {Qt::Key_Return, Qt::NoModifier, 0, false},
    };
    for (const auto &c : cases) {
        w.ResetBtnClick();
        key(c.key, c.modifiers);
        EXPECT_EQ(w.zoomCounter(), c.zoom) << c.key;
        EXPECT_EQ(!w.axes().automatic, c.zoom != 0 || c.shifted) << c.key;
        EXPECT_TRUE(w.Chart->hasFocus()) << c.key;
        EXPECT_TRUE(w.isVisible()) << "Escape and Enter do not close the window while the chart shows";
        EXPECT_EQ(w.ComboBox3->currentText(), QString());
    }
    for (const int reset : {int(Qt::Key_Delete), int(Qt::Key_Period)}) {
        QTest::mouseClick(w.ZoomInBtn, Qt::LeftButton);
        key(reset, reset == Qt::Key_Delete ? Qt::NoModifier : Qt::KeypadModifier);
        EXPECT_EQ(w.zoomCounter(), 0);
        EXPECT_TRUE(w.axes().automatic);
    }
}

TEST_F(ChartWindow, OptionsRedrawWithoutLosingTheData)
{
    TFrmChart &w = open();
    draw("DZIEN", "KWOTA", "MIASTO");
    ASSERT_EQ(w.data().series.size(), 2u);
    QTest::mouseClick(w.rbLines, Qt::LeftButton);
    EXPECT_EQ(w.options().shape, ChartOptions::Shape::Lines);
    EXPECT_FALSE(w.BarFormsRG->isVisible());
    QTest::mouseClick(w.rbBars, Qt::LeftButton);
    EXPECT_TRUE(w.BarFormsRG->isVisible());
    QTest::mouseClick(w.rbFlat, Qt::LeftButton);
    EXPECT_FALSE(w.options().threeD);
    QTest::mouseClick(w.rbStacked100, Qt::LeftButton);
    EXPECT_EQ(w.options().arrangement, ChartOptions::Arrangement::Stacked100);
    EXPECT_DOUBLE_EQ(w.axes().yMax, 105);
    QTest::mouseClick(w.ChkBoxMarks, Qt::LeftButton);
    EXPECT_TRUE(w.options().marks);
    EXPECT_EQ(w.data().series.size(), 2u);
    EXPECT_TRUE(w.Chart->hasFocus());
}

TEST_F(ChartWindow, MaxGivesTheChartTheWholeWindowAndMinGivesItBack)
{
    TFrmChart &w = open();
    draw("MIASTO", "KWOTA");
    const int height = w.Chart->height();
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(w.Button1->text(), QStringLiteral("Min"));
    EXPECT_FALSE(w.Panel1->isVisible());
    EXPECT_GT(w.Chart->height(), height);
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(w.Button1->text(), QStringLiteral("Max"));
    EXPECT_TRUE(w.Panel1->isVisible());
    EXPECT_EQ(w.Chart->height(), height);
}

TEST_F(ChartWindow, ComingBackToTheWindowKeepsTheChartAndTheChoices)
{
    TFrmChart &w = open();
    draw("MIASTO", "KWOTA", "MIASTO");
    QTest::mouseClick(w.rbLines, Qt::LeftButton);
    // Its own message box, another program in between.
    draw("", "KWOTA");
    ui.take();
    w.hide();
    w.show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    QApplication::processEvents();
    EXPECT_TRUE(w.Chart->isVisible());
    EXPECT_TRUE(optionsEnabled());
    EXPECT_TRUE(w.rbLines->isChecked());
    EXPECT_EQ(w.ComboBox2->currentText(), QStringLiteral("KWOTA"));
    EXPECT_EQ(w.data().series.size(), 2u);
}

TEST_F(ChartWindow, PrintsThroughTheReportsPrintDialogOnThePaperAndCopiesChosen)
{
    TFrmChart &w = open();
    draw("MIASTO", "KWOTA");
    // Landscape on A4 at first, the file proposed in the folder the window works in.
    ui.reportPdf = path("wykres.pdf");
    QTest::mouseClick(w.PrintBtn, Qt::LeftButton);
    EXPECT_EQ(ui.take(), QStringList{"print: Wykres (1 str.)"});
    EXPECT_EQ(ui.printProposal.orientation, QPageLayout::Landscape);
    EXPECT_EQ(ui.printProposal.file, QDir::current().filePath("Wykres.pdf"));
    QByteArray info;
    ASSERT_EQ(testsupport::run("pdfinfo", {path("wykres.pdf")}, &info), 0);
    EXPECT_TRUE(info.contains("Page size:       842 x 595 pts (A4)")) << info.toStdString();
    EXPECT_TRUE(info.contains("Pages:           1"));
    PrintChoice choice = ui.printProposal;
    choice.file = path("wykres.pdf");
    choice.paper = QPageSize::A3;
    choice.orientation = QPageLayout::Portrait;
    choice.copies = 2;
    ui.prints = {choice, std::nullopt};
    QTest::mouseClick(w.PrintBtn, Qt::LeftButton);
    ASSERT_EQ(testsupport::run("pdfinfo", {path("wykres.pdf")}, &info), 0);
    EXPECT_TRUE(info.contains("Page size:       842 x 1191 pts (A3)")) << info.toStdString();
    EXPECT_TRUE(info.contains("Pages:           2"));
    // Cancelled, nothing is printed.
    QFile::remove(path("wykres.pdf"));
    QTest::mouseClick(w.PrintBtn, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(path("wykres.pdf")));
}

class ChartFromMainWindow : public testsupport::WindowTest {};

TEST_F(ChartFromMainWindow, WykresOpensTheChartWindowOverTheResult)
{
    addEntry("Liczby", {"SELECT 'a' AS NAZWA, 1 AS ILE UNION ALL SELECT 'b', 2"});
    TfrmKwerix &main = open();
    main.controls().lbxSpisSQL->setCurrentRow(0);
    main.btnOpenSQLClick();
    ui.take();
    QStringList fields;
    ui.dialogs.steps.push_back([&](QDialog &dialog) {
        auto &chart = static_cast<TFrmChart &>(dialog);
        for (int i = 0; i < chart.ComboBox1->count(); ++i)
            fields.append(chart.ComboBox1->itemText(i));
        return QDialog::Accepted;
    });
    QTest::mouseClick(main.controls().bWykres, Qt::LeftButton);
    EXPECT_EQ(ui.dialogs.shown, QStringList{"Wykresy"});
    EXPECT_EQ(fields, (QStringList{"NAZWA", "ILE"}));
}

} // namespace
