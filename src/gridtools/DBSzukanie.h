#pragma once

#include "db/DataSet.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class DBGrid;
class GridToolUi;

// What the search components share (TCustomDBSzukanie): the event fired before a search, the
// dialog's title, the data set, the key fields and the options of the locate.
class TCustomDBSzukanie {
public:
    using BeforeSearchEvent = std::function<void(TCustomDBSzukanie &sender)>;

    BeforeSearchEvent BeforeSearch;
    QString Title;
    DataSet *dataSet = nullptr; // DataSet
    QString KeyFields;
    DataSet::LocateOptions SearchOptions;

protected:
    void fireBeforeSearch();
};

// The record search (TDBSzukanie): a value sought in one field through the dialog "Szukanie
// rekordu"; the record found becomes current.
class TDBSzukanie : public TCustomDBSzukanie {
public:
    QString DefaultField;
    QStringList FieldsToSearch;
    bool AllFieldsToSearch = true;
    DBGrid *grid = nullptr; // DBGrid
    QString SearchValue;

    // True when a record was found and made current. Without a data set no dialog is shown; a
    // value that does not convert for the field gives false, silently.
    bool Execute(GridToolUi &ui);
};
