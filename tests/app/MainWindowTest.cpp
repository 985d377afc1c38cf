#include "WindowTestSupport.h"

#include "gridtools/DataSetModel.h"
#include "app/WindowEvents.h"
#include "gridtools/DBGrid.h"
#include "gridtools/DBGridPopupMenu.h"
#include "db/Query.h"
#include "query/HistoryLog.h"
#include "session/Session.h"
#include "xls/Workbook.h"
#include "platform/TextFile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using testsupport::WindowTest;
using testsupport::readBytes;

namespace {

enum Page { Wydruki, Przygotowanie, Pomoc, Historia };

QStringList gridRows(const QTableWidget *grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 3; ++c)
            cells.append(grid->item(r, c) ? grid->item(r, c)->text() : QString());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

bool listDependentButtonsEnabled(TfrmKwerix &w)
{
    const bool first = w.controls().btnEdit->isEnabled();
    for (QPushButton *b : {w.controls().btnEdit, w.controls().btnDel, w.controls().btnOpenSQL, w.controls().bWykres, w.controls().btnPreview, w.controls().btnPrint})
        EXPECT_EQ(b->isEnabled(), first) << b->text().toStdString();
    return first;
}

void select(TfrmKwerix &w, int row)
{
    w.controls().lbxSpisSQL->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    w.lbxSpisSQLClick();
}

} // namespace

TEST_F(WindowTest, FirstStartWithoutACatalogue)
{
    TfrmKwerix &win = open();
    EXPECT_EQ(win.windowTitle(), QStringLiteral("Drukowanie, przeglądanie i poprawianie z użyciem zapytań SQL"));
    EXPECT_EQ(win.controls().lbxSpisSQL->count(), 0);
    EXPECT_TRUE(win.editingMode());
    EXPECT_EQ(win.controls().splitList->sizes().first(), 220);
    EXPECT_FALSE(win.isMaximized());
    EXPECT_EQ(win.controls().pc->currentIndex(), Wydruki);
    EXPECT_FALSE(listDependentButtonsEnabled(win));
    EXPECT_TRUE(win.controls().btnNew->isEnabled());
    EXPECT_FALSE(win.controls().btnGetFields->isEnabled());
    EXPECT_TRUE(QFile::exists(path("sqlhist.txt")));
    EXPECT_EQ(readBytes(path("sqlhist.txt")), QByteArray());
    EXPECT_TRUE(ui.take().isEmpty());
    screenshot("pusty-katalog");
}

TEST_F(WindowTest, ExitSavesTheFourSettingsAndTheNextStartRestoresThem)
{
    addEntry("Pierwsze", {"SELECT 1"});
    addEntry("Drugie", {"SELECT 2"});
    TfrmKwerix &win = open();
    select(win, 1);
    win.showMaximized();
    win.controls().splitList->setSizes({300, 400});
    QApplication::processEvents();
    win.btnExitClick();
    EXPECT_EQ(readBytes(catalogueFile()).mid(readBytes(catalogueFile()).indexOf("[UKLAD]")).contains(
                  "ostatniSql=1\r\nSplit1=300\r\nws=1\r\nczyTworzyc=1\r\n"),
              true)
        << readBytes(catalogueFile()).toStdString();

    TfrmKwerix &again = open();
    EXPECT_TRUE(again.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(again.controls().splitList->sizes().first(), 300);
    EXPECT_EQ(again.controls().lbxSpisSQL->currentRow(), 1);
    EXPECT_TRUE(again.controls().lbxSpisSQL->item(1)->isSelected());
}

TEST_F(WindowTest, RestrictedModeComesBackAndIsWrittenAgainOnExit)
{
    addEntry("Raport", {"SELECT 1"});
    addEntry("_DAJKURSY", {"SELECT 2"});
    QueryCatalogue(catalogueFile()).saveSettings({0, false, 220, false});
    TfrmKwerix &win = open();
    EXPECT_FALSE(win.editingMode());
    EXPECT_EQ(listed(), QStringList{"Raport"});
    EXPECT_FALSE(win.controls().btnNew->isVisible());
    EXPECT_FALSE(win.controls().btnDel->isVisible());
    EXPECT_FALSE(win.controls().btnEdit->isVisible());
    EXPECT_FALSE(win.controls().btnSaveOrder->isEnabled());
    screenshot("tryb-ograniczony");
    win.btnExitClick();
    EXPECT_EQ(QueryCatalogue(catalogueFile()).readSettings().czyTworzyc, false);

    TfrmKwerix &again = open();
    again.PokaUkryjinne1Click();
    EXPECT_TRUE(again.editingMode());
    EXPECT_EQ(listed(), (QStringList{"Raport", "_DAJKURSY"}));
    EXPECT_TRUE(again.controls().btnSaveOrder->isEnabled());
    again.btnExitClick();
    EXPECT_EQ(QueryCatalogue(catalogueFile()).readSettings().czyTworzyc, true);
}

TEST_F(WindowTest, ARememberedIndexOutOfRangeMarksNothing)
{
    addEntry("Jedyne", {"SELECT 1"});
    for (const int index : {-1, 1, 7}) {
        QueryCatalogue(catalogueFile()).saveSettings({index, true, 220, false});
        TfrmKwerix &win = open();
        EXPECT_EQ(win.controls().lbxSpisSQL->selectedItems().size(), 0) << index;
        EXPECT_EQ(win.controls().lbxSpisSQL->currentItem(), nullptr) << index;
    }
}

TEST_F(WindowTest, SavingAndDeletingEntries)
{
    TfrmKwerix &win = open();
    // The first entry enables the list's buttons.
    win.btnNewClick();
    EXPECT_EQ(win.controls().pc->currentIndex(), Przygotowanie);
    win.controls().edNazwa->setText("Klienci");
    win.controls().memTRESC->setPlainText("SELECT *\nFROM \"klienci.dbf\"");
    win.controls().edWys->setText("4,5");
    EXPECT_TRUE(win.btnSaveClick());
    EXPECT_EQ(listed(), QStringList{"Klienci"});
    EXPECT_TRUE(listDependentButtonsEnabled(win));
    EXPECT_EQ(win.controls().pc->currentIndex(), Przygotowanie);
    EXPECT_EQ(QueryCatalogue(catalogueFile()).readEntry("Klienci").sql, (QStringList{"SELECT *", "FROM \"klienci.dbf\""}));

    // A new title goes to the end and becomes current; the old entry stays.
    win.controls().edNazwa->setText("Klienci z Łodzi");
    win.controls().edNazwa->setModified(true);
    EXPECT_TRUE(win.btnSaveClick());
    EXPECT_EQ(listed(), (QStringList{"Klienci", "Klienci z Łodzi"}));
    EXPECT_EQ(win.controls().lbxSpisSQL->currentRow(), 1);
    EXPECT_EQ(win.rememberedIndex(), 1);
    // Saving an existing title keeps its place.
    win.controls().edNazwa->setText("KLIENCI");
    EXPECT_TRUE(win.btnSaveClick());
    EXPECT_EQ(listed(), (QStringList{"Klienci", "Klienci z Łodzi"}));
    EXPECT_EQ(win.rememberedIndex(), 0);
    EXPECT_TRUE(ui.take().isEmpty());

    win.controls().pc->setCurrentIndex(Wydruki);
    select(win, 1);
    ui.answers = {false};
    win.btnDelClick();
    EXPECT_EQ(ui.take(), QStringList{"Ostrzeżenie: Czy na pewno usunąć zapytanie SQL:Klienci z Łodzi"});
    EXPECT_EQ(listed(), (QStringList{"Klienci", "Klienci z Łodzi"}));
    ui.answers = {true, true};
    win.btnDelClick();
    select(win, 0);
    win.btnDelClick();
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_FALSE(listDependentButtonsEnabled(win));
    ui.take();

    win.btnDelClick();
    EXPECT_EQ(ui.take(), QStringList{"Błąd: \r\nMusisz najpierw wybrać zapytanie"});
}

TEST_F(WindowTest, ChecksOfTheSaveWriteNothingAndKeepTheEdits)
{
    addEntry("Stare", {"SELECT 1"}, {{"A", "10", ""}});
    TfrmKwerix &win = open();
    select(win, 0);
    win.btnEditClick();
    const QByteArray before = readBytes(catalogueFile());
    win.controls().memTRESC->setPlainText("SELECT 2");
    win.controls().memTRESC->document()->setModified(true);

    // A width that is not an integer, in a row with a field name.
    win.controls().grdFields->setRowCount(2);
    win.controls().grdFields->setItem(1, 0, new QTableWidgetItem("B"));
    win.controls().grdFields->setItem(1, 1, new QTableWidgetItem("szeroko"));
    EXPECT_FALSE(win.btnSaveClick());
    EXPECT_EQ(ui.take(), QStringList{"Błąd: \"szeroko\" nie jest liczbą całkowitą"});
    EXPECT_EQ(win.controls().grdFields->currentRow(), 1);
    EXPECT_EQ(win.controls().grdFields->currentColumn(), 1);
    EXPECT_EQ(readBytes(catalogueFile()), before);
    EXPECT_TRUE(win.controls().memTRESC->document()->isModified());

    // The same width without a field name is accepted and the row is not stored.
    win.controls().grdFields->item(1, 0)->setText(QString());
    win.controls().edNazwa->clear();
    EXPECT_FALSE(win.btnSaveClick());
    EXPECT_EQ(ui.take(), QStringList{"Błąd: \r\nTytuł wydruku nie może być pusty"});
    EXPECT_TRUE(win.controls().memTRESC->document()->isModified());
    // Leaving the page now asks, and a save that fails keeps the user on the page with the text.
    ui.answers = {true};
    win.controls().pc->setCurrentIndex(Wydruki);
    EXPECT_EQ(win.controls().pc->currentIndex(), Przygotowanie);
    EXPECT_EQ(win.controls().memTRESC->toPlainText(), QStringLiteral("SELECT 2"));
    EXPECT_EQ(ui.take(), (QStringList{"question: Czy zapamiętać", "Błąd: \r\nTytuł wydruku nie może być pusty"}));

    win.controls().edNazwa->setText("Stare");
    EXPECT_TRUE(win.btnSaveClick());
    const QueryEntry saved = QueryCatalogue(catalogueFile()).readEntry("Stare");
    EXPECT_EQ(saved.sql, QStringList{"SELECT 2"});
    EXPECT_EQ(saved.layout.fields, (std::vector<FieldLayout>{{"A", "10", ""}}));
    win.controls().pc->setCurrentIndex(Wydruki);
    EXPECT_EQ(win.controls().pc->currentIndex(), Wydruki);
    EXPECT_TRUE(ui.take().isEmpty());
}

TEST_F(WindowTest, ASaveRefusedByTheCatalogueKeepsTheTypedText)
{
    addEntry("Stare", {"SELECT 1"});
    TfrmKwerix &win = open();
    select(win, 0);
    win.btnNewClick();
    QTest::keyClicks(win.controls().edNazwa, "Zestawienie [2024]");
    QTest::keyClicks(win.controls().memTRESC, "SELECT 2");
    // Leaving the page: "Tak" to the question, the catalogue refuses the title.
    ui.answers = {true};
    win.controls().pc->setCurrentIndex(Wydruki);
    const QStringList shown = ui.take();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], QStringLiteral("question: Czy zapamiętać"));
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("error: "))) << shown[1].toStdString();
    EXPECT_EQ(win.controls().pc->currentIndex(), Przygotowanie);
    EXPECT_EQ(win.controls().edNazwa->text(), QStringLiteral("Zestawienie [2024]"));
    EXPECT_EQ(win.controls().memTRESC->toPlainText(), QStringLiteral("SELECT 2"));

    // "&Zapisz" refused as well: the flags stay, so leaving still asks.
    win.controls().edNazwa->setText("a=b");
    win.controls().btnSave->click();
    EXPECT_EQ(ui.take().size(), 1);
    EXPECT_TRUE(win.controls().edNazwa->isModified() || win.controls().memTRESC->document()->isModified());
    ui.answers = {false};
    win.controls().pc->setCurrentIndex(Wydruki);
    EXPECT_EQ(ui.take(), QStringList{"question: Czy zapamiętać"});
    EXPECT_EQ(win.controls().pc->currentIndex(), Wydruki);
    EXPECT_EQ(QueryCatalogue(catalogueFile()).loadTitles(), QStringList{"Stare"});
}

TEST_F(WindowTest, AFieldNameTheCatalogueCannotHoldKeepsTheStoredLayout)
{
    addEntry("Raport", {"SELECT 1"}, {{"A", "10", ""}, {"B", "20", "T"}});
    TfrmKwerix &win = open();
    select(win, 0);
    win.btnEditClick();
    win.controls().grdFields->setRowCount(3);
    win.controls().grdFields->setItem(1, 0, new QTableWidgetItem("x = 1"));
    win.controls().grdFields->setItem(1, 1, new QTableWidgetItem("15"));
    win.controls().grdFields->setItem(2, 0, new QTableWidgetItem("B"));
    win.controls().grdFields->setItem(2, 1, new QTableWidgetItem("20"));
    QTest::keyClicks(win.controls().memTRESC, " AS X");
    win.controls().btnSave->click();
    const QStringList shown = ui.take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("\"x = 1\""))) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QStringLiteral("AS NAZWA"))) << shown[0].toStdString();
    const QueryEntry stored = QueryCatalogue(catalogueFile()).readEntry("Raport");
    EXPECT_EQ(stored.layout.fields, (std::vector<FieldLayout>{{"A", "10", ""}, {"B", "20", "T"}}));
    EXPECT_EQ(stored.sql, QStringList{"SELECT 1"});
    EXPECT_TRUE(win.controls().memTRESC->document()->isModified());
}

TEST_F(WindowTest, LeavingThePageAsksOnlyForChangedTitleOrText)
{
    addEntry("A", {"SELECT 1"});
    TfrmKwerix &win = open();
    select(win, 0);
    win.btnEditClick();
    win.controls().edFont->setText("12");
    win.controls().pc->setCurrentIndex(Wydruki);
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_EQ(QueryCatalogue(catalogueFile()).readEntry("A").layout.fontSize, 8);

    win.controls().pc->setCurrentIndex(Przygotowanie);
    QTest::keyClicks(win.controls().memTRESC, " WHERE 1");
    ui.answers = {false};
    win.controls().pc->setCurrentIndex(Wydruki);
    EXPECT_EQ(ui.take(), QStringList{"question: Czy zapamiętać"});
    EXPECT_EQ(QueryCatalogue(catalogueFile()).readEntry("A").sql, QStringList{"SELECT 1"});

    win.controls().pc->setCurrentIndex(Przygotowanie);
    QTest::keyClicks(win.controls().edNazwa, "B");
    ui.answers = {true};
    win.controls().pc->setCurrentIndex(Historia);
    EXPECT_EQ(ui.take(), QStringList{"question: Czy zapamiętać"});
    EXPECT_EQ(QueryCatalogue(catalogueFile()).loadTitles(), (QStringList{"A", "AB"}));
}

TEST_F(WindowTest, LoadingAnEntryFillsTheEditorAndNewClearsIt)
{
    addEntry("Z polami", {"SELECT A, B FROM t"}, {{"A", "30", "T"}, {"B", "", ""}});
    addEntry("Bez pól", {"SELECT 1"});
    QueryCatalogue catalogue(catalogueFile());
    catalogue.ini().writeInteger("UKLAD", "Z polami", 1);
    catalogue.ini().writeInteger("UKLAD", "Z polami_LP", 2);
    catalogue.ini().writeString("UKLAD", "Z polami_WYS", "5,25");
    catalogue.ini().writeString("UKLAD", "Z polami_LINIA", "1");
    catalogue.ini().writeString("FILES", "Brak pliku", "nie_ma.sql");
    catalogue.ini().writeString("NAZWA_SQL", "Brak pliku", "");
    TfrmKwerix &win = open();
    select(win, 0);
    win.btnEditClick();
    EXPECT_EQ(win.controls().edNazwa->text(), QStringLiteral("Z polami"));
    EXPECT_TRUE(win.controls().rbPionowy->isChecked());
    EXPECT_FALSE(win.controls().czyLP->isChecked());
    EXPECT_TRUE(win.controls().chLinia->isChecked());
    EXPECT_EQ(win.controls().edWys->text(), QStringLiteral("5,25"));
    EXPECT_EQ(win.controls().edFont->text(), QStringLiteral("8"));
    EXPECT_EQ(gridRows(win.controls().grdFields), (QStringList{"A|30|T", "B||"}));
    EXPECT_FALSE(win.controls().edNazwa->isModified());
    screenshot("przygotowanie");

    win.controls().pc->setCurrentIndex(Wydruki);
    select(win, 1);
    win.btnEditClick();
    EXPECT_EQ(gridRows(win.controls().grdFields), QStringList{"||"});
    EXPECT_TRUE(win.controls().rbPoziomy->isChecked());

    win.controls().pc->setCurrentIndex(Wydruki);
    select(win, 2);
    win.btnEditClick();
    EXPECT_EQ(ui.take(), QStringList{"Błąd: \r\nBrak pliku z treścią SQL Brak pliku"});
    EXPECT_EQ(win.controls().memTRESC->toPlainText(), QString());

    // "&Nowe" without a current entry: the error, then an empty page all the same.
    win.controls().pc->setCurrentIndex(Wydruki);
    win.controls().lbxSpisSQL->setCurrentRow(-1);
    win.btnNewClick();
    EXPECT_EQ(ui.take(), QStringList{"Błąd: \r\nMusisz najpierw wybrać zapytanie"});
    EXPECT_EQ(win.controls().edNazwa->text(), QString());
    EXPECT_EQ(gridRows(win.controls().grdFields), QStringList{"||"});
}

TEST_F(WindowTest, MovingEntriesChangesOnlyTheListUntilTheOrderIsSaved)
{
    for (const char *t : {"Pierwsze", "Drugie", "Trzecie"})
        addEntry(t, {"SELECT 1"});
    TfrmKwerix &win = open();
    select(win, 1);
    win.BitBtn1Click();
    win.BitBtn1Click();
    EXPECT_EQ(listed(), (QStringList{"Drugie", "Pierwsze", "Trzecie"}));
    EXPECT_EQ(win.controls().lbxSpisSQL->currentRow(), 0);
    EXPECT_TRUE(win.controls().lbxSpisSQL->item(0)->isSelected());
    EXPECT_EQ(win.rememberedIndex(), 0);
    EXPECT_EQ(QueryCatalogue(catalogueFile()).loadTitles(), (QStringList{"Pierwsze", "Drugie", "Trzecie"}));
    select(win, 2);
    win.BitBtn2Click();
    EXPECT_EQ(listed(), (QStringList{"Drugie", "Pierwsze", "Trzecie"}));
    win.BitBtn3Click();
    EXPECT_EQ(QueryCatalogue(catalogueFile()).loadTitles(), (QStringList{"Drugie", "Pierwsze", "Trzecie"}));
}

TEST_F(WindowTest, TheListHintShowsTheQueryTextAndTheStatusBarItsFile)
{
    addEntry("Klienci", {"SELECT *", "FROM klienci"});
    TfrmKwerix &win = open();
    const QRect first = win.controls().lbxSpisSQL->visualItemRect(win.controls().lbxSpisSQL->item(0));
    win.lbxSpisSQLMouseMove(first.center());
    EXPECT_EQ(win.controls().lbxSpisSQL->toolTip(), QStringLiteral("0: SELECT *\nFROM klienci\n"));
    EXPECT_EQ(win.statusText(), QueryCatalogue(catalogueFile()).resolveTextFile("Klienci"));
    win.lbxSpisSQLMouseMove(QPoint(first.center().x(), first.bottom() + 200));
    EXPECT_EQ(win.controls().lbxSpisSQL->toolTip(), QStringLiteral("0: SELECT *\nFROM klienci\n"));
}

TEST_F(WindowTest, PobierzPolaProposesWidthsAndSums)
{
    addEntry("Raport", {"SELECT 1"}, {{"KWOTA", "15", ""}});
    TfrmKwerix &win = open();
    // Entering the page closes any result, so the result is opened afterwards.
    win.controls().pc->setCurrentIndex(Przygotowanie);
    win.session().result().sql().assign({"SELECT 'x' AS NAZWA, 2.5 AS KWOTA, 3 AS ILE, '2024-01-01' AS DATA"});
    win.session().result().open();
    win.controls().edNazwa->setText("Raport");
    win.btnGetFieldsClick();
    EXPECT_EQ(gridRows(win.controls().grdFields), (QStringList{"NAZWA|20|", "KWOTA|15|", "ILE|20|T", "DATA|20|T"}));
    win.session().result().close();
    win.session().result().sql().assign({"SELECT 1 AS KOD"});
    win.session().result().open();
    win.controls().edNazwa->clear();
    win.btnGetFieldsClick();
    EXPECT_EQ(ui.take(), QStringList{"Ostrzeżenie: \r\nTytuł wydruku nie powinien być pusty"});
    EXPECT_EQ(gridRows(win.controls().grdFields), QStringList{"KOD||"});
}

TEST_F(WindowTest, HistoryIsAppendedShownAndCleared)
{
    testsupport::writeBytes(path("sqlhist.txt"), "stara linia\r\n");
    TfrmKwerix &win = open();
    EXPECT_EQ(win.controls().memHistory->toPlainText(), QStringLiteral("stara linia"));
    win.session().appendHistory(HistoryLog::startLine(QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)), "Raport"));
    win.session().appendHistory(HistoryLog::stampLine(QDateTime(QDate(2024, 3, 5), QTime(0, 0))));
    EXPECT_EQ(readBytes(path("sqlhist.txt")),
              QByteArray("stara linia\r\n          05.03.2024 08:09:10....Raport\r\n          05.03.2024\r\n"));
    testsupport::writeBytes(path("sqlhist.txt"), testsupport::cp("zmieniona z zewnątrz\r\n"));
    win.controls().pc->setCurrentIndex(Historia);
    EXPECT_EQ(win.controls().memHistory->toPlainText(), QStringLiteral("zmieniona z zewnątrz"));
    screenshot("historia");
    win.Button1Click();
    EXPECT_EQ(readBytes(path("sqlhist.txt")), QByteArray());
    EXPECT_TRUE(win.controls().memHistory->toPlainText().isEmpty());
}

TEST_F(WindowTest, HelpPageShowsTheHelpTextAndHandsTheSqlHelpToTheDesktop)
{
    TfrmKwerix &win = open();
    win.controls().pc->setCurrentIndex(Pomoc);
    EXPECT_TRUE(win.controls().memHelp->toPlainText().isEmpty());
    testsupport::writeBytes(path("vSql.hlp"), testsupport::cp("Pomoc do zapytań\r\nDruga linia\r\n"));
    win.controls().pc->setCurrentIndex(Wydruki);
    win.controls().pc->setCurrentIndex(Pomoc);
    EXPECT_EQ(win.controls().memHelp->toPlainText(), QStringLiteral("Pomoc do zapytań\nDruga linia"));
    win.BitBtn4Click();
    EXPECT_EQ(ui.opened, QStringList{path("localSql.hlp")});
    EXPECT_TRUE(ui.take().isEmpty());
}

TEST_F(WindowTest, TheGridPopupHasTheWindowsOwnItems)
{
    TfrmKwerix &win = open();
    QStringList captions;
    win.controls().DBGridPopupMenu1->preparePopup();
    for (QAction *a : win.controls().DBGridPopupMenu1->actions())
        captions.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(captions, (QStringList{"Drukuj", "Utwórz plik", "Pokaż / Ukryj inne", "przepisz .XLS do .CSV ", "-", "Filtruj",
                                     "Sortuj", "Sortuj aktywną kolumnę", "Szukaj...", "Rozmiar czcionki"}));
    EXPECT_TRUE(win.controls().Drukuj1->isEnabled());
    EXPECT_TRUE(win.controls().wrzplik1->isEnabled());

    TXlsWorkbook book;
    book.sheet(0).setAsString(0, 0, "z arkusza");
    book.filename = path("dane.xls");
    book.write();
    ui.inputs = {QString("dane.xls"), std::nullopt};
    win.controls().czytajXls1->trigger();
    EXPECT_EQ(ui.take(), QStringList{"input: .XLS [.xls]"});
    EXPECT_EQ(readBytes(path("dane.csv")), QByteArray("z arkusza;\r\n"));
    win.controls().czytajXls1->trigger();
    ui.take();
    ui.inputs = {QString("brak.xls")};
    win.controls().czytajXls1->trigger();
    const QStringList shown = ui.take();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].startsWith("error: Cannot open file")) << shown[1].toStdString();
}

TEST_F(WindowTest, GridsShowTheOneResultWithoutCopies)
{
    TfrmKwerix &win = open();
    win.session().result().sql().assign({"SELECT 'Łódź' AS MIASTO, 12.5 AS KWOTA UNION ALL SELECT 'Kraków', -3"});
    win.session().result().open();
    EXPECT_EQ(win.controls().grdQRY->model(), win.controls().grdTestResult->model());
    EXPECT_EQ(win.controls().grdQRY->model()->rowCount(), 2);
    // Floating-point amounts in digit groups, right-aligned in 15 characters.
    EXPECT_EQ(win.controls().grdQRY->model()->data(win.controls().grdQRY->model()->index(0, 1)).toString(), QStringLiteral("          12,50"));
    EXPECT_EQ(win.controls().grdTestResult->model()->data(win.controls().grdTestResult->model()->index(1, 1)).toString(), QStringLiteral("          -3,00"));
    EXPECT_EQ(win.controls().grdQRY->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("MIASTO"));
    screenshot("wynik");
    win.session().result().close();
    EXPECT_EQ(win.controls().grdQRY->model()->rowCount(), 0);
}

TEST_F(WindowTest, DialogsDoNotSendTheUserBackToTheFirstPage)
{
    addEntry("A", {"SELECT 1"});
    TfrmKwerix &win = open();
    select(win, 0);
    win.btnEditClick();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&win, &activate);
    EXPECT_EQ(win.controls().pc->currentIndex(), Przygotowanie);
}

TEST_F(WindowTest, WykonajWantsASelectedQuery)
{
    TfrmKwerix &win = open();
    win.controls().btnOpenSQL->setEnabled(true);
    win.controls().btnOpenSQL->click();
    EXPECT_EQ(ui.take(), QStringList{"Błąd: \r\nMusisz najpierw wybrać zapytanie"});
    EXPECT_FALSE(win.session().result().active());
}

TEST_F(WindowTest, WykonajRunsTheSelectedQueryAndShowsItsResult)
{
    addEntry("Miasta", {"SELECT 'Łódź' AS MIASTO, 1234567.5 AS KWOTA", "UNION ALL SELECT 'Gdańsk', -1234567.5"});
    TfrmKwerix &win = open();
    select(win, 0);
    win.controls().btnOpenSQL->click();
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_EQ(win.controls().lblResult->text(), QStringLiteral("Wynik zapytania (2 poz.)"));
    EXPECT_TRUE(win.controls().btnGetFields->isEnabled());
    EXPECT_EQ(win.statusText(),
              QStringLiteral("SELECT 'Łódź' AS MIASTO, 1234567.5 AS KWOTA\r\nUNION ALL SELECT 'Gdańsk', -1234567.5\r\n"));
    const QAbstractItemModel *grid = win.controls().grdQRY->model();
    EXPECT_EQ(grid->data(grid->index(0, 1)).toString(), QStringLiteral("   1 234 567,50"));
    EXPECT_EQ(grid->data(grid->index(1, 1)).toString(), QStringLiteral("    -1234567,50"));
    EXPECT_EQ(win.controls().memHistory->toPlainText().count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(win.controls().memHistory->toPlainText().contains(QStringLiteral("....Miasta")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    screenshot("wynik-zapytania");
}

TEST_F(WindowTest, ARunThatFailsShowsTheStandardErrorBoxAndKeepsItsStartLine)
{
    addEntry("Zła", {"SELECT * FROM nie_ma"});
    TfrmKwerix &win = open();
    select(win, 0);
    win.controls().btnOpenSQL->click();
    EXPECT_EQ(ui.take(), QStringList{"error: no such table: nie_ma."});
    EXPECT_EQ(readBytes(path("sqlhist.txt")).count("\r\n"), 1);
    EXPECT_FALSE(win.session().result().active());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, TestujSqlRunsTheEditorTextWithItsPrompts)
{
    TfrmKwerix &win = open();
    win.controls().pc->setCurrentIndex(Przygotowanie);
    win.controls().memTRESC->setPlainText(QStringLiteral("SELECT 'dd.mm.rrrr' AS D, :STRNAZWA AS N"));
    ui.dates = {QDate(2004, 3, 5)};
    ui.inputs = {QStringLiteral("Łódź")};
    win.controls().btnTest->click();
    EXPECT_EQ(ui.take(), (QStringList{"date: ", "input: NAZWA (Tekst) []"}));
    EXPECT_EQ(win.session().result().field(0)->asString(), QStringLiteral("05.03.2004"));
    EXPECT_EQ(win.session().result().field(1)->asString(), QStringLiteral("Łódź"));
    EXPECT_EQ(win.controls().lblResult->text(), QStringLiteral("Wynik zapytania (1 poz.)"));
    EXPECT_EQ(win.controls().pc->currentIndex(), Przygotowanie);
}

TEST_F(WindowTest, ExportsWriteTheResultAndCloseIt)
{
    addEntry("_DAJWYNIK", {"SELECT 1 AS A"});
    TfrmKwerix &win = open();
    MainWindowControls &c = win.controls();
    select(win, 0);
    c.btnOpenSQL->click();
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_TRUE(QFile::exists(path("WYNIK.DB")));
    EXPECT_FALSE(win.session().result().active());
    EXPECT_FALSE(c.btnGetFields->isEnabled());
    EXPECT_EQ(win.controls().grdQRY->model()->rowCount(), 0);

    // "Utwórz plik" asks for the name; Cancel keeps the result.
    c.pc->setCurrentIndex(Przygotowanie);
    c.memTRESC->setPlainText("SELECT 'Łódź' AS MIASTO");
    c.btnTest->click();
    ui.inputs = {std::nullopt, QString("miasta.csv")};
    c.wrzplik1->trigger();
    EXPECT_TRUE(win.session().result().active());
    c.wrzplik1->trigger();
    EXPECT_EQ(ui.take(), (QStringList{"input: .XLS, .DB, .DBF, .TXT, .CSV [table]", "input: .XLS, .DB, .DBF, .TXT, .CSV [table]"}));
    EXPECT_EQ(readBytes(path("miasta.csv")), testsupport::cp("MIASTO;\r\nŁódź;\r\n") + QByteArray(165, ' ') + "\r\n");
    EXPECT_FALSE(win.session().result().active());
    ui.inputs = {QString("znowu.csv")};
    c.wrzplik1->trigger();
    const QStringList shown = ui.take();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1], QStringLiteral("error: Cannot perform this operation on a closed dataset."));
}

TEST_F(WindowTest, TheDemoCatalogueRunsInTheWindow)
{
    const QDir demo(QStringLiteral(KWERIX_SOURCE_DIR "/examples/demo"));
    for (const QString &name : demo.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(demo.filePath(name), path(name)));
    TfrmKwerix &win = open();
    win.resize(1000, 640);
    EXPECT_EQ(win.controls().splitList->sizes().first(), 240);
    screenshot("demo-start");

    const auto run = [&](const QString &title) {
        select(win, static_cast<int>(listed().indexOf(title)));
        win.controls().btnOpenSQL->click();
    };
    ui.dates = {QDate(2026, 1, 1), QDate(2026, 3, 31)};
    run(QStringLiteral("Faktury z okresu"));
    EXPECT_EQ(ui.take(), (QStringList{"date: ", "date: "}));
    EXPECT_GT(win.session().result().recordCount(), 5);
    EXPECT_EQ(win.controls().lblResult->text(), QStringLiteral("Wynik zapytania (%1 poz.)").arg(win.session().result().recordCount()));
    screenshot("demo-faktury-z-okresu");

    // The preliminary query of rates asks for the one date of the run, then hands its export on.
    ui.dates = {QDate(2026, 3, 5)};
    run(QStringLiteral("Faktury w złotych"));
    EXPECT_EQ(ui.take(), QStringList{"date: "});
    EXPECT_GT(win.session().result().recordCount(), 5);

    win.btnEditClick();
    win.controls().btnTest->click();
    EXPECT_EQ(win.controls().pc->currentIndex(), Przygotowanie);
    screenshot("demo-przygotowanie");
    win.controls().pc->setCurrentIndex(Historia);
    EXPECT_EQ(win.controls().memHistory->toPlainText().count(QStringLiteral("....")), 4);
    screenshot("demo-historia");
    win.controls().pc->setCurrentIndex(Pomoc);
    EXPECT_TRUE(win.controls().memHelp->toPlainText().startsWith(QStringLiteral("Kwerix - zapytania SQL")));
    screenshot("demo-pomoc");
}

TEST_F(WindowTest, ALongReadShowsItsProgressAndCanBeCalledOff)
{
    addEntry("Duża", {"SELECT * FROM \"duza.dbf\""});
    {
        TfrmKwerix &maker = open();
        maker.session().testSql({"CREATE TABLE \"duza.dbf\" AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                 "SELECT i + 1 FROM n WHERE i < 40000) SELECT i AS NR FROM n"});
    }
    const QByteArray table = readBytes(path("duza.dbf"));
    TfrmKwerix &win = open();
    MainWindowControls &c = win.controls();
    select(win, 0);
    win.events().setProgressDelay(0);
    bool shown = false;
    QTimer::singleShot(0, &win, [&] {
        shown = c.progressBar->isVisible() && c.btnCancelWork->isVisible();
        // Nothing but "Przerwij" takes input while the work runs.
        QTest::mouseClick(c.btnNew, Qt::LeftButton);
        QTest::mouseClick(c.btnCancelWork, Qt::LeftButton);
    });
    c.btnOpenSQL->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_EQ(c.pc->currentIndex(), Wydruki);
    EXPECT_FALSE(win.session().result().active());
    EXPECT_FALSE(c.progressBar->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(readBytes(path("duza.dbf")), table);

    // Run again, not called off: the whole table.
    c.btnOpenSQL->click();
    EXPECT_EQ(win.session().result().recordCount(), 40000);
    EXPECT_EQ(c.lblResult->text(), QStringLiteral("Wynik zapytania (40000 poz.)"));
}

TEST_F(WindowTest, PreviewAndPrintRunTheSelectedQueryAnewAndShowItsReport)
{
    addEntry("Raport dd.mm.rrrr", {"SELECT :ILE AS ILE, 'Łódź' AS MIASTO"}, {{"ILE", "30", ""}});
    TfrmKwerix &win = open();
    MainWindowControls &c = win.controls();
    c.lbxSpisSQL->setCurrentRow(-1);
    c.btnPreview->click();
    EXPECT_EQ(ui.take(), QStringList{"Błąd: \r\nMusisz najpierw wybrać zapytanie"});
    select(win, 0);
    ui.inputs = {QString("2"), QString("3")};
    ui.dates = {QDate(2024, 3, 5)};
    // The run asks for its parameter; the title's date markers ask for the date of the run.
    c.btnPreview->click();
    EXPECT_EQ(ui.take(), (QStringList{"input: ILE (Liczba) [0]", "date: ", "preview: Raport 05.03.2024 (1 str.)"}));
    // Each press runs the query again, with its prompts.
    ui.reportPdf = path("podglad.pdf");
    ui.dates = {QDate(2024, 3, 5)};
    c.btnPrint->click();
    EXPECT_EQ(ui.take(), (QStringList{"input: ILE (Liczba) [0]", "date: 2024-03-05", "print: Raport 05.03.2024 (1 str.)"}));
    QByteArray text;
    ASSERT_EQ(testsupport::run("pdftotext", {"-layout", path("podglad.pdf"), "-"}, &text), 0);
    EXPECT_TRUE(QString::fromUtf8(text).contains(QRegularExpression("ILE +MIASTO"))) << text.toStdString();
    EXPECT_TRUE(QString::fromUtf8(text).contains(QStringLiteral("Łódź")));
    EXPECT_TRUE(QString::fromUtf8(text).contains(QStringLiteral("ILE=3")));
}

TEST_F(WindowTest, AReportIsLaidOutForThePaperItsTitleWasLastPrintedOn)
{
    addEntry("Sto", {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)",
                     "SELECT i AS NR FROM n"});
    addEntry("Inny", {"SELECT 1 AS NR"});
    TfrmKwerix &win = open();
    select(win, 0);
    PrintChoice a5;
    a5.file = path("sto.pdf");
    a5.paper = QPageSize::A5;
    a5.orientation = QPageLayout::Landscape;
    ui.prints = {a5};
    win.controls().btnPrint->click();
    EXPECT_EQ(ui.take(), QStringList{"print: Sto (3 str.)"});
    // Printed on A5, the title's report is laid out on A5 from then on; other titles stay on A4.
    win.controls().btnPreview->click();
    EXPECT_EQ(ui.take(), QStringList{"preview: Sto (5 str.)"});
    const QString settings = QString::fromLatin1(testsupport::readBytes(path("drukowanie.ini")));
    EXPECT_TRUE(settings.contains("Sto=A5")) << settings.toStdString();
    EXPECT_FALSE(QString::fromLatin1(testsupport::readBytes(path("sqls.ini"))).contains("A5"));
    select(win, 1);
    ui.prints = {std::nullopt};
    win.controls().btnPrint->click();
    EXPECT_EQ(ui.printProposal.paper, QPageSize::A4);
}

TEST_F(WindowTest, ThePopupsPrintPreviewsTheResultOnScreenWithItsFilter)
{
    addEntry("Liczby", {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50)",
                        "SELECT i AS NR, i * 1.5 AS KWOTA FROM n"});
    TfrmKwerix &win = open();
    MainWindowControls &c = win.controls();
    c.Drukuj1->trigger();
    EXPECT_EQ(ui.take(), QStringList{"Błąd: \r\nZapytanie nie zostało przygotowane !"});
    select(win, 0);
    c.btnOpenSQL->click();
    win.session().result().setFilter("NR > 40");
    win.session().result().setFiltered(true);
    ui.reportPdf = path("filtr.pdf");
    c.Drukuj1->trigger();
    EXPECT_EQ(ui.take(), QStringList{"preview: Liczby (1 str.)"});
    QByteArray text;
    ASSERT_EQ(testsupport::run("pdftotext", {"-layout", path("filtr.pdf"), "-"}, &text), 0);
    // Row 40 and its amount are filtered out (the page header's time may hold "40").
    EXPECT_FALSE(QString::fromUtf8(text).contains(QRegularExpression("\\b40 +60,00"))) << text.toStdString();
    EXPECT_TRUE(QString::fromUtf8(text).contains(QRegularExpression("\\b41 +61,50"))) << text.toStdString();
    // 41..50 and their amounts.
    EXPECT_TRUE(QString::fromUtf8(text).contains(QRegularExpression("\\b455 +682,50"))) << text.toStdString();

    // After "Testuj SQL", the popup prints the tested statement under the last run's title.
    win.session().result().setFiltered(false);
    win.controls().pc->setCurrentIndex(Przygotowanie);
    c.memTRESC->setPlainText("SELECT 1 AS JEDEN");
    c.btnTest->click();
    c.Drukuj1->trigger();
    EXPECT_EQ(ui.take(), QStringList{"preview: Liczby (1 str.)"});
}

TEST_F(WindowTest, ColumnsThatDoNotPrintAsLaidOutAreNamedBeforeThePreviewAndThePrintout)
{
    // N is too narrow for its number; B runs past the page's edge, C begins beyond it.
    addEntry("Szeroki", {"SELECT 123456789 AS N, 1 AS A, 2 AS B, 3 AS C"},
             {{"N", "5", ""}, {"A", "150", ""}, {"B", "150", ""}, {"C", "20", ""}});
    TfrmKwerix &win = open();
    select(win, 0);
    const QString warning = QStringLiteral("Ostrzeżenie: Kolumny poza szerokością strony: B, C\r\n"
                                           "Wartości zastąpione znakami \"#\", bo nie mieszczą się w kolumnach: N");
    win.controls().btnPreview->click();
    EXPECT_EQ(ui.take(), (QStringList{warning, "preview: Szeroki (1 str.)"}));
    win.controls().btnPrint->click();
    EXPECT_EQ(ui.take(), (QStringList{warning, "print: Szeroki (1 str.)"}));
}

TEST_F(WindowTest, TheResultGridsPopupFiltersSortsAndSearches)
{
    const QDir demo(QStringLiteral(KWERIX_SOURCE_DIR "/examples/demo"));
    for (const QString &name : demo.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(demo.filePath(name), path(name)));
    TfrmKwerix &win = open();
    MainWindowControls &c = win.controls();
    select(win, static_cast<int>(listed().indexOf(QStringLiteral("Klienci według miast"))));
    c.btnOpenSQL->click();
    Query &result = win.session().result();
    ASSERT_EQ(result.recordCount(), 11);
    TDBGridPopupMenu &popup = *c.DBGridPopupMenu1;
    popup.preparePopup();
    if (!qEnvironmentVariableIsEmpty("KWERIX_SCREENSHOTS")) {
        popup.popup(c.grdQRY->mapToGlobal(QPoint(40, 40)));
        popup.grab().save(qEnvironmentVariable("KWERIX_SCREENSHOTS") + QStringLiteral("/popup.png"));
        popup.hide();
    }

    // Sort by the column of the city, then filter by the cell of Kraków.
    c.grdQRY->setCurrentIndex(c.grdQRY->model()->index(0, 2));
    popup.sortByColumn->trigger();
    EXPECT_EQ(result.sql().lines().last(), QStringLiteral(" ORDER BY MIASTO"));
    c.grdQRY->setCurrentIndex(c.grdQRY->model()->index(3, 2));
    popup.filterByCell->trigger();
    EXPECT_EQ(result.filter(), QStringLiteral("MIASTO= 'Kraków'"));
    EXPECT_EQ(result.recordCount(), 2);

    // "Szukaj..." through the real dialog.
    popup.filterOnOff->trigger();
    ui.dialogs.steps.push_back([](QDialog &d) {
        d.findChild<QLineEdit *>(QStringLiteral("edWartosc"))->setText(QStringLiteral("hotel"));
        d.findChild<QComboBox *>(QStringLiteral("cbPole"))->setCurrentText(QStringLiteral("NAZWA"));
        return int(QDialog::Accepted);
    });
    popup.search->trigger();
    EXPECT_EQ(result.fieldByName(QStringLiteral("NAZWA"))->asString(), QStringLiteral("Hotel Nad Jeziorem Łebsko"));
    EXPECT_EQ(c.grdQRY->currentIndex().row(), result.recNo());
    EXPECT_EQ(ui.take(), QStringList{"dialog: Szukanie rekordu"});
}
