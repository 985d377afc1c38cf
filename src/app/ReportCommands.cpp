#include "ReportCommands.h"

#include "MainWindowControls.h"
#include "ReportOutput.h"
#include "UiServices.h"
#include "report/ReportDocument.h"
#include "session/Messages.h"
#include "session/Session.h"

ReportCommands::ReportCommands(Session &session, UiServices &ui, MainWindowControls &controls,
                               std::function<void()> runSelected)
    : m_session(session), m_ui(ui), m_controls(controls), m_runSelected(std::move(runSelected))
{
}

void ReportCommands::budujWydruk(bool preview, const QString &title, bool keepResult)
{
    if (!keepResult)
        m_runSelected();
    ReportOutput output(m_session.report(title), title, m_session.catalogue().directory(), m_ui);
    // Columns are placed by their widths alone: what does not print as laid out is said before the
    // report is shown or printed.
    const QStringList warnings = output.document().warnings();
    if (!warnings.isEmpty())
        m_ui.message(UiServices::Kind::Warning, warnings.join(QStringLiteral("\r\n")));
    if (preview)
        m_ui.previewReport(output);
    else
        output.print();
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
