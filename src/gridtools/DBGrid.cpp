#include "DBGrid.h"

#include "DataSetModel.h"
#include "db/DataSet.h"

#include <QHeaderView>

DBGrid::DBGrid(DataSetModel &model, QWidget *parent) : QTableView(parent), m_model(model)
{
    setModel(&model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    fitRows();
    // Every new result gets columns as wide as its fields' display widths and its titles.
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        fitColumns();
        followCurrentRecord(dataSet().recNo());
    });
    connect(&dataSet(), &DataSet::currentChanged, this, &DBGrid::followCurrentRecord);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (!current.isValid())
            return;
        m_fieldName = m_model.headerData(current.column(), Qt::Horizontal, Qt::DisplayRole).toString();
        if (current.row() != dataSet().recNo())
            dataSet().setRecNo(current.row());
    });
}

int DBGrid::cursorColumn() const
{
    if (currentIndex().isValid())
        return currentIndex().column();
    const DataSet &data = dataSet();
    const Field *field = data.active() && !m_fieldName.isEmpty() ? data.findField(m_fieldName) : nullptr;
    return field ? field->index() : 0;
}

DataSet &DBGrid::dataSet() const
{
    return m_model.dataSet();
}

Field *DBGrid::selectedField() const
{
    const DataSet &data = dataSet();
    if (!data.active() || data.fieldCount() == 0)
        return nullptr;
    return data.field(std::clamp(cursorColumn(), 0, data.fieldCount() - 1));
}

int DBGrid::fontPoints() const
{
    return font().pointSize();
}

void DBGrid::setFontPoints(int points)
{
    QFont cells = font();
    cells.setPointSize(points);
    const QFont titles = horizontalHeader()->font();
    setFont(cells);
    horizontalHeader()->setFont(titles);
    fitRows();
    fitColumns();
}

void DBGrid::fitRows()
{
    verticalHeader()->setDefaultSectionSize(std::max(18, QFontMetrics(font()).height() + 4));
}

void DBGrid::fitColumns()
{
    const QFontMetrics metrics(font());
    const QFontMetrics titles(horizontalHeader()->font());
    for (int c = 0; c < m_model.columnCount(); ++c) {
        const int data = metrics.horizontalAdvance(QString(m_model.displayWidth(c), QLatin1Char('0')));
        const int title = titles.horizontalAdvance(m_model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
        setColumnWidth(c, std::max(data, title) + 12);
    }
}

void DBGrid::followCurrentRecord(int record)
{
    if (record < 0 || record >= m_model.rowCount())
        return;
    const QModelIndex target = m_model.index(record, std::min(cursorColumn(), std::max(0, m_model.columnCount() - 1)));
    if (target != currentIndex())
        setCurrentIndex(target);
    scrollTo(target);
}
