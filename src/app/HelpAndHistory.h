#pragma once

struct MainWindowControls;
class Session;
class UiServices;

// The pages "Pomoc" (the help text beside the catalogue, the SQL help handed to the desktop) and
// "Historia" (the history log).
class HelpAndHistory {
public:
    HelpAndHistory(Session &session, UiServices &ui, MainWindowControls &controls);

    // At start: the log is made when missing and shown.
    void loadHistory();
    void TabSheet3Show();
    void BitBtn4Click(); // the SQL help
    void TabSheet4Show();
    void Button1Click(); // clears the history

private:
    Session &m_session;
    UiServices &m_ui;
    MainWindowControls &m_controls;
};
