#pragma once

#include "MainWindowControls.h"

#include <QMainWindow>
#include <memory>

class CatalogueEditing;
class DialogPrompter;
class ExportCommands;
class HelpAndHistory;
class ReportCommands;
class DataSetModel;
class RunCommands;
class Session;
class UiServices;
class WindowEvents;
class WindowToolUi;

// The main window "Drukowanie, przeglądanie i poprawianie z użyciem zapytań SQL": the catalogue of
// queries on "Wydruki", the editor of a query and its print layout on "Przygotowanie", the help on
// "Pomoc" and the history log on "Historia". A shell over the session: it builds its pages, starts
// and ends the program's work, and hands each command to the controller whose room it is.
class TfrmKwerix : public QMainWindow {
    Q_OBJECT
public:
    // The catalogue file is sqls.ini in the catalogue's folder; every dialog goes through ui.
    TfrmKwerix(const QString &catalogueFile, UiServices &ui, QWidget *parent = nullptr);
    ~TfrmKwerix() override;

    Session &session() { return *m_session; }
    MainWindowControls &controls() { return m_controls; }
    CatalogueEditing &editing() { return *m_editing; }
    WindowEvents &events() { return *m_events; }
    int rememberedIndex() const;
    bool editingMode() const;
    QString statusText() const;

    // Handlers of the window, named after their controls; each forwards to its controller.
    void FormActivate();
    void btnExitClick();
    void TabSheet1Show();
    void TabSheet2Show();
    void updateButtons();
    void lbxSpisSQLClick();
    void lbxSpisSQLDblClick();
    void lbxSpisSQLMouseMove(const QPoint &position);
    void btnNewClick();
    void btnEditClick();
    void pokazTab2();
    bool btnSaveClick();
    void btnDelClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    bool TabSheet2Hide();
    void PokaUkryjinne1Click();
    void btnGetFieldsClick();
    void btnOpenSQLClick();
    void btnTestClick();
    void btnPreviewClick();
    void btnPrintClick();
    void Drukuj1Click();
    void bWykresClick();
    void TabSheet3Show();
    void BitBtn4Click();
    void TabSheet4Show();
    void Button1Click();
    void Utwrzplik1Click();
    void czytajXls1Click();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectHandlers();
    void formCreate();
    void onPageChanged(int index);
    // Whether "Przygotowanie" may be left: asks about unsaved text; a failed save keeps the user.
    bool mayLeaveEditor();
    // Runs a handler inside the guard that shows its errors.
    void run(void (TfrmKwerix::*handler)());

    UiServices &m_ui;
    MainWindowControls m_controls;
    std::unique_ptr<DialogPrompter> m_prompter;
    std::unique_ptr<WindowEvents> m_events;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<WindowToolUi> m_toolUi;
    std::unique_ptr<DataSetModel> m_model;
    std::unique_ptr<CatalogueEditing> m_editing;
    std::unique_ptr<RunCommands> m_runCommands;
    std::unique_ptr<HelpAndHistory> m_helpAndHistory;
    std::unique_ptr<ReportCommands> m_reports;
    std::unique_ptr<ExportCommands> m_exports;
    int m_initialSplit = 220;
    int m_currentPage = 0;
    bool m_activated = false;
    bool m_switchingPage = false;
};
