#include "QueryRunner.h"

#include "HistoryLog.h"
#include "QueryPrompts.h"
#include "catalogue/QueryCatalogue.h"
#include "db/Query.h"
#include "platform/Errors.h"
#include "platform/TextFile.h"

#include <QFileInfo>

namespace {

bool startsWithNoCase(const QString &text, const char *prefix)
{
    return text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

// The title of the preliminary query a marker line names: from its 2nd to its next-to-last
// character. The name after the five marker characters is what "+_DAJ" exports under.
QString markerTitle(const QString &line)
{
    return line.mid(1, std::max<qsizetype>(0, line.size() - 2));
}

QString markerName(const QString &line)
{
    return line.mid(5, std::max<qsizetype>(0, line.size() - 6));
}

// The wait cursor for the life of the object.
class Waiting {
public:
    explicit Waiting(RunHost &host) : m_host(host) { m_host.beginWait(); }
    ~Waiting() { m_host.endWait(); }
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;

private:
    RunHost &m_host;
};

} // namespace

bool isMarkerLine(const QString &line)
{
    return startsWithNoCase(line, "+_DAJ") || startsWithNoCase(line, "+_LIC");
}

QStringList withoutMarkerLines(QStringList lines)
{
    lines.removeIf(isMarkerLine);
    return lines;
}

QString joinLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QString exportNameOf(const QString &title)
{
    return startsWithNoCase(title, "_DAJ") ? title.mid(4) : QString();
}

QueryRunner::QueryRunner(const QueryCatalogue &catalogue, Query &result, QueryPrompts &prompts, RunHost &host)
    : m_catalogue(catalogue), m_result(result), m_prompts(prompts), m_host(host)
{
}

void QueryRunner::runTitle(const QString &title)
{
    m_prompts.beginRun();
    Waiting waiting(m_host);
    m_lastTitle = title;
    m_result.close();
    uruchomSQL(title);
}

void QueryRunner::uruchomSQL(const QString &title)
{
    for (RunStep &step : plan(title))
        wykonajSQL(std::move(step.lines), step.exportName);
}

std::vector<RunStep> QueryRunner::plan(const QString &title)
{
    const QString path = textFile(title);
    if (path.isEmpty())
        throw EAbort();
    m_host.showStatus(path);
    const QStringList text = textfile::readLines(path);
    std::vector<RunStep> steps;
    QString exportName;
    for (const QString &line : text) {
        if (!isMarkerLine(line))
            continue;
        if (startsWithNoCase(line, "+_DAJ"))
            exportName = markerName(line);
        std::optional<QStringList> preliminary = czytajSQL(markerTitle(line));
        if (!preliminary)
            throw EAbort();
        steps.push_back({std::move(*preliminary), exportName});
    }
    const QStringList lines = withoutMarkerLines(text);
    if (joinLines(lines).size() > 8)
        steps.push_back({lines, exportNameOf(title)});
    return steps;
}

std::optional<QStringList> QueryRunner::czytajSQL(const QString &title)
{
    const QString path = textFile(title);
    if (path.isEmpty())
        return std::nullopt;
    return textfile::readLines(path);
}

QString QueryRunner::textFile(const QString &title)
{
    const QString path = m_catalogue.resolveTextFile(title);
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return path;
    m_host.showError(QStringLiteral("\r\nBrak pliku z treścią SQL ") + title);
    return QString();
}

void QueryRunner::wykonajSQL(QStringList lines, const QString &exportName)
{
    lines = withoutMarkerLines(std::move(lines));
    const QString text = joinLines(lines);
    if (text.size() < 8)
        return;
    Waiting waiting(m_host);
    m_result.close();
    if (m_prompts.ustalDate(text)) {
        for (QString &line : lines)
            line = m_prompts.wstawDate(line);
    }
    m_result.sql().assign(lines);
    m_host.appendHistory(HistoryLog::startLine(m_clock(), m_lastTitle));
    m_host.showStatus(text);
    m_prompts.podajParametry(m_result);
    // Whatever the statement begins with (a comment, a bracket, WITH, VALUES), the engine knows
    // whether it returns rows.
    if (m_result.returnsRows()) {
        m_result.open();
        m_host.resultOpened(m_result.recordCount());
        if (!exportName.isEmpty())
            m_host.exportResult(exportName);
        m_host.setFieldsAvailable(m_result.active());
    } else {
        m_result.execSQL();
    }
    m_host.appendHistory(HistoryLog::stampLine(m_clock()));
}
