#pragma once

#include "catalogue/QueryCatalogue.h"

#include <QPoint>
#include <QString>
#include <vector>

struct MainWindowControls;
class Session;
class UiServices;

// Keeping the catalogue from the window: the list of queries with its order, its hint and its
// modes on "Wydruki", and the editor of a query and its print layout on "Przygotowanie".
class CatalogueEditing {
public:
    CatalogueEditing(Session &session, UiServices &ui, MainWindowControls &controls);

    // The list position of the current entry as last remembered; saved on exit, restored at start.
    int rememberedIndex() const { return m_rememberedIndex; }
    void setRememberedIndex(int index) { m_rememberedIndex = index; }
    // Editing mode: "Przygotowanie" and the editing buttons shown, all titles listed.
    bool editingMode() const;
    bool listHintsOn() const { return m_listHints; }

    void reloadTitles();
    // Marks the remembered entry of the list as current, or none when it is out of range.
    void showRememberedEntry();
    void updateButtons();

    // Handlers of the list and the editor, named after their controls.
    void lbxSpisSQLClick();
    void lbxSpisSQLMouseMove(const QPoint &position);
    void btnNewClick();
    void btnEditClick();
    void pokazTab2();
    // False when the save stopped at a check of the window (nothing written); the save's error
    // leaves as an exception. Either way the boxes keep their text and changed flags.
    bool btnSaveClick();
    void btnDelClick();
    void BitBtn1Click(); // move up
    void BitBtn2Click(); // move down
    void BitBtn3Click(); // save the order
    // False when the page must not be left: the save the user asked for did not happen.
    bool TabSheet2Hide();
    void PokaUkryjinne1Click();
    void btnGetFieldsClick();

private:
    void setFieldRows(const std::vector<FieldLayout> &rows);
    std::vector<FieldLayout> fieldRows() const;
    EntryForm entryForm() const;
    bool anyTextChanged() const;
    void clearChangedFlags();
    void moveCurrentEntry(int by);
    // Makes the title, as the catalogue lists it, the remembered entry.
    void rememberTitle(const QString &title);

    Session &m_session;
    QueryCatalogue &m_catalogue;
    UiServices &m_ui;
    MainWindowControls &m_controls;
    int m_rememberedIndex = 0;
    bool m_listHints = true;
    // The entry whose text the list's hint holds.
    int m_hintRow = -1;
    QString m_hintPath;
};
