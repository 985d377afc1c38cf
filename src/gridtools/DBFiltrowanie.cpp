#include "DBFiltrowanie.h"

#include "DBGrid.h"
#include "GridToolUi.h"
#include "fFiltruj.h"
#include "db/DataSet.h"
#include "platform/Errors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>

bool applyFilter(DataSet &data, const QString &expression, GridToolUi &ui, std::optional<DataSet::FilterOptions> options)
{
    QString refusal;
    try {
        if (options)
            data.setFilterOptions(*options);
        data.setFilter(expression);
        data.setFiltered(true);
        return true;
    } catch (const EDatabaseError &e) {
        refusal = e.message();
    } catch (const EConvertError &e) {
        refusal = e.message();
    }
    data.setFiltered(false);
    ui.showStatus(QStringLiteral("Filtr nie został zastosowany: %1").arg(refusal));
    return false;
}

bool TDBFiltrowanie::Execute(GridToolUi &ui)
{
    DataSet *data = dataSet ? dataSet : grid ? &grid->dataSet() : nullptr;
    if (!data)
        return false;
    TfmFiltruj dialog(grid);
    if (!Title.isEmpty())
        dialog.setWindowTitle(Title);
    const QStringList fields = AllFieldsToFilter ? data->fieldNames() : FieldsToFilter;
    dialog.lsPole->addItems(fields);
    dialog.lsPole->setCurrentIndex(0);
    if (grid && grid->selectedField()) {
        const int selected = static_cast<int>(fields.indexOf(grid->selectedField()->fieldName()));
        dialog.lsPole->setCurrentIndex(std::max(0, selected));
    }
    dialog.lsOperator->setCurrentIndex(0);
    dialog.lsBooleanOperator->setCurrentIndex(0);
    dialog.memWarunek->clear();
    dialog.lsBooleanOperator->setEnabled(false);
    dialog.cbPartialCompare->setChecked(!data->filterOptions().testFlag(DataSet::foNoPartialCompare));
    dialog.cbCaseSensitive->setChecked(!data->filterOptions().testFlag(DataSet::foCaseInsensitive));
    if (ui.runDialog(dialog) != QDialog::Accepted)
        return false;
    DataSet::FilterOptions options;
    if (!dialog.cbCaseSensitive->isChecked())
        options |= DataSet::foCaseInsensitive;
    if (!dialog.cbPartialCompare->isChecked())
        options |= DataSet::foNoPartialCompare;
    return applyFilter(*data, filterExpression(dialog.lines()), ui, options);
}
