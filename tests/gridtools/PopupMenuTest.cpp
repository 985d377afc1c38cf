// The grid popup menu as the main window configures it, and its items' actions.
#include "GridToolsTestSupport.h"

#include "db/Table.h"
#include "gridtools/DBGridPopupMenu.h"

#include <QActionGroup>
#include <QMenu>
#include <QPlainTextEdit>

namespace {

QStringList captions(const QMenu &menu)
{
    QStringList texts;
    for (const QAction *a : menu.actions())
        texts.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

class Popup : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        popup = std::make_unique<TDBGridPopupMenu>(ui, grid.get());
        popup->addAction(QStringLiteral("Drukuj"));
        popup->setPozycjeMenu(pmFiltruj | pmFiltrujAktywnaKomorke | pmSortuj | pmSortujAktywnaKolumne | pmSzukaj
                              | pmRozmiarCzcionki);
        popup->setDBGrid(grid.get());
    }
    void TearDown() override
    {
        popup.reset();
        GridTest::TearDown();
    }

    std::unique_ptr<TDBGridPopupMenu> popup;
};

TEST_F(Popup, TheWindowsConfigurationShowsItsItemsAfterItsOwn)
{
    popup->preparePopup();
    EXPECT_EQ(captions(*popup), (QStringList{"Drukuj", "-", "Filtruj", "Sortuj", "Sortuj aktywną kolumnę", "Szukaj...",
                                             "Rozmiar czcionki"}));
    EXPECT_EQ(captions(*popup->filterGroup), (QStringList{"Filtr aktywny", "Filtruj...", "Filtruj według aktywnej komórki"}));
    EXPECT_EQ(captions(*popup->fontSizeGroup), (QStringList{"8", "10", "12", "14"}));
    EXPECT_EQ(kDefaultPozycjeMenu, pmFiltruj | pmFiltrujAktywnaKomorke | pmSortuj | pmSortujAktywnaKolumne | pmSzukaj
                                       | pmRozmiarCzcionki);
}

TEST_F(Popup, SortEntriesFollowTheFieldsOfTheResult)
{
    // A closed query without fields: no entries.
    popup->preparePopup();
    EXPECT_TRUE(popup->sortGroup->isEmpty());
    EXPECT_FALSE(popup->sortGroup->menuAction()->isEnabled());
    // A first right-click before any query does not keep the sort off: the memo OPIS is no sort key.
    openCustomers();
    popup->preparePopup();
    EXPECT_TRUE(popup->sortGroup->menuAction()->isEnabled());
    EXPECT_EQ(captions(*popup->sortGroup), (QStringList{"KOD", "NAZWA", "MIASTO", "CENA"}));
    EXPECT_EQ(captions(*popup), (QStringList{"Drukuj", "-", "Filtruj", "Sortuj", "Sortuj aktywną kolumnę", "Szukaj...",
                                             "Rozmiar czcionki"}));

    // Another query with other fields gets its own entries, which sort it.
    query.close();
    query.sql().assign({"SELECT 2 AS INNE UNION ALL SELECT 1"});
    query.open();
    popup->preparePopup();
    EXPECT_EQ(captions(*popup->sortGroup), QStringList{"INNE"});
    popup->sortGroup->actions().at(0)->trigger();
    EXPECT_EQ(column("INNE"), (QStringList{"1", "2"}));
    EXPECT_TRUE(ui.errors.isEmpty());
    // The same fields again leave the entries as they are.
    const QAction *entry = popup->sortGroup->actions().at(0);
    popup->preparePopup();
    EXPECT_EQ(popup->sortGroup->actions().at(0), entry);
}

TEST_F(Popup, SortingByAColumnIsOffForBlobsOfAnOpenQuery)
{
    openCustomers();
    selectCell(0, 4); // OPIS
    popup->preparePopup();
    EXPECT_FALSE(popup->sortByColumn->isEnabled());
    selectCell(0, 1);
    popup->preparePopup();
    EXPECT_TRUE(popup->sortByColumn->isEnabled());
    query.close();
    popup->preparePopup();
    EXPECT_TRUE(popup->sortByColumn->isEnabled());
}

TEST_F(Popup, SortEntriesAndTheColumnSortTheQuery)
{
    openCustomers();
    popup->preparePopup();
    popup->sortGroup->actions().at(1)->trigger(); // NAZWA
    EXPECT_EQ(column("NAZWA"), (QStringList{"kowalczyk", "Kowalski", "Nowak", "O'Brien"}));
    selectCell(1, 3); // CENA of Kowalski
    popup->sortByColumn->trigger();
    EXPECT_EQ(column("CENA"), (QStringList{"3", "7,25", "10,5", "12"}));
    // The grid keeps the record it was on: the second by name, Kowalski.
    EXPECT_EQ(query.fieldByName("NAZWA")->asString(), QStringLiteral("Kowalski"));
    EXPECT_EQ(query.recNo(), 2);
    EXPECT_EQ(grid->currentIndex().row(), query.recNo());
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(Popup, FilteringByTheActiveCell)
{
    openCustomers();
    selectCell(0, 1);
    popup->filterByCell->trigger();
    EXPECT_EQ(query.filter(), QStringLiteral("NAZWA= 'Kowalski'"));
    EXPECT_TRUE(query.filtered());
    EXPECT_EQ(column("NAZWA"), QStringList{"Kowalski"});
    popup->preparePopup();
    EXPECT_TRUE(popup->filterOnOff->isChecked());
    popup->filterOnOff->trigger();
    EXPECT_FALSE(query.filtered());
    EXPECT_EQ(query.recordCount(), 4);

    // An apostrophe in the value filters too.
    selectCell(2, 1);
    popup->filterByCell->trigger();
    EXPECT_EQ(query.filter(), QStringLiteral("NAZWA= 'O''Brien'"));
    EXPECT_EQ(column("NAZWA"), QStringList{"O'Brien"});
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(Popup, FilteringByTheCellOfAComputedAmountKeepsItsRecord)
{
    // 45284.759999999995, shown as 45284,76: the record clicked on, and the one holding 45284.76.
    openInvoices();
    selectCell(0, 3);
    popup->filterByCell->trigger();
    EXPECT_TRUE(query.filtered());
    EXPECT_EQ(column("NR"), (QStringList{"1", "3"}));
    EXPECT_TRUE(ui.statuses.isEmpty());
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(Popup, AFilterTheEngineRefusesIsNamedInTheStatus)
{
    openInvoices();
    const auto refused = [this](const char *why) {
        EXPECT_FALSE(query.filtered());
        EXPECT_EQ(query.recordCount(), 4);
        EXPECT_EQ(ui.statuses, QStringList{QStringLiteral("Filtr nie został zastosowany: ") + QString::fromUtf8(why)});
        ui.statuses.clear();
    };
    selectCell(3, 3); // the empty BRUTTO of the invoice without VAT
    popup->filterByCell->trigger();
    refused("'' is not a valid floating point value");
    for (const auto &[condition, why] : {std::pair{"NR = 'pierwsza'", "'pierwsza' is not a valid integer value"},
                                         {"NR >>> '1'", "Syntax error in filter expression near '>> '1''"}}) {
        ui.dialogs.steps.push_back([condition = condition](QDialog &d) {
            d.findChild<QPlainTextEdit *>(QStringLiteral("memWarunek"))->setPlainText(QString::fromUtf8(condition));
            return int(QDialog::Accepted);
        });
        popup->filterDialog->trigger();
        refused(why);
    }
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(Popup, TheCursorKeepsItsColumnThroughFiltersAndSorts)
{
    openCustomers();
    popup->preparePopup();
    selectCell(1, 2); // MIASTO of Nowak
    const auto inCity = [this](const char *after) {
        EXPECT_EQ(grid->currentIndex().column(), 2) << after;
        EXPECT_EQ(grid->selectedField()->fieldName(), QStringLiteral("MIASTO")) << after;
    };
    popup->filterByCell->trigger();
    inCity("a filter by the cell");
    popup->filterOnOff->trigger();
    inCity("the filter off");
    popup->sortByColumn->trigger();
    inCity("a sort by the column");
    popup->sortGroup->actions().at(1)->trigger(); // NAZWA
    inCity("a sort by another field");
}

TEST_F(Popup, ALargerFontWidensTheColumnsToTheirTexts)
{
    openInvoices();
    popup->preparePopup();
    popup->fontSizes.at(3)->trigger(); // 14
    ASSERT_EQ(grid->fontPoints(), 14);
    const QFontMetrics metrics(grid->font());
    for (int c = 0; c < model.columnCount(); ++c) {
        for (int r = 0; r < model.rowCount(); ++r) {
            const QString text = model.data(model.index(r, c), Qt::DisplayRole).toString();
            EXPECT_GE(grid->columnWidth(c), metrics.horizontalAdvance(text)) << text.toStdString();
        }
    }
}

TEST_F(Popup, TheFontSizeEntries)
{
    openCustomers();
    popup->preparePopup();
    popup->fontSizes.at(2)->trigger();
    EXPECT_EQ(grid->fontPoints(), 12);
    for (QAction *entry : popup->fontSizes)
        entry->setChecked(false);
    emit popup->fontSizeGroup->aboutToShow();
    EXPECT_TRUE(popup->fontSizes.at(2)->isChecked());
}

TEST_F(Popup, TheItemGroupsDecideWhatIsArranged)
{
    popup->setPozycjeMenu(0);
    popup->preparePopup();
    EXPECT_EQ(captions(*popup), (QStringList{"Drukuj", "-"}));
    TDBGridPopupMenu bare(ui);
    bare.setPozycjeMenu(pmFiltrujAktywnaKomorke | pmSzukajPoIndeksie | pmSortujDowolnieQuery);
    bare.preparePopup();
    EXPECT_EQ(captions(bare), (QStringList{"Filtruj", "Sortuj dowolnie...", "Szukaj po indeksie..."}));
    EXPECT_EQ(captions(*bare.filterGroup), (QStringList{"Filtr aktywny", "Filtruj według aktywnej komórki"}));
    // Without a grid the data items are off.
    EXPECT_FALSE(bare.search->isEnabled());
    EXPECT_FALSE(bare.searchByIndex->isEnabled());
}

TEST_F(Popup, IndexDescriptionsOfATable)
{
    QByteArray err;
    ASSERT_EQ(testsupport::run(KWERIX_PYTHON,
                               {"-c", "import sqlite3\nc = sqlite3.connect('osoby.db')\n"
                                      "c.execute('CREATE TABLE osoby (id INTEGER PRIMARY KEY, nazwisko TEXT, miasto TEXT, data TEXT)')\n"
                                      "c.execute('CREATE INDEX ByName ON osoby(nazwisko)')\n"
                                      "c.execute('CREATE INDEX ByCity ON osoby(miasto, nazwisko)')\n"
                                      "c.execute('CREATE INDEX ByDate ON osoby(data)')\n"
                                      "c.executemany('INSERT INTO osoby VALUES (?,?,?,?)', [(1,'Zięba','Łódź','2020'),(2,'Adamczyk','Kraków','2019')])\n"
                                      "c.commit()\n"},
                               nullptr, &err),
              0)
        << err.toStdString();
    Table table(database);
    table.setTableName(QStringLiteral("osoby.db"));
    table.open();
    DataSetModel tableModel(table);
    DBGrid tableGrid(tableModel);
    TDBGridPopupMenu menu(ui);
    menu.setDBGrid(&tableGrid);
    menu.setOpisyIndeksow({"Nazwisko;ByName", "Miasto;ByCity"});
    EXPECT_EQ(menu.IndexNameToDescription("ByCity"), QStringLiteral("Miasto"));
    EXPECT_EQ(menu.IndexNameToDescription("bycity"), QString());
    EXPECT_EQ(menu.DescriptionToIndexName("Nazwisko"), QStringLiteral("ByName"));
    EXPECT_EQ(menu.DescriptionToIndexName("Data"), QString());
    menu.preparePopup();
    // In the order the table gives its indexes.
    EXPECT_EQ(captions(*menu.sortGroup), (QStringList{"Miasto", "Nazwisko"}));
    menu.sortGroup->actions().at(0)->trigger();
    EXPECT_EQ(table.indexName(), QStringLiteral("ByCity"));
    EXPECT_EQ(table.field(1)->asString(), QStringLiteral("Adamczyk"));
    // "Sortuj aktywną kolumnę" needs an index that begins with the column's field.
    tableGrid.setCurrentIndex(tableModel.index(0, 2)); // miasto
    menu.preparePopup();
    EXPECT_TRUE(menu.sortByColumn->isEnabled());
    tableGrid.setCurrentIndex(tableModel.index(0, 0)); // id
    menu.preparePopup();
    EXPECT_FALSE(menu.sortByColumn->isEnabled());
    menu.setNaglowkiSortowania(TNaglowkiSortowania::nsNazwyPol);
    menu.preparePopup();
    EXPECT_EQ(captions(*menu.sortGroup), (QStringList{"data", "miasto;nazwisko", "nazwisko"}));
}

} // namespace
