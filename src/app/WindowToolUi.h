#pragma once

#include "gridtools/GridToolUi.h"

class Session;
class UiServices;

// The grid tools' user interface in the main window: their dialogs and commands through the UI
// services, their long work as the session's (the wait cursor, then its progress with "Przerwij",
// both taken away when it ends), their notes in the status bar.
class WindowToolUi : public GridToolUi {
public:
    WindowToolUi(UiServices &ui, Session &session) : m_ui(ui), m_session(session) {}

    int runDialog(QDialog &dialog) override;
    void runCommand(const std::function<void()> &command) override;
    void runLongWork(const std::function<void()> &work) override;
    void showStatus(const QString &text) override;

private:
    UiServices &m_ui;
    Session &m_session;
};
