#pragma once

#include <QTableView>

class DataSet;
class DataSetModel;
class Field;

// A data grid (TDBGrid): the records of a data set as rows, its fields as columns, each column as
// wide as its field's text in the grid's font. The grid's current cell and the data set's current
// record follow each other, so that a search or a sort moves the grid to the record found; the
// cursor stays in its field's column when the data set shows its records anew (a filter, a sort).
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(DataSetModel &model, QWidget *parent = nullptr);

    DataSetModel &dataSetModel() const { return m_model; }
    // The data set the grid shows (its data source's data set).
    DataSet &dataSet() const;
    // The field of the column that holds the cursor; null when the data set has no fields.
    Field *selectedField() const;
    // The font size of the cells in points; setting it lays the rows and columns out again (the
    // titles keep theirs).
    int fontPoints() const;
    void setFontPoints(int points);

private:
    // The column of the cursor; while the grid has none, that of the field it was last in.
    int cursorColumn() const;
    void fitColumns();
    void fitRows();
    void followCurrentRecord(int record);

    DataSetModel &m_model;
    QString m_fieldName; // of the column the cursor was last in
};
