#include "ReportCommands.h"

#include "MainWindowControls.h"
#include "UiServices.h"
#include "report/ReportDocument.h"
#include "session/Messages.h"
#include "session/Session.h"
#include "session/SessionEvents.h"

ReportCommands::ReportCommands(Session &session, UiServices &ui, MainWindowControls &controls,
                               std::function<void()> runSelected)
    : m_session(session), m_ui(ui), m_controls(controls), m_runSelected(std::move(runSelected))
{
}

void ReportCommands::budujWydruk(bool preview, const QString &title, bool keepResult)
{
    if (!keepResult)
        m_runSelected();
    const std::unique_ptr<ReportDocument> report = m_session.report(title);
    // Columns are placed by their widths alone; those that begin beyond the page are named.
    const QStringList outside = report->columnsOutsidePage();
    if (!outside.isEmpty())
        m_session.events().statusChanged(QStringLiteral("Kolumny poza szerokością strony: ") + outside.join(QStringLiteral(", ")));
    if (preview)
        m_ui.previewReport(*report);
    else
        m_ui.printReport(*report);
}

void ReportCommands::reportSelected(bool preview)
{
    const std::optional<QString> title = m_controls.currentTitle();
    if (!title) {
        m_ui.message(UiServices::Kind::Error, messages::noQuerySelected());
        return;
    }
    budujWydruk(preview, *title, false);
}

void ReportCommands::btnPreviewClick()
{
    reportSelected(true);
}

void ReportCommands::btnPrintClick()
{
    reportSelected(false);
}

void ReportCommands::Drukuj1Click()
{
    budujWydruk(true, m_session.lastTitle(), true);
}
