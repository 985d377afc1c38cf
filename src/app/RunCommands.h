#pragma once

struct MainWindowControls;
class Session;
class UiServices;

// Running queries from the window: "&Wykonaj" on the list's current entry and "Testuj SQL" on the
// editor's text.
class RunCommands {
public:
    RunCommands(Session &session, UiServices &ui, MainWindowControls &controls);

    void btnOpenSQLClick();
    void btnTestClick();

private:
    Session &m_session;
    UiServices &m_ui;
    MainWindowControls &m_controls;
};
