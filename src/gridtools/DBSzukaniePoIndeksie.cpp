#include "DBSzukaniePoIndeksie.h"

#include "GridToolUi.h"
#include "QuerySort.h"
#include "SearchOptionsBox.h"
#include "fSzukajPoIndeksie.h"
#include "db/Query.h"
#include "db/Table.h"
#include "platform/Errors.h"

QStringList orderingFields(DataSet &dataSet)
{
    QStringList names;
    if (auto *table = qobject_cast<Table *>(&dataSet)) {
        table->updateIndexDefs();
        if (!table->indexDefs().empty()) {
            for (int i = 0; i < table->indexFieldCount(); ++i)
                names.append(table->indexField(i)->fieldName());
        }
    } else if (auto *query = qobject_cast<Query *>(&dataSet)) {
        names = OrderByFields(*query);
    }
    return names;
}

bool TDBSzukaniePoIndeksie::Execute(GridToolUi &ui)
{
    TfmSzukajPoIndeksie dialog;
    if (!Title.isEmpty())
        dialog.setWindowTitle(Title);
    dialog.setFields(dataSet ? orderingFields(*dataSet) : QStringList());
    if (dialog.fieldRows() < 1 || ui.runDialog(dialog) != QDialog::Accepted)
        return false;
    SearchOptions = dialog.options->options();
    KeyValues = QVariantList();
    KeyFields.clear();
    for (int row = 0; row < dialog.fieldRows(); ++row) {
        const QString name = dialog.fieldAt(row), value = dialog.valueAt(row);
        // An empty value takes part for a text field only; a name that is no field of the data
        // set (a table prefix from the clause, say) cannot be told to be one and is passed over.
        const Field *field = dataSet->findField(name);
        if (value.isEmpty() && (!field || field->dataType() != FieldType::ftString))
            continue;
        KeyFields += (KeyFields.isEmpty() ? QString() : QStringLiteral(";")) + name;
        KeyValues.append(value);
    }
    fireBeforeSearch();
    try {
        if (KeyValues.size() == 1)
            return dataSet->locate(KeyFields, KeyValues.first(), SearchOptions);
        if (KeyValues.size() > 1)
            return dataSet->locate(KeyFields, KeyValues, SearchOptions);
    } catch (const EConvertError &) {
    } catch (const EVariantError &) {
    } catch (const EDatabaseError &) {
    }
    return false;
}
