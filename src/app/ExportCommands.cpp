#include "ExportCommands.h"

#include "UiServices.h"
#include "session/Session.h"

ExportCommands::ExportCommands(Session &session, UiServices &ui) : m_session(session), m_ui(ui)
{
}

void ExportCommands::Utwrzplik1Click()
{
    m_session.dajPlik(QStringLiteral("table"));
}

void ExportCommands::czytajXls1Click()
{
    const auto name = m_ui.input(QStringLiteral("Wprowadź nazwę pliku"), QStringLiteral(".XLS"), QStringLiteral(".xls"));
    if (name)
        m_session.convertXlsToCsv(*name);
}
