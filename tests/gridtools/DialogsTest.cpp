// The tools' dialogs driven headless: the record filter, the free sort, the record search and the
// search by index.
#include "GridToolsTestSupport.h"

#include "gridtools/DBFiltrowanie.h"
#include "gridtools/DBGridPopupMenu.h"
#include "gridtools/DBSzukanie.h"
#include "gridtools/DBSzukaniePoIndeksie.h"
#include "gridtools/FSzukaj.h"
#include "gridtools/SearchOptionsBox.h"
#include "gridtools/fFiltruj.h"
#include "gridtools/fSortujDowolnieQuery.h"
#include "gridtools/fSzukajPoIndeksie.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

namespace {

QStringList entries(const QListWidget &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.item(i)->text());
    return texts;
}

// Saves a picture of the dialog when KWERIX_SCREENSHOTS names a folder.
void screenshot(QDialog &dialog)
{
    const QString folder = qEnvironmentVariable("KWERIX_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    dialog.show();
    dialog.grab().save(folder + QLatin1Char('/') + dialog.objectName() + QStringLiteral(".png"));
}

template <class Dialog>
std::function<int(QDialog &)> step(std::function<int(Dialog &)> fill)
{
    return [fill](QDialog &dialog) {
        const int result = fill(dynamic_cast<Dialog &>(dialog));
        screenshot(dialog);
        return result;
    };
}

// ---- the record filter -----------------------------------------------------------------------------

TEST(FilterDialog, ConditionLinesJoinIntoTheExpression)
{
    TfmFiltruj dialog;
    dialog.lsPole->addItems({"NAZWA", "DATA URODZENIA"});
    dialog.lsBooleanOperator->setEnabled(false);
    dialog.lsPole->setCurrentIndex(0);
    dialog.edWartosc->setText("Kowalski");
    dialog.btnDodajClick();
    EXPECT_TRUE(dialog.lsBooleanOperator->isEnabled());
    dialog.lsPole->setCurrentIndex(1);
    dialog.lsOperator->setCurrentText(">");
    dialog.lsBooleanOperator->setCurrentText("OR");
    dialog.edWartosc->setText("1990-01-01");
    dialog.btnDodajClick();
    EXPECT_EQ(dialog.lines(), (QStringList{"NAZWA = 'Kowalski'", "OR [DATA URODZENIA] > '1990-01-01'"}));
    EXPECT_EQ(filterExpression(dialog.lines()), QStringLiteral(" NAZWA = 'Kowalski' OR [DATA URODZENIA] > '1990-01-01'"));

    dialog.btnWyczyscClick();
    EXPECT_FALSE(dialog.lsBooleanOperator->isEnabled());
    dialog.lsPole->setCurrentIndex(0);
    dialog.lsOperator->setCurrentText("blank");
    dialog.edWartosc->clear();
    dialog.btnDodajClick();
    EXPECT_EQ(dialog.lines(), QStringList{"NAZWA blank ''"});
    EXPECT_EQ(conditionLine("NAZWA", "=", "O'Brien", "AND", true), QStringLiteral("NAZWA = 'O''Brien'"));
    EXPECT_EQ(filterExpression({}), QString());
}

using Filter = GridTest;

TEST_F(Filter, TheDialogStartsOnTheGridsColumnAndAppliesItsOptions)
{
    openCustomers();
    selectCell(0, 2); // MIASTO
    query.setFilterOptions(DataSet::foNoPartialCompare | DataSet::foCaseInsensitive);
    ui.dialogs.steps.push_back(step<TfmFiltruj>([](TfmFiltruj &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Filtrowanie"));
        EXPECT_EQ(d.lsPole->currentText(), QStringLiteral("MIASTO"));
        EXPECT_EQ(d.lsPole->count(), 5);
        EXPECT_FALSE(d.cbPartialCompare->isChecked());
        EXPECT_FALSE(d.cbCaseSensitive->isChecked());
        EXPECT_FALSE(d.lsBooleanOperator->isEnabled());
        d.edWartosc->setText("łódź");
        d.btnDodaj->click();
        d.cbPartialCompare->setChecked(true);
        return int(QDialog::Accepted);
    }));
    TDBFiltrowanie filter;
    filter.grid = grid.get();
    EXPECT_TRUE(filter.Execute(ui));
    EXPECT_EQ(query.filter(), QStringLiteral(" MIASTO = 'łódź'"));
    EXPECT_EQ(query.filterOptions(), DataSet::FilterOptions(DataSet::foCaseInsensitive));
    EXPECT_EQ(column("NAZWA"), (QStringList{"Kowalski", "kowalczyk"}));

    // Cancel changes nothing; OK on an empty memo shows every record with the filter on.
    ui.dialogs.steps.push_back([](QDialog &) { return int(QDialog::Rejected); });
    EXPECT_FALSE(filter.Execute(ui));
    EXPECT_EQ(query.recordCount(), 2);
    ui.dialogs.steps.push_back([](QDialog &) { return int(QDialog::Accepted); });
    EXPECT_TRUE(filter.Execute(ui));
    EXPECT_TRUE(query.filtered());
    EXPECT_EQ(query.recordCount(), 4);
}

TEST_F(Filter, ARejectedExpressionTurnsTheFilterOffAndFieldListsAreHonoured)
{
    openCustomers();
    selectCell(0, 1); // NAZWA, not among the fields to filter
    ui.dialogs.steps.push_back(step<TfmFiltruj>([](TfmFiltruj &d) {
        EXPECT_EQ(d.lsPole->currentText(), QStringLiteral("CENA"));
        d.memWarunek->setPlainText("CENA >>> 'x'");
        d.cbCaseSensitive->setChecked(true);
        d.cbPartialCompare->setChecked(false);
        return int(QDialog::Accepted);
    }));
    TDBFiltrowanie filter;
    filter.grid = grid.get();
    filter.AllFieldsToFilter = false;
    filter.FieldsToFilter = {"CENA", "KOD"};
    filter.Title = "Wybór klientów";
    EXPECT_FALSE(filter.Execute(ui));
    EXPECT_FALSE(query.filtered());
    EXPECT_EQ(query.filterOptions(), DataSet::FilterOptions(DataSet::foNoPartialCompare));
    EXPECT_EQ(ui.dialogs.shown, QStringList{"Wybór klientów"});
    TDBFiltrowanie none;
    EXPECT_FALSE(none.Execute(ui));
}

TEST_F(Filter, AComputedAmountEqualsWhatTheGridShows)
{
    openInvoices();
    const QString shown = shownSum(36816.88, 8467.88);
    const struct {
        QString condition;
        QList<int> nrs;
    } cases[] = {
        {"BRUTTO = '" + shown + "'", {1, 3}},
        {"BRUTTO <> '" + shown + "'", {2}},
        {"BRUTTO >= '" + shown + "'", {1, 3}},
        {"BRUTTO < '" + shown + "'", {2}},
        {"BRUTTO = '45 284,76'", {1, 3}},
    };
    for (const auto &c : cases) {
        ui.dialogs.steps.push_back(step<TfmFiltruj>([&c](TfmFiltruj &d) {
            d.memWarunek->setPlainText(c.condition);
            return int(QDialog::Accepted);
        }));
        TDBFiltrowanie filter;
        filter.dataSet = &query;
        EXPECT_TRUE(filter.Execute(ui)) << c.condition.toStdString();
        QList<int> nrs;
        for (const QString &nr : column("NR"))
            nrs.append(nr.toInt());
        EXPECT_EQ(nrs, c.nrs) << c.condition.toStdString();
    }
    EXPECT_TRUE(ui.statuses.isEmpty());
}

// ---- the free sort ---------------------------------------------------------------------------------

TEST(FreeSortDialog, MovesByButtonsKeysAndDrops)
{
    TfmSortujDowolnieQuery dialog;
    dialog.show();
    dialog.lsSource->addItems({"NAZWA", "DATA", "KWOTA"});
    dialog.btnMoveDestClick(); // nothing selected
    EXPECT_TRUE(entries(*dialog.lsDest).isEmpty());
    dialog.lsSource->setCurrentRow(0);
    dialog.btnMoveDest->click();
    dialog.rbDesc->setChecked(true);
    EXPECT_EQ(dialog.lsSource->currentRow(), 0); // DATA is selected now
    QTest::keyClick(dialog.lsSource, Qt::Key_Right);
    EXPECT_EQ(dialog.chosen(), (QStringList{"NAZWA ASC", "DATA DESC"}));
    EXPECT_EQ(entries(*dialog.lsSource), QStringList{"KWOTA"});

    // Back to the end of the available list.
    dialog.lsDest->setCurrentRow(1);
    QTest::keyClick(dialog.lsDest, Qt::Key_Left);
    EXPECT_EQ(entries(*dialog.lsSource), (QStringList{"KWOTA", "DATA"}));
    EXPECT_EQ(dialog.chosen(), QStringList{"NAZWA ASC"});

    // Dropping from one list onto the other moves the selected entry.
    dialog.lsSource->setCurrentRow(1);
    dialog.dragDrop(dialog.lsDest, dialog.lsSource, QPoint(5, 5));
    EXPECT_EQ(dialog.chosen(), (QStringList{"NAZWA ASC", "DATA DESC"}));
    // The last available entry leaves the list empty with nothing selected.
    dialog.lsSource->setCurrentRow(0);
    dialog.btnMoveDestClick();
    EXPECT_EQ(dialog.lsSource->count(), 0);
    EXPECT_TRUE(dialog.lsSource->selectedItems().isEmpty());

    // Dragging the second chosen entry onto the first makes it first, selected.
    dialog.lsDest->setCurrentRow(1);
    const QPoint first = dialog.lsDest->visualItemRect(dialog.lsDest->item(0)).center();
    EXPECT_TRUE(TfmSortujDowolnieQuery::acceptsDrop(*dialog.lsDest, dialog.lsDest, first));
    dialog.dragDrop(dialog.lsDest, dialog.lsDest, first);
    EXPECT_EQ(dialog.chosen(), (QStringList{"DATA DESC", "NAZWA ASC", "KWOTA DESC"}));
    EXPECT_EQ(dialog.lsDest->currentRow(), 0);
    // Onto the entry itself, or beyond the entries, a drop is refused; from the other list always taken.
    EXPECT_FALSE(TfmSortujDowolnieQuery::acceptsDrop(*dialog.lsDest, dialog.lsDest, first));
    EXPECT_FALSE(TfmSortujDowolnieQuery::acceptsDrop(*dialog.lsDest, dialog.lsDest, QPoint(5, 5000)));
    EXPECT_TRUE(TfmSortujDowolnieQuery::acceptsDrop(*dialog.lsSource, dialog.lsDest, QPoint(5, 5)));
}

using FreeSort = GridTest;

TEST_F(FreeSort, SortsByTheChosenFieldsAndFindsTheRecordAgain)
{
    openCustomers();
    query.setRecNo(1); // Nowak
    ui.dialogs.steps.push_back(step<TfmSortujDowolnieQuery>([](TfmSortujDowolnieQuery &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Wybór pól do sortowania"));
        EXPECT_EQ(entries(*d.lsSource), (QStringList{"KOD", "NAZWA", "MIASTO", "CENA"}));
        d.lsSource->setCurrentRow(2);
        d.btnMoveDestClick();
        d.rbDesc->setChecked(true);
        d.lsSource->setCurrentRow(2);
        d.btnMoveDestClick();
        return int(QDialog::Accepted);
    }));
    freeSortQuery(query, ui, nullptr);
    EXPECT_EQ(query.sql().lines(), (QStringList{"SELECT * FROM klienci", " ORDER BY MIASTO COLLATE PL ASC, CENA DESC"}));
    EXPECT_EQ(column("NAZWA"), (QStringList{"O'Brien", "Nowak", "Kowalski", "kowalczyk"}));
    EXPECT_EQ(query.fieldByName("NAZWA")->asString(), QStringLiteral("Nowak"));
    ui.dialogs.steps.push_back([](QDialog &) { return int(QDialog::Accepted); });
    freeSortQuery(query, ui, nullptr); // nothing chosen: nothing changes
    EXPECT_EQ(query.sql().lines(), (QStringList{"SELECT * FROM klienci", " ORDER BY MIASTO COLLATE PL ASC, CENA DESC"}));
}

// ---- the record search -----------------------------------------------------------------------------

using Search = GridTest;

TEST_F(Search, TheDefaultFieldWinsOverTheGridsColumn)
{
    openCustomers();
    selectCell(0, 3); // CENA
    struct Case {
        QString defaultField;
        const char *opensOn;
    };
    for (const Case &c : {Case{QString(), "CENA"}, Case{"NAZWA", "NAZWA"}, Case{"NIE_MA", "KOD"}}) {
        ui.dialogs.steps.push_back(step<TfmSzukaj>([&c](TfmSzukaj &d) {
            EXPECT_EQ(d.cbPole->currentText(), QString::fromLatin1(c.opensOn)) << c.opensOn;
            return int(QDialog::Rejected);
        }));
        TDBSzukanie finder;
        finder.grid = grid.get();
        finder.DefaultField = c.defaultField;
        int events = 0;
        finder.BeforeSearch = [&events](TCustomDBSzukanie &) { ++events; };
        EXPECT_FALSE(finder.Execute(ui));
        EXPECT_EQ(events, 0);
    }
}

TEST_F(Search, FindsTheFirstMatchWithTheOptions)
{
    openCustomers();
    ui.dialogs.steps.push_back(step<TfmSzukaj>([](TfmSzukaj &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Szukanie rekordu"));
        EXPECT_TRUE(d.options->cbPartialKey->isChecked());
        EXPECT_FALSE(d.options->cbCaseSensitive->isChecked());
        d.edWartosc->setText("kow");
        return int(QDialog::Accepted);
    }));
    TDBSzukanie finder;
    finder.dataSet = &query;
    finder.DefaultField = "NAZWA";
    QString seen;
    finder.BeforeSearch = [&seen](TCustomDBSzukanie &s) { seen = s.KeyFields; };
    query.setRecNo(2);
    EXPECT_TRUE(finder.Execute(ui));
    EXPECT_EQ(seen, QStringLiteral("NAZWA"));
    EXPECT_EQ(finder.SearchOptions, DataSet::LocateOptions(DataSet::loCaseInsensitive | DataSet::loPartialKey));
    EXPECT_EQ(query.recNo(), 0);

    // Not found leaves the cursor; a value that does not convert is no error.
    ui.dialogs.steps.push_back(step<TfmSzukaj>([](TfmSzukaj &d) {
        d.edWartosc->setText("Zieliński");
        return int(QDialog::Accepted);
    }));
    EXPECT_FALSE(finder.Execute(ui));
    EXPECT_EQ(query.recNo(), 0);
    finder.DefaultField = "CENA";
    ui.dialogs.steps.push_back(step<TfmSzukaj>([](TfmSzukaj &d) {
        d.edWartosc->setText("dużo");
        return int(QDialog::Accepted);
    }));
    EXPECT_FALSE(finder.Execute(ui));
}

TEST_F(Search, FindsComputedAmountsDatesAndLogicalValuesWithTheDefaultOptions)
{
    // Each value as the grid shows it, sought with the options the dialog starts with (partial,
    // case-insensitive): an amount the engine computed equals what it shows, and a date, a
    // date-time or a logical value is sought whole.
    openInvoices();
    ASSERT_NE(query.fieldByName("BRUTTO")->asFloat(), 45284.76);
    const struct {
        const char *field;
        QString value;
        int nr;
    } cases[] = {
        {"BRUTTO", shownSum(36816.88, 8467.88), 1}, {"BRUTTO", "45 284,76", 1}, {"BRUTTO", shownSum(30000.01, 6900), 2},
        {"DATA", "12.01.2020", 1},                  {"WYSLANO", "02.03.2024 09:00:00", 2},
        {"ODEBRANO", "2024-03-02 11:30:00", 1},    {"ZAPLACONO", "False", 2},
    };
    for (const auto &c : cases) {
        query.setRecNo(3);
        ui.dialogs.steps.push_back(step<TfmSzukaj>([&c](TfmSzukaj &d) {
            d.edWartosc->setText(c.value);
            d.cbPole->setCurrentText(QString::fromLatin1(c.field));
            return int(QDialog::Accepted);
        }));
        TDBSzukanie finder;
        finder.dataSet = &query;
        EXPECT_TRUE(finder.Execute(ui)) << c.field << " " << c.value.toStdString();
        EXPECT_EQ(query.fieldByName("NR")->asInteger(), c.nr) << c.field << " " << c.value.toStdString();
    }
}

// ---- the search by index ---------------------------------------------------------------------------

using IndexSearch = GridTest;

TEST_F(IndexSearch, OnlyTextFieldsTakePartWithoutAValue)
{
    openCustomers(QStringLiteral("ORDER BY NAZWA DESC, KOD"));
    EXPECT_EQ(orderingFields(query), (QStringList{"NAZWA", "KOD"}));
    ui.dialogs.steps.push_back(step<TfmSzukajPoIndeksie>([](TfmSzukajPoIndeksie &d) {
        EXPECT_EQ(d.fieldRows(), 2);
        EXPECT_EQ(d.fieldAt(0), QStringLiteral("NAZWA"));
        d.sgWarunek->item(0, 1)->setText("now");
        return int(QDialog::Accepted);
    }));
    TDBSzukaniePoIndeksie finder;
    finder.dataSet = &query;
    EXPECT_TRUE(finder.Execute(ui));
    EXPECT_EQ(finder.KeyFields, QStringLiteral("NAZWA"));
    EXPECT_EQ(finder.KeyValues, QVariantList{"now"});
    EXPECT_EQ(query.fieldByName("NAZWA")->asString(), QStringLiteral("Nowak"));

    // Two text rows, both empty: both take part with empty texts, which a partial search finds
    // in the first record.
    openCustomers(QStringLiteral("ORDER BY NAZWA, MIASTO"));
    ui.dialogs.steps.push_back([](QDialog &) { return int(QDialog::Accepted); });
    EXPECT_TRUE(finder.Execute(ui));
    EXPECT_EQ(query.recNo(), 0);
    EXPECT_EQ(finder.KeyFields, QStringLiteral("NAZWA;MIASTO"));
    EXPECT_EQ(finder.KeyValues, (QVariantList{QString(), QString()}));

    // No ORDER BY names: no dialog.
    openCustomers();
    EXPECT_FALSE(finder.Execute(ui));
    EXPECT_TRUE(ui.dialogs.steps.empty());
}

} // namespace
