// The result grid's tools driven from the main window on a result larger than one progress step:
// every tool leaves the window taking input, a sort shows its progress and can be called off, and
// the grid's font size.
#include "WindowTestSupport.h"

#include "app/UChart.h"
#include "app/WindowEvents.h"
#include "db/Query.h"
#include "gridtools/DBGrid.h"
#include "gridtools/DBGridPopupMenu.h"
#include "platform/Progress.h"
#include "session/Session.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using testsupport::WindowTest;

namespace {

constexpr int kRows = kProgressInterval + 3616; // 20,000

class GridToolsWindow : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        addEntry("Duża", {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)",
                          "SELECT i AS NR, 'Kontrahent ' || (20000 - i) AS NAZWA, i * 1.5 AS KWOTA FROM n"});
        TfrmKwerix &win = open();
        win.events().setProgressDelay(0);
        win.controls().lbxSpisSQL->setCurrentRow(0);
        win.controls().btnOpenSQL->click();
        ASSERT_EQ(result().recordCount(), kRows);
    }

    MainWindowControls &c() { return w->controls(); }
    Query &result() { return w->session().result(); }
    TDBGridPopupMenu &popup() { return *c().DBGridPopupMenu1; }

    // Whether the window takes input: no progress shows, the cursor is the normal one, and a key
    // reaches the editor.
    void expectInputTaken(const char *after)
    {
        EXPECT_FALSE(c().progressBar->isVisible()) << after;
        EXPECT_FALSE(c().btnCancelWork->isVisible()) << after;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << after;
        c().memTRESC->clear();
        QTest::keyClicks(c().memTRESC, QStringLiteral("x"));
        EXPECT_EQ(c().memTRESC->toPlainText(), QStringLiteral("x")) << after;
    }
};

TEST_F(GridToolsWindow, EveryToolLeavesTheWindowTakingInput)
{
    popup().setPozycjeMenu(popup().PozycjeMenu() | pmSortujDowolnieQuery);
    popup().preparePopup();
    c().grdQRY->setCurrentIndex(c().grdQRY->model()->index(5, 2)); // KWOTA
    const auto accept = [this](const std::function<void(QDialog &)> &fill) {
        ui.dialogs.steps.push_back([fill](QDialog &d) {
            fill(d);
            return int(QDialog::Accepted);
        });
    };
    const struct {
        const char *what;
        std::function<void()> act;
    } tools[] = {
        {"Sortuj aktywną kolumnę", [&] { popup().sortByColumn->trigger(); }},
        {"Sortuj: NAZWA", [&] { popup().sortGroup->actions().at(1)->trigger(); }},
        {"Sortuj dowolnie...",
         [&] {
             accept([](QDialog &d) {
                 auto *source = d.findChild<QListWidget *>(QStringLiteral("lsSource"));
                 source->setCurrentRow(0);
                 d.findChild<QPushButton *>(QStringLiteral("btnMoveDest"))->click();
             });
             popup().freeSort->trigger();
         }},
        {"Filtruj według aktywnej komórki", [&] { popup().filterByCell->trigger(); }},
        {"Filtr aktywny", [&] { popup().filterOnOff->trigger(); }},
        {"Filtruj...",
         [&] {
             accept([](QDialog &d) { d.findChild<QPlainTextEdit *>(QStringLiteral("memWarunek"))->setPlainText("NR > 100"); });
             popup().filterDialog->trigger();
         }},
        {"Szukaj...",
         [&] {
             accept([](QDialog &d) { d.findChild<QLineEdit *>(QStringLiteral("edWartosc"))->setText("Kontrahent 7"); });
             popup().search->trigger();
         }},
        {"Drukuj", [&] { c().Drukuj1->trigger(); }},
        {"Podgląd", [&] { c().btnPreview->click(); }},
        {"Wykres",
         [&] {
             accept([](QDialog &d) {
                 auto &chart = dynamic_cast<TFrmChart &>(d);
                 chart.ComboBox1->setEditText("NR");
                 chart.ComboBox2->setEditText("KWOTA");
                 chart.RunBtn->click();
             });
             c().bWykres->click();
         }},
    };
    for (const auto &tool : tools) {
        tool.act();
        expectInputTaken(tool.what);
    }
    EXPECT_EQ(result().recordCount(), kRows - 100);
    const QStringList shown = ui.take();
    EXPECT_EQ(shown.filter(QStringLiteral("error")), QStringList());
    EXPECT_EQ(shown.filter(QStringLiteral("preview")).size(), 2);
}

TEST_F(GridToolsWindow, ASortShowsItsProgressAndCanBeCalledOff)
{
    const QStringList lines = result().sql().lines();
    c().grdQRY->setCurrentIndex(c().grdQRY->model()->index(0, 1)); // NAZWA
    bool shown = false;
    QTimer::singleShot(0, w.get(), [&] {
        shown = c().progressBar->isVisible() && c().btnCancelWork->isVisible();
        QTest::mouseClick(c().btnCancelWork, Qt::LeftButton);
    });
    popup().sortByColumn->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(result().sql().lines(), lines);
    EXPECT_EQ(result().recordCount(), kRows);
    EXPECT_EQ(result().fieldByName("NR")->asInteger(), 1);
    EXPECT_TRUE(ui.take().isEmpty());
    expectInputTaken("the sort called off");
}

TEST_F(GridToolsWindow, TheFontSizeInUseIsTickedAndALargerOneWidensTheColumns)
{
    DBGrid &grid = *c().grdQRY;
    EXPECT_EQ(grid.fontPoints(), 8);
    emit popup().fontSizeGroup->aboutToShow();
    EXPECT_TRUE(popup().fontSizes.at(0)->isChecked());
    const int narrow = grid.columnWidth(2);
    popup().fontSizes.at(3)->trigger();
    emit popup().fontSizeGroup->aboutToShow();
    EXPECT_TRUE(popup().fontSizes.at(3)->isChecked());
    // The amounts as shown, 30 000,00 at most, fit their column.
    const QFontMetrics metrics(grid.font());
    EXPECT_GT(grid.columnWidth(2), narrow);
    EXPECT_GE(grid.columnWidth(2), metrics.horizontalAdvance(QStringLiteral("     30 000,00")));
    screenshot("czcionka-14");
}

} // namespace
