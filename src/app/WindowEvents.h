#pragma once

#include "session/SessionEvents.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

struct MainWindowControls;
class UiServices;

// What the session tells the window, shown in its controls: the status bar, the "Historia" page,
// the result label, the wait cursor and, once long work takes a while, its progress with a way to
// call it off. It may be made before the controls are built; it uses them only when told something.
class WindowEvents : public QObject, public SessionEvents {
    Q_OBJECT
public:
    WindowEvents(MainWindowControls &controls, UiServices &ui);
    ~WindowEvents() override;

    void statusChanged(const QString &text) override;
    void historyAppended(const QString &line) override;
    void resultOpened(int records) override;
    void resultClosed() override;
    void errorMessage(const QString &text) override;
    void informationMessage(const QString &text) override;
    void busyChanged(bool busy) override;
    void progress(const ProgressStep &step) override;

    // The status bar's text as given (the panel shows it on one line).
    const QString &statusText() const { return m_statusText; }
    // How long work runs before its progress shows (tests make it 0).
    void setProgressDelay(int milliseconds) { m_progressDelay = milliseconds; }
    // Calls the running work off at its next progress report ("Przerwij", Esc).
    void cancelWork() { m_cancelRequested = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showProgress(bool shown);

    MainWindowControls &m_controls;
    UiServices &m_ui;
    QString m_statusText;
    QElapsedTimer m_busyFor;
    QElapsedTimer m_sinceEvents;
    int m_progressDelay = 500;
    bool m_progressShown = false;
    bool m_cancelRequested = false;
};
