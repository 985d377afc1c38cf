#pragma once

#include "db/DataSet.h"

#include <QString>
#include <QStringList>
#include <optional>

class DBGrid;
class GridToolUi;

// Sets the filter expression (and the options, when given) on the data set and turns the filter
// on. When the engine refuses it (an expression it cannot read, a value that does not convert for
// its field), the filter is off, the status says so and why, and false is returned.
bool applyFilter(DataSet &data, const QString &expression, GridToolUi &ui,
                 std::optional<DataSet::FilterOptions> options = std::nullopt);

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
    // dialog is shown. An expression the engine rejects turns the filter off (applyFilter).
    bool Execute(GridToolUi &ui);
};
