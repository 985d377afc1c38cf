#pragma once

#include "DBSzukanie.h"

#include <QVariantList>

// The search by index (TDBSzukaniePoIndeksie): values sought in the fields that order the data
// set, those of a table's current index or of a query's ORDER BY clause.
class TDBSzukaniePoIndeksie : public TCustomDBSzukanie {
public:
    QVariantList KeyValues;

    // True when a record was found and made current. Without fields to show no dialog opens.
    bool Execute(GridToolUi &ui);
};

// The names the dialog shows for a data set: the fields of a table's current index, or the names
// of a query's ORDER BY clause; empty for other data sets.
QStringList orderingFields(DataSet &dataSet);
