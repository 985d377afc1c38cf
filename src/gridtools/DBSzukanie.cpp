#include "DBSzukanie.h"

#include "DBGrid.h"
#include "GridToolUi.h"
#include "FSzukaj.h"
#include "SearchOptionsBox.h"
#include "platform/Errors.h"

#include <QComboBox>
#include <QLineEdit>

void TCustomDBSzukanie::fireBeforeSearch()
{
    if (BeforeSearch)
        BeforeSearch(*this);
}

bool TDBSzukanie::Execute(GridToolUi &ui)
{
    if (!dataSet && grid)
        dataSet = &grid->dataSet();
    if (!dataSet)
        return false;
    TfmSzukaj dialog(grid);
    if (!Title.isEmpty())
        dialog.setWindowTitle(Title);
    const QStringList fields = AllFieldsToSearch ? dataSet->fieldNames() : FieldsToSearch;
    dialog.cbPole->addItems(fields);
    dialog.cbPole->setCurrentIndex(-1);
    if (grid && grid->selectedField())
        dialog.cbPole->setCurrentIndex(static_cast<int>(fields.indexOf(grid->selectedField()->fieldName())));
    // A default field that is not in the list leaves nothing chosen, so the first field is taken.
    if (!DefaultField.isEmpty())
        dialog.cbPole->setCurrentIndex(static_cast<int>(fields.indexOf(DefaultField)));
    if (dialog.cbPole->currentIndex() < 0)
        dialog.cbPole->setCurrentIndex(0);
    if (ui.runDialog(dialog) != QDialog::Accepted)
        return false;
    SearchOptions = dialog.options->options();
    SearchValue = dialog.edWartosc->text();
    KeyFields = dialog.cbPole->currentText();
    fireBeforeSearch();
    // A data set without fields has nothing to search.
    if (KeyFields.isEmpty())
        return false;
    try {
        return dataSet->locate(KeyFields, SearchValue, SearchOptions);
    } catch (const EConvertError &) {
        return false;
    }
}
