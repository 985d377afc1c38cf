#include "Session.h"

#include "QueryRunner.h"
#include "SessionEvents.h"
#include "catalogue/QueryCatalogue.h"
#include "db/Database.h"
#include "db/Query.h"
#include "platform/Errors.h"
#include "export/ResultExport.h"
#include "export/XlsToCsv.h"
#include "query/HistoryLog.h"
#include "query/NumberText.h"
#include "query/RunState.h"
#include "report/PrintSettings.h"
#include "report/ReportDocument.h"
#include "xls/Workbook.h"

namespace {

// A run's export writes the result to a file.
class FileExport : public ResultExporter {
public:
    explicit FileExport(Session &session) : m_session(session) {}
    void exportResult(const QString &name) override { m_session.dajPlik(name); }

private:
    Session &m_session;
};

} // namespace

Session::Session(const QString &catalogueFile, Prompter &prompter, SessionEvents &events)
    : m_events(events),
      m_prompter(prompter),
      m_catalogue(std::make_unique<QueryCatalogue>(catalogueFile)),
      m_database(std::make_unique<Database>()),
      m_result(std::make_unique<Query>(*m_database)),
      m_runState(std::make_unique<RunState>(prompter, m_catalogue->directory())),
      m_history(std::make_unique<HistoryLog>(HistoryLog::pathFor(m_catalogue->directory(), m_catalogue->prefix()))),
      m_exporter(std::make_unique<FileExport>(*this)),
      m_runner(std::make_unique<QueryRunner>(*this))
{
    m_database->setProgressListener([this](const ProgressStep &step) { m_events.progress(step); });
    useDisplayTextRules();
}

Session::~Session() = default;

void Session::useDisplayTextRules()
{
    QObject::connect(m_result.get(), &DataSet::resetDone, m_result.get(), [this] {
        // Floating-point fields show their amounts in digit groups wherever the result is shown;
        // the text is made only for the cells drawn.
        for (int i = 0; i < m_result->fieldCount(); ++i) {
            Field *field = m_result->field(i);
            if (field->dataType() == FieldType::ftFloat)
                field->setOnGetText([](const Field &f, qsizetype row) { return tekstLiczby(f, row); });
        }
        const bool open = m_result->active();
        if (m_resultWasOpen && !open)
            m_events.resultClosed();
        m_resultWasOpen = open;
    });
}

void Session::runTitle(const QString &title)
{
    m_runner->runTitle(title);
}

void Session::testSql(const QStringList &lines)
{
    m_runner->testSql(lines);
}

const QString &Session::lastTitle() const
{
    return m_runner->lastTitle();
}

void Session::closeResult()
{
    m_result->close();
}

void Session::appendHistory(const QString &line)
{
    m_history->append(line);
    m_events.historyAppended(line);
}

void Session::exportResult(const QString &name)
{
    m_exporter->exportResult(name);
}

void Session::setExporter(std::unique_ptr<ResultExporter> exporter)
{
    m_exporter = exporter ? std::move(exporter) : std::make_unique<FileExport>(*this);
}

std::unique_ptr<ReportDocument> Session::report(const QString &title)
{
    if (!m_result->active()) {
        m_events.errorMessage(QStringLiteral("\r\nZapytanie nie zostało przygotowane !"));
        throw EAbort();
    }
    QString caption = title;
    if (m_runState->ustalDate(title, DatePlace::ReportTitle))
        caption = m_runState->wstawDate(title);
    const std::vector<FieldDef> fields = m_result->fieldDefs();
    ReportLayout layout = layOutReport(fields, readReportSettings(*m_catalogue, title, fields), caption,
                                       m_runState->summary());
    // Laid out for the paper it was last printed on.
    layout.paper = PrintSettingsFile(m_catalogue->directory()).read(title).paper;
    return std::make_unique<ReportDocument>(std::move(layout), *m_result, now());
}

void Session::dajPlik(QString name)
{
    if (name.isEmpty())
        name = QStringLiteral("table");
    if (name == QLatin1String("table")) {
        const std::optional<QString> typed = m_prompter.askExportName(name);
        if (!typed)
            return;
        name = *typed;
    }
    if (m_runState->ustalDate(name, DatePlace::ExportName))
        name = m_runState->wstawDate(name);
    Busy busy(*this);
    writeExport(*m_result, name);
    m_result->close();
}

QString Session::convertXlsToCsv(const QString &name)
{
    Busy busy(*this);
    // A workbook of its own: nothing of an earlier file reaches the next one.
    TXlsWorkbook workbook;
    return przepiszXlsDoCsv(workbook, m_catalogue->directory(), name);
}

Session::Busy::Busy(Session &session) : m_session(session)
{
    if (m_session.m_busy++ == 0)
        m_session.m_events.busyChanged(true);
}

Session::Busy::~Busy()
{
    if (--m_session.m_busy == 0)
        m_session.m_events.busyChanged(false);
}
