#pragma once

#include <QString>
#include <functional>

struct MainWindowControls;
class Session;
class UiServices;

// Reports from the window: "&Podgląd" and "&Drukuj" run the selected query anew and preview or
// print its report; the grid popup's "Drukuj" previews the result on screen as it stands.
class ReportCommands {
public:
    // runSelected is "&Wykonaj" as if its button had been pressed.
    ReportCommands(Session &session, UiServices &ui, MainWindowControls &controls, std::function<void()> runSelected);

    void budujWydruk(bool preview, const QString &title, bool keepResult);
    void btnPreviewClick();
    void btnPrintClick();
    void Drukuj1Click();

private:
    void reportSelected(bool preview);

    Session &m_session;
    UiServices &m_ui;
    MainWindowControls &m_controls;
    std::function<void()> m_runSelected;
};
