#pragma once

#include <QMenu>
#include <QPointer>
#include <QStringList>

class DBGrid;
class DataSet;
class Query;
class GridToolUi;
class QActionGroup;

// The item groups the popup puts into its menu (TPozycjaMenu), one bit each.
enum TPozycjaMenu : quint8 {
    pmFiltruj = 1 << 0,
    pmFiltrujAktywnaKomorke = 1 << 1,
    pmSortuj = 1 << 2,
    pmSortujAktywnaKolumne = 1 << 3,
    pmSortujDowolnieQuery = 1 << 4,
    pmSzukaj = 1 << 5,
    pmSzukajPoIndeksie = 1 << 6,
    pmRozmiarCzcionki = 1 << 7,
};
using TPozycjeMenu = quint8;
// Every group but the free sort and the search by index.
constexpr TPozycjeMenu kDefaultPozycjeMenu = 175;

// What the "Sortuj" entries of a table show and set (TNaglowkiSortowania).
enum class TNaglowkiSortowania { nsOpisyIndeksow, nsNazwyIndeksow, nsNazwyPol };

// The grid popup menu (TDBGridPopupMenu): the menu's own items, then generated items that filter,
// sort and search the grid's data set and set the grid's font size. A query data set is sorted by
// rewriting its ORDER BY clause, a table by choosing an index.
class TDBGridPopupMenu : public QMenu {
    Q_OBJECT
public:
    TDBGridPopupMenu(GridToolUi &ui, QWidget *parent = nullptr);

    DBGrid *grid() const { return m_grid; } // DBGrid
    void setDBGrid(DBGrid *grid);
    TPozycjeMenu PozycjeMenu() const { return m_items; }
    void setPozycjeMenu(TPozycjeMenu items);
    const QStringList &OpisyIndeksow() const { return m_descriptions; }
    void setOpisyIndeksow(const QStringList &descriptions) { m_descriptions = descriptions; }
    TNaglowkiSortowania NaglowkiSortowania() const { return m_captions; }
    void setNaglowkiSortowania(TNaglowkiSortowania captions);

    // The popup sequence, run each time the menu is about to open. The "Sortuj" entries are built
    // again whenever the data set has other fields (or indexes) to sort by than they were built for.
    void preparePopup();
    void RebuildSortItems();
    void ArrangeItems();
    QString IndexNameToDescription(const QString &name) const;
    QString DescriptionToIndexName(const QString &description) const;

    bool SortItemsStale = true;
    bool ItemsStale = true;

    // The generated items.
    QMenu *sortGroup;          // "Sortuj"
    QAction *sortByColumn;     // "Sortuj aktywną kolumnę"
    QAction *freeSort;         // "Sortuj dowolnie..."
    QMenu *fontSizeGroup;      // "Rozmiar czcionki"
    QAction *filterDialog;     // "Filtruj..."
    QAction *filterByCell;     // "Filtruj według aktywnej komórki"
    QMenu *filterGroup;        // "Filtruj"
    QAction *filterOnOff;      // "Filtr aktywny"
    QAction *search;           // "Szukaj..."
    QAction *searchByIndex;    // "Szukaj po indeksie..."
    QAction *separator;
    QList<QAction *> fontSizes; // "8", "10", "12", "14"

    // The actions of the generated items.
    void filterOnOffClick();
    void filterByCellClick();
    void filterDialogClick();
    void sortEntryClick(const QString &caption);
    void sortByColumnClick();
    void freeSortClick();
    void searchClick();
    void searchByIndexClick();
    void fontSizeGroupShow();
    void fontSizeClick(QAction *entry);

private:
    // The grid's data set when a grid is set and shows one.
    DataSet *reachable() const;
    // The captions of the "Sortuj" entries for the data set: its index captions or field names.
    QStringList sortCaptions(DataSet *data);
    void updateSortByColumn();
    void updateSearchByIndex();
    QAction *addCommand(const QString &caption, void (TDBGridPopupMenu::*handler)());

    GridToolUi &m_ui;
    QPointer<DBGrid> m_grid;
    QMetaObject::Connection m_gridMenu;
    TPozycjeMenu m_items = kDefaultPozycjeMenu;
    QStringList m_descriptions;
    QStringList m_sortCaptions; // of the "Sortuj" entries as last built
    TNaglowkiSortowania m_captions = TNaglowkiSortowania::nsOpisyIndeksow;
    QActionGroup *m_sizes;
};

// The free sort of a query data set: the dialog "Wybór pól do sortowania" over its fields that are
// no BLOBs, then the sort by the entries chosen. Nothing for other data sets.
void freeSortQuery(DataSet &dataSet, GridToolUi &ui, QWidget *parent);

// SortQuery as the program's long work (its progress can call the sort off); a sort that the
// engine refuses leaves the result as it was and says why in the status.
void sortQuery(Query &query, const QString &clause, GridToolUi &ui);
