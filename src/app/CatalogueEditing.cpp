#include "CatalogueEditing.h"

#include "MainWindowControls.h"
#include "UiServices.h"
#include "db/Query.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "session/Messages.h"
#include "session/Session.h"
#include "session/SessionEvents.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>

CatalogueEditing::CatalogueEditing(Session &session, UiServices &ui, MainWindowControls &controls)
    : m_session(session), m_catalogue(session.catalogue()), m_ui(ui), m_controls(controls)
{
}

bool CatalogueEditing::editingMode() const
{
    return m_controls.pc->isTabVisible(MainWindowControls::Przygotowanie);
}

void CatalogueEditing::reloadTitles()
{
    m_controls.lbxSpisSQL->clear();
    m_controls.lbxSpisSQL->addItems(m_catalogue.loadTitles());
    m_hintRow = -1;
}

void CatalogueEditing::showRememberedEntry()
{
    QListWidget *list = m_controls.lbxSpisSQL;
    list->clearSelection();
    if (m_rememberedIndex >= 0 && m_rememberedIndex < list->count()) {
        list->setCurrentRow(m_rememberedIndex, QItemSelectionModel::ClearAndSelect);
    } else {
        list->setCurrentRow(-1, QItemSelectionModel::Clear);
        list->clearSelection();
    }
}

void CatalogueEditing::updateButtons()
{
    const MainWindowControls &c = m_controls;
    const bool any = c.lbxSpisSQL->count() > 0;
    for (QPushButton *b : {c.btnEdit, c.btnDel, c.btnOpenSQL, c.bWykres, c.btnPreview, c.btnPrint})
        b->setEnabled(any);
    c.btnNew->setEnabled(true);
}

// ---- the list ----------------------------------------------------------------------------------

void CatalogueEditing::lbxSpisSQLClick()
{
    m_rememberedIndex = m_controls.currentEntry();
}

void CatalogueEditing::lbxSpisSQLMouseMove(const QPoint &position)
{
    QListWidget *list = m_controls.lbxSpisSQL;
    QListWidgetItem *item = list->itemAt(position);
    if (!item)
        return;
    const QString path = m_catalogue.resolveTextFile(item->text());
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    m_session.events().statusChanged(path);
    // The mouse moves many times over one entry: its text is read once.
    const int row = list->row(item);
    if (row == m_hintRow && path == m_hintPath)
        return;
    QString hint = QString::number(row) + QStringLiteral(": ");
    for (const QString &line : textfile::readLines(path))
        hint += line + QLatin1Char('\n');
    list->setToolTip(hint);
    m_hintRow = row;
    m_hintPath = path;
}

void CatalogueEditing::moveCurrentEntry(int by)
{
    QListWidget *list = m_controls.lbxSpisSQL;
    const int row = m_controls.currentEntry();
    if (row < 0 || row + by < 0 || row + by >= list->count())
        return;
    QListWidgetItem *item = list->takeItem(row);
    list->insertItem(row + by, item);
    list->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    m_rememberedIndex = row + by;
}

void CatalogueEditing::BitBtn1Click()
{
    moveCurrentEntry(-1);
}

void CatalogueEditing::BitBtn2Click()
{
    moveCurrentEntry(+1);
}

void CatalogueEditing::BitBtn3Click()
{
    QStringList titles;
    for (int i = 0; i < m_controls.lbxSpisSQL->count(); ++i)
        titles.append(m_controls.lbxSpisSQL->item(i)->text());
    m_catalogue.saveOrder(titles);
}

void CatalogueEditing::PokaUkryjinne1Click()
{
    MainWindowControls &c = m_controls;
    const bool editing = !editingMode();
    c.pc->setTabVisible(MainWindowControls::Przygotowanie, editing);
    c.btnNew->setVisible(editing);
    c.btnDel->setVisible(editing);
    c.btnEdit->setVisible(editing);
    m_listHints = editing;
    c.btnSaveOrder->setEnabled(editing);
    if (editing) {
        reloadTitles();
        return;
    }
    c.lbxSpisSQL->setToolTip(QString());
    for (int i = c.lbxSpisSQL->count() - 1; i >= 0; --i) {
        if (c.lbxSpisSQL->item(i)->text().startsWith(QLatin1Char('_')))
            delete c.lbxSpisSQL->takeItem(i);
    }
}

// ---- editing -----------------------------------------------------------------------------------

void CatalogueEditing::btnEditClick()
{
    m_rememberedIndex = m_controls.currentEntry();
    m_controls.pc->setCurrentIndex(MainWindowControls::Przygotowanie);
}

void CatalogueEditing::setFieldRows(const std::vector<FieldLayout> &rows)
{
    QTableWidget *grid = m_controls.grdFields;
    grid->setRowCount(std::max<int>(1, static_cast<int>(rows.size())));
    for (int r = 0; r < grid->rowCount(); ++r) {
        const FieldLayout row = r < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(r)] : FieldLayout{};
        grid->setItem(r, 0, new QTableWidgetItem(row.name));
        grid->setItem(r, 1, new QTableWidgetItem(row.width));
        grid->setItem(r, 2, new QTableWidgetItem(row.sum));
    }
}

std::vector<FieldLayout> CatalogueEditing::fieldRows() const
{
    const QTableWidget *grid = m_controls.grdFields;
    std::vector<FieldLayout> rows;
    const auto text = [grid](int r, int c) {
        const QTableWidgetItem *item = grid->item(r, c);
        return item ? item->text() : QString();
    };
    for (int r = 0; r < grid->rowCount(); ++r)
        rows.push_back({text(r, 0), text(r, 1), text(r, 2)});
    return rows;
}

EntryForm CatalogueEditing::entryForm() const
{
    const MainWindowControls &c = m_controls;
    EntryForm form;
    form.title = c.edNazwa->text();
    form.sql = textfile::splitLines(c.memTRESC->toPlainText());
    form.orientation = c.rbPionowy->isChecked() ? 1 : 0;
    form.rowNumbers = c.czyLP->isChecked();
    form.rowLine = c.chLinia->isChecked();
    form.fontSizeText = c.edFont->text();
    form.rowHeightText = c.edWys->text();
    form.fields = fieldRows();
    return form;
}

bool CatalogueEditing::anyTextChanged() const
{
    return m_controls.edNazwa->isModified() || m_controls.memTRESC->document()->isModified();
}

void CatalogueEditing::clearChangedFlags()
{
    m_controls.edNazwa->setModified(false);
    m_controls.memTRESC->document()->setModified(false);
}

void CatalogueEditing::pokazTab2()
{
    MainWindowControls &c = m_controls;
    if (c.lbxSpisSQL->count() == 0)
        return;
    const std::optional<QString> title = c.currentTitle();
    if (!title) {
        m_ui.message(UiServices::Kind::Error, messages::noQuerySelected());
        return;
    }
    m_session.closeResult();
    bool found = false;
    const QueryEntry entry = m_catalogue.readEntry(*title, &found);
    c.edNazwa->setText(*title);
    (entry.layout.orientation == 1 ? c.rbPionowy : c.rbPoziomy)->setChecked(true);
    c.memTRESC->setPlainText(found ? entry.sql.join(QLatin1Char('\n')) : QString());
    clearChangedFlags();
    if (!found)
        m_ui.message(UiServices::Kind::Error, messages::missingQueryText(*title));
    c.czyLP->setChecked(entry.layout.rowNumbers);
    c.chLinia->setChecked(entry.layout.rowLine);
    c.edFont->setText(QString::number(entry.layout.fontSize));
    c.edWys->setText(numbers::formatFloat(entry.layout.rowHeight));
    setFieldRows(entry.layout.fields);
}

void CatalogueEditing::btnNewClick()
{
    MainWindowControls &c = m_controls;
    if (c.pc->currentIndex() == MainWindowControls::Przygotowanie)
        pokazTab2();
    else
        c.pc->setCurrentIndex(MainWindowControls::Przygotowanie);
    m_session.closeResult();
    setFieldRows({});
    c.edNazwa->clear();
    c.memTRESC->clear();
    c.rbPoziomy->setChecked(true);
    clearChangedFlags();
}

void CatalogueEditing::rememberTitle(const QString &title)
{
    reloadTitles();
    const QListWidget *list = m_controls.lbxSpisSQL;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().compare(title, Qt::CaseInsensitive) == 0) {
            m_rememberedIndex = i;
            return;
        }
    }
}

bool CatalogueEditing::btnSaveClick()
{
    const EntryForm form = entryForm();
    if (form.title.isEmpty()) {
        m_ui.message(UiServices::Kind::Error, m_catalogue.titleProblem(form.title));
        return false;
    }
    for (int r = 0; r < static_cast<int>(form.fields.size()); ++r) {
        const FieldLayout &row = form.fields[static_cast<size_t>(r)];
        if (!row.name.isEmpty() && !row.width.isEmpty() && !numbers::tryParseInt(row.width)) {
            m_controls.grdFields->setCurrentCell(r, 1);
            m_ui.message(UiServices::Kind::Error, QLatin1Char('"') + row.width + QStringLiteral("\" nie jest liczbą całkowitą"));
            return false;
        }
    }
    // The changed flags stay set until the save has succeeded: a save that fails leaves the text
    // as unsaved as it was. The list shows the title once the catalogue holds it, even when a later
    // step of the save fails.
    try {
        m_catalogue.saveEntry(form);
    } catch (...) {
        if (m_catalogue.contains(form.title))
            rememberTitle(form.title);
        throw;
    }
    rememberTitle(form.title);
    m_session.closeResult();
    clearChangedFlags();
    updateButtons();
    if (m_rememberedIndex >= 0 && m_rememberedIndex < m_controls.lbxSpisSQL->count())
        m_controls.lbxSpisSQL->setCurrentRow(m_rememberedIndex, QItemSelectionModel::ClearAndSelect);
    return true;
}

void CatalogueEditing::btnDelClick()
{
    const std::optional<QString> title = m_controls.currentTitle();
    if (!title) {
        m_ui.message(UiServices::Kind::Error, messages::noQuerySelected());
        return;
    }
    if (!m_ui.ask(UiServices::Kind::Warning, QStringLiteral("Czy na pewno usunąć zapytanie SQL:") + *title))
        return;
    m_catalogue.deleteEntry(*title);
    m_session.closeResult();
    reloadTitles();
    updateButtons();
}

bool CatalogueEditing::TabSheet2Hide()
{
    if (!anyTextChanged())
        return true;
    if (m_ui.question(QStringLiteral("Tekst został zmieniony"), QStringLiteral("Czy zapamiętać")) && !btnSaveClick())
        return false;
    clearChangedFlags();
    return true;
}

// ---- print layout ------------------------------------------------------------------------------

void CatalogueEditing::btnGetFieldsClick()
{
    const QString title = m_controls.edNazwa->text();
    if (title.isEmpty())
        m_ui.message(UiServices::Kind::Warning, QStringLiteral("\r\nTytuł wydruku nie powinien być pusty"));
    const Query &result = m_session.result();
    std::vector<FieldLayout> rows;
    for (int i = 0; i < result.fieldCount(); ++i) {
        const Field *field = result.field(i);
        FieldLayout row{field->fieldName(), QString(), QString()};
        if (!title.isEmpty()) {
            const StoredField stored = m_catalogue.storedField(title, row.name);
            row.width = stored.width.value_or(QStringLiteral("20"));
            row.sum = stored.sum.value_or(field->dataType() == FieldType::ftString ? QString() : QStringLiteral("T"));
        }
        rows.push_back(row);
    }
    setFieldRows(rows);
}
