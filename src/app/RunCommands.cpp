#include "RunCommands.h"

#include "MainWindowControls.h"
#include "UiServices.h"
#include "platform/TextFile.h"
#include "session/Messages.h"
#include "session/Session.h"

#include <QPlainTextEdit>

RunCommands::RunCommands(Session &session, UiServices &ui, MainWindowControls &controls)
    : m_session(session), m_ui(ui), m_controls(controls)
{
}

void RunCommands::btnOpenSQLClick()
{
    const std::optional<QString> title = m_controls.currentTitle();
    if (!title) {
        m_ui.message(UiServices::Kind::Error, messages::noQuerySelected());
        return;
    }
    m_session.runTitle(*title);
}

void RunCommands::btnTestClick()
{
    m_session.testSql(textfile::splitLines(m_controls.memTRESC->toPlainText()));
}
