#pragma once

#include <QString>
#include <QStringList>

class DBGrid;
class DataSet;
class GridToolUi;

// The record filter (TDBFiltrowanie): the dialog "Filtrowanie" composes an expression, which is
// applied to the data set with the options chosen.
class TDBFiltrowanie {
public:
    QStringList FieldsToFilter;
    bool AllFieldsToFilter = true;
    QString Title;
    DataSet *dataSet = nullptr; // DataSet
    DBGrid *grid = nullptr;     // DBGrid

    // True when a filter was applied. Without a data set (none given, none behind the grid) no
    // dialog is shown. An expression the engine rejects turns the filter off, silently.
    bool Execute(GridToolUi &ui);
};
