#include "WindowToolUi.h"

#include "UiServices.h"
#include "session/Session.h"
#include "session/SessionEvents.h"

int WindowToolUi::runDialog(QDialog &dialog)
{
    return m_ui.runDialog(dialog);
}

void WindowToolUi::runCommand(const std::function<void()> &command)
{
    m_ui.runCommand(command);
}

void WindowToolUi::runLongWork(const std::function<void()> &work)
{
    Session::Busy busy(m_session);
    work();
}

void WindowToolUi::showStatus(const QString &text)
{
    m_session.events().statusChanged(text);
}
