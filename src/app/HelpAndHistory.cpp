#include "HelpAndHistory.h"

#include "MainWindowControls.h"
#include "UiServices.h"
#include "catalogue/CatalogueLocation.h"
#include "catalogue/QueryCatalogue.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "query/HistoryLog.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPlainTextEdit>

HelpAndHistory::HelpAndHistory(Session &session, UiServices &ui, MainWindowControls &controls)
    : m_session(session), m_ui(ui), m_controls(controls)
{
}

void HelpAndHistory::loadHistory()
{
    HistoryLog &history = m_session.history();
    history.createIfMissing();
    m_controls.memHistory->setPlainText(history.load().join(QLatin1Char('\n')));
}

void HelpAndHistory::TabSheet3Show()
{
    // The catalogue's own help file, else the one installed with the program.
    QString path = paths::join(m_session.catalogue().directory(), QStringLiteral("vSql.hlp"));
    const QString installed = installedDataDirectory(QCoreApplication::applicationDirPath());
    if (!QFileInfo(path).isFile() && !installed.isEmpty())
        path = paths::join(installed, QStringLiteral("vSql.hlp"));
    if (QFileInfo(path).isFile())
        m_controls.memHelp->setPlainText(textfile::readLines(path).join(QLatin1Char('\n')));
}

void HelpAndHistory::BitBtn4Click()
{
    m_ui.openWithDesktop(paths::join(m_session.catalogue().directory(), QStringLiteral("localSql.hlp")));
}

void HelpAndHistory::TabSheet4Show()
{
    const HistoryLog &history = m_session.history();
    if (history.exists())
        m_controls.memHistory->setPlainText(history.load().join(QLatin1Char('\n')));
}

void HelpAndHistory::Button1Click()
{
    m_controls.memHistory->clear();
    m_session.history().clear();
}
