#include "DBGridPopupMenu.h"

#include "DBFiltrowanie.h"
#include "DBGrid.h"
#include "DBSzukanie.h"
#include "DBSzukaniePoIndeksie.h"
#include "GridToolUi.h"
#include "QuerySort.h"
#include "WaitCursor.h"
#include "fSortujDowolnieQuery.h"
#include "db/Query.h"
#include "db/Table.h"
#include "platform/Errors.h"

#include <QActionGroup>
#include <QApplication>

namespace {

bool startsWithName(const QStringList &fields, const QString &name)
{
    return fields.join(QLatin1Char(';')).startsWith(name);
}

} // namespace

TDBGridPopupMenu::TDBGridPopupMenu(GridToolUi &ui, QWidget *parent) : QMenu(parent), m_ui(ui)
{
    setObjectName(QStringLiteral("DBGridPopupMenu"));
    sortGroup = new QMenu(QStringLiteral("Sortuj"), this);
    sortByColumn = addCommand(QStringLiteral("Sortuj aktywną kolumnę"), &TDBGridPopupMenu::sortByColumnClick);
    freeSort = addCommand(QStringLiteral("Sortuj dowolnie..."), &TDBGridPopupMenu::freeSortClick);
    fontSizeGroup = new QMenu(QStringLiteral("Rozmiar czcionki"), this);
    m_sizes = new QActionGroup(this);
    for (const char *size : {"8", "10", "12", "14"}) {
        QAction *entry = fontSizeGroup->addAction(QString::fromLatin1(size));
        entry->setCheckable(true);
        m_sizes->addAction(entry);
        fontSizes.append(entry);
        connect(entry, &QAction::triggered, this, [this, entry] { m_ui.runCommand([this, entry] { fontSizeClick(entry); }); });
    }
    connect(fontSizeGroup, &QMenu::aboutToShow, this, &TDBGridPopupMenu::fontSizeGroupShow);
    filterDialog = addCommand(QStringLiteral("Filtruj..."), &TDBGridPopupMenu::filterDialogClick);
    filterByCell = addCommand(QStringLiteral("Filtruj według aktywnej komórki"), &TDBGridPopupMenu::filterByCellClick);
    filterGroup = new QMenu(QStringLiteral("Filtruj"), this);
    filterOnOff = addCommand(QStringLiteral("Filtr aktywny"), &TDBGridPopupMenu::filterOnOffClick);
    filterOnOff->setCheckable(true);
    filterGroup->addAction(filterOnOff);
    search = addCommand(QStringLiteral("Szukaj..."), &TDBGridPopupMenu::searchClick);
    searchByIndex = addCommand(QStringLiteral("Szukaj po indeksie..."), &TDBGridPopupMenu::searchByIndexClick);
    separator = new QAction(this);
    separator->setSeparator(true);
    connect(this, &QMenu::aboutToShow, this, &TDBGridPopupMenu::preparePopup);
}

QAction *TDBGridPopupMenu::addCommand(const QString &caption, void (TDBGridPopupMenu::*handler)())
{
    auto *action = new QAction(caption, this);
    connect(action, &QAction::triggered, this, [this, handler] { m_ui.runCommand([this, handler] { (this->*handler)(); }); });
    return action;
}

void TDBGridPopupMenu::setDBGrid(DBGrid *grid)
{
    disconnect(m_gridMenu);
    m_grid = grid;
    if (grid) {
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        m_gridMenu = connect(grid, &QWidget::customContextMenuRequested, this,
                             [this, grid](const QPoint &at) { popup(grid->viewport()->mapToGlobal(at)); });
    }
}

void TDBGridPopupMenu::setPozycjeMenu(TPozycjeMenu items)
{
    m_items = items;
    ItemsStale = true;
}

void TDBGridPopupMenu::setNaglowkiSortowania(TNaglowkiSortowania captions)
{
    if (captions == m_captions)
        return;
    m_captions = captions;
    SortItemsStale = true;
}

DataSet *TDBGridPopupMenu::reachable() const
{
    return m_grid ? &m_grid->dataSet() : nullptr;
}

QString TDBGridPopupMenu::IndexNameToDescription(const QString &name) const
{
    const QString tail = QLatin1Char(';') + name;
    for (const QString &entry : m_descriptions) {
        if (entry.endsWith(tail))
            return entry.left(entry.size() - tail.size());
    }
    return {};
}

QString TDBGridPopupMenu::DescriptionToIndexName(const QString &description) const
{
    const QString head = description + QLatin1Char(';');
    for (const QString &entry : m_descriptions) {
        if (entry.startsWith(head))
            return entry.mid(head.size());
    }
    return {};
}

// ---- the popup sequence ----------------------------------------------------------------------------

void TDBGridPopupMenu::preparePopup()
{
    // Another result (or the first one after a popup without any) has other fields to sort by.
    if (SortItemsStale || sortCaptions(reachable()) != m_sortCaptions)
        RebuildSortItems();
    if (ItemsStale)
        ArrangeItems();
    if (DataSet *data = reachable())
        filterOnOff->setChecked(data->filtered());
    if (m_items & pmSortujAktywnaKolumne)
        updateSortByColumn();
    if (m_items & pmSzukajPoIndeksie)
        updateSearchByIndex();
}

void TDBGridPopupMenu::RebuildSortItems()
{
    DataSet *data = reachable();
    const bool hasData = data != nullptr;
    for (QAction *item : {sortGroup->menuAction(), sortByColumn, fontSizeGroup->menuAction(), filterDialog, filterByCell,
                          filterGroup->menuAction(), search, searchByIndex})
        item->setEnabled(hasData);
    sortGroup->clear();
    auto *table = hasData ? qobject_cast<Table *>(data) : nullptr;
    auto *query = hasData ? qobject_cast<Query *>(data) : nullptr;
    m_sortCaptions = sortCaptions(data);
    for (const QString &caption : std::as_const(m_sortCaptions)) {
        QAction *entry = sortGroup->addAction(caption);
        connect(entry, &QAction::triggered, this,
                [this, caption] { m_ui.runCommand([this, caption] { sortEntryClick(caption); }); });
    }
    const bool tableSorts = table && !table->indexDefs().empty()
        && (m_captions != TNaglowkiSortowania::nsOpisyIndeksow || !m_descriptions.isEmpty());
    const bool querySorts = query && !sortGroup->isEmpty();
    sortGroup->menuAction()->setEnabled(tableSorts || querySorts);
    freeSort->setEnabled(querySorts);
    SortItemsStale = false;
    ItemsStale = true;
}

QStringList TDBGridPopupMenu::sortCaptions(DataSet *data)
{
    QStringList captions;
    if (auto *table = data ? qobject_cast<Table *>(data) : nullptr) {
        table->updateIndexDefs();
        for (const IndexDef &index : table->indexDefs()) {
            const QString caption = m_captions == TNaglowkiSortowania::nsOpisyIndeksow ? IndexNameToDescription(index.name)
                : m_captions == TNaglowkiSortowania::nsNazwyIndeksow ? index.name
                                                                     : index.fields.join(QLatin1Char(';'));
            if (!caption.isEmpty() || m_captions == TNaglowkiSortowania::nsNazwyIndeksow)
                captions.append(caption);
        }
    } else if (auto *query = data ? qobject_cast<Query *>(data) : nullptr) {
        for (int i = 0; i < query->fieldCount(); ++i) {
            if (!query->field(i)->isBlob())
                captions.append(query->field(i)->fieldName());
        }
    }
    return captions;
}

void TDBGridPopupMenu::ArrangeItems()
{
    for (QAction *item : {filterGroup->menuAction(), sortGroup->menuAction(), sortByColumn, freeSort, separator, search,
                          searchByIndex, fontSizeGroup->menuAction()})
        removeAction(item);
    filterGroup->removeAction(filterByCell);
    filterGroup->removeAction(filterDialog);
    if (!actions().isEmpty())
        addAction(separator);
    if (m_items & pmFiltruj)
        filterGroup->addAction(filterDialog);
    if (m_items & pmFiltrujAktywnaKomorke)
        filterGroup->addAction(filterByCell);
    if (m_items & (pmFiltruj | pmFiltrujAktywnaKomorke))
        addMenu(filterGroup);
    const std::pair<TPozycjaMenu, QAction *> order[] = {
        {pmSortuj, sortGroup->menuAction()}, {pmSortujAktywnaKolumne, sortByColumn},
        {pmSortujDowolnieQuery, freeSort},   {pmSzukaj, search},
        {pmSzukajPoIndeksie, searchByIndex}, {pmRozmiarCzcionki, fontSizeGroup->menuAction()},
    };
    for (const auto &[member, item] : order) {
        if (m_items & member)
            addAction(item);
    }
    ItemsStale = false;
}

void TDBGridPopupMenu::updateSortByColumn()
{
    bool enabled = m_grid != nullptr;
    DataSet *data = reachable();
    const Field *field = m_grid ? m_grid->selectedField() : nullptr;
    if (auto *table = data ? qobject_cast<Table *>(data) : nullptr) {
        table->updateIndexDefs();
        enabled = field && std::any_of(table->indexDefs().begin(), table->indexDefs().end(),
                                       [&](const IndexDef &index) { return startsWithName(index.fields, field->fieldName()); });
    } else if (auto *query = data ? qobject_cast<Query *>(data) : nullptr) {
        if (query->active() && field && field->isBlob())
            enabled = false;
    }
    sortByColumn->setEnabled(enabled);
}

void TDBGridPopupMenu::updateSearchByIndex()
{
    DataSet *data = reachable();
    searchByIndex->setEnabled(data && !orderingFields(*data).isEmpty());
}

// ---- actions ---------------------------------------------------------------------------------------

void TDBGridPopupMenu::filterOnOffClick()
{
    if (DataSet *data = reachable())
        data->setFiltered(!data->filtered());
}

void TDBGridPopupMenu::filterByCellClick()
{
    DataSet *data = reachable();
    const Field *field = m_grid ? m_grid->selectedField() : nullptr;
    if (!data || !field || data->recNo() < 0)
        return;
    // An apostrophe in the value is doubled: O'Brien filters instead of switching the filter off.
    const QString value = field->asString().replace(QLatin1Char('\''), QLatin1String("''"));
    applyFilter(*data, field->fieldName() + QStringLiteral("= '") + value + QLatin1Char('\''), m_ui);
}

void TDBGridPopupMenu::filterDialogClick()
{
    if (!reachable())
        return;
    TDBFiltrowanie filter;
    filter.dataSet = reachable();
    filter.grid = m_grid;
    filter.Execute(m_ui);
}

void TDBGridPopupMenu::sortEntryClick(const QString &caption)
{
    DataSet *data = reachable();
    if (auto *table = data ? qobject_cast<Table *>(data) : nullptr) {
        m_ui.runLongWork([&] {
            switch (m_captions) {
            case TNaglowkiSortowania::nsOpisyIndeksow: table->setIndexName(DescriptionToIndexName(caption)); break;
            case TNaglowkiSortowania::nsNazwyIndeksow: table->setIndexName(caption); break;
            case TNaglowkiSortowania::nsNazwyPol: table->setIndexFieldNames(caption); break;
            }
        });
    } else if (auto *query = data ? qobject_cast<Query *>(data) : nullptr) {
        sortQuery(*query, caption, m_ui);
    }
}

void TDBGridPopupMenu::sortByColumnClick()
{
    DataSet *data = reachable();
    const Field *field = m_grid ? m_grid->selectedField() : nullptr;
    if (!data || !field)
        return;
    try {
        if (auto *table = qobject_cast<Table *>(data))
            m_ui.runLongWork([&] { table->setIndexFieldNames(field->fieldName()); });
        else if (auto *query = qobject_cast<Query *>(data))
            sortQuery(*query, field->fieldName(), m_ui);
    } catch (const EDatabaseError &) {
    }
}

void TDBGridPopupMenu::freeSortClick()
{
    if (DataSet *data = reachable())
        freeSortQuery(*data, m_ui, m_grid);
}

void TDBGridPopupMenu::searchClick()
{
    TDBSzukanie finder;
    finder.grid = m_grid;
    finder.dataSet = reachable();
    finder.Execute(m_ui);
}

void TDBGridPopupMenu::searchByIndexClick()
{
    TDBSzukaniePoIndeksie finder;
    finder.dataSet = reachable();
    finder.Execute(m_ui);
}

void TDBGridPopupMenu::fontSizeGroupShow()
{
    if (!m_grid)
        return;
    const QString size = QString::number(m_grid->fontPoints());
    for (QAction *entry : std::as_const(fontSizes)) {
        if (entry->text() == size)
            entry->setChecked(true);
    }
}

void TDBGridPopupMenu::fontSizeClick(QAction *entry)
{
    // The size is read back from the caption, which carries no accelerator character.
    const int points = entry->text().toInt();
    if (m_grid)
        m_grid->setFontPoints(points);
}

void freeSortQuery(DataSet &dataSet, GridToolUi &ui, QWidget *parent)
{
    auto *query = qobject_cast<Query *>(&dataSet);
    if (!query)
        return;
    WaitCursor wait;
    TfmSortujDowolnieQuery dialog(parent);
    for (int i = 0; i < query->fieldCount(); ++i) {
        if (!query->field(i)->isBlob())
            dialog.lsSource->addItem(query->field(i)->fieldName());
    }
    if (ui.runDialog(dialog) != QDialog::Accepted)
        return;
    const QString clause = dialog.chosen().join(QStringLiteral(", "));
    if (!clause.isEmpty())
        sortQuery(*query, clause, ui);
}

void sortQuery(Query &query, const QString &clause, GridToolUi &ui)
{
    QString refusal;
    ui.runLongWork([&] { SortQuery(query, clause, &refusal); });
    if (!refusal.isNull())
        ui.showStatus(QStringLiteral("Sortowanie nie zostało wykonane: %1").arg(refusal));
}
