#pragma once

#include <QAbstractTableModel>

class DataSet;

// A view of a data set for the grids: its records as rows, its fields as columns, each cell's
// display text made only when the cell is drawn. The data set stays the one copy of the rows.
class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(DataSet &dataSet, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    DataSet &dataSet() const { return m_dataSet; }
    // The width of a column in characters, from its field's type and size.
    int displayWidth(int column) const;
    // Makes every view draw its cells again (after a display-text handler changed).
    void refresh();

private:
    DataSet &m_dataSet;
};
