// The grid popup menu as the main window configures it, and its items' actions.
#include "GridToolsTestSupport.h"

#include "db/Table.h"
#include "gridtools/DBGridPopupMenu.h"

#include <QActionGroup>
#include <QMenu>

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

TEST_F(Popup, SortEntriesAreBuiltAtTheFirstPopupAndKept)
{
    // A closed query without fields: no entries, and so it stays.
    popup->preparePopup();
    EXPECT_TRUE(popup->sortGroup->isEmpty());
    EXPECT_FALSE(popup->sortGroup->menuAction()->isEnabled());
    openCustomers();
    popup->preparePopup();
    EXPECT_FALSE(popup->sortGroup->menuAction()->isEnabled());

    // A popup first opened on an open result: the memo OPIS is no sort key, and the entries stay
    // after another query.
    TDBGridPopupMenu fresh(ui);
    fresh.setDBGrid(grid.get());
    fresh.preparePopup();
    EXPECT_EQ(captions(*fresh.sortGroup), (QStringList{"KOD", "NAZWA", "MIASTO", "CENA"}));
    query.close();
    query.sql().assign({"SELECT 1 AS INNE"});
    query.open();
    fresh.preparePopup();
    EXPECT_EQ(captions(*fresh.sortGroup), (QStringList{"KOD", "NAZWA", "MIASTO", "CENA"}));
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
    EXPECT_EQ(column("NAZWA"), (QStringList{"Kowalski", "Nowak", "O'Brien", "kowalczyk"}));
    selectCell(0, 3); // CENA
    popup->sortByColumn->trigger();
    EXPECT_EQ(column("CENA"), (QStringList{"3", "7,25", "10,5", "12"}));
    // The grid keeps the record it was on: the first by name, Kowalski.
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
