#include "DataSetModel.h"

#include "db/DataSet.h"

#include <algorithm>

DataSetModel::DataSetModel(DataSet &dataSet, QObject *parent) : QAbstractTableModel(parent), m_dataSet(dataSet)
{
    connect(&dataSet, &DataSet::aboutToReset, this, [this] { beginResetModel(); });
    connect(&dataSet, &DataSet::resetDone, this, [this] { endResetModel(); });
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_dataSet.active() ? 0 : m_dataSet.recordCount();
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_dataSet.active() ? 0 : m_dataSet.fieldCount();
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_dataSet.active() || index.row() >= m_dataSet.recordCount())
        return {};
    const Field *field = m_dataSet.field(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return field->displayTextAt(m_dataSet.rowOf(index.row()));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter
                                   | (isNumericType(field->dataType()) ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!m_dataSet.active() || section >= m_dataSet.fieldCount())
        return {};
    return m_dataSet.field(section)->fieldName();
}

void DataSetModel::refresh()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int DataSetModel::displayWidth(int column) const
{
    const Field *field = m_dataSet.field(column);
    switch (field->dataType()) {
    case FieldType::ftString: return field->size() > 0 ? std::clamp(field->size(), 4, 40) : 20;
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD: return 15;
    case FieldType::ftDate: return 10;
    case FieldType::ftTime: return 8;
    case FieldType::ftDateTime: return 19;
    case FieldType::ftBoolean: return 5;
    case FieldType::ftSmallint: return 6;
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
    case FieldType::ftLargeint: return 10;
    default: return 20;
    }
}
