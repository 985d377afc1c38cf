#include "QueryRunner.h"

#include "Messages.h"
#include "Session.h"
#include "SessionEvents.h"
#include "catalogue/QueryCatalogue.h"
#include "db/Query.h"
#include "platform/Errors.h"
#include "platform/TextFile.h"
#include "query/HistoryLog.h"
#include "query/RunState.h"
#include "query/StatementText.h"

#include <QFileInfo>

QueryRunner::QueryRunner(Session &session) : m_session(session)
{
}

void QueryRunner::runTitle(const QString &title)
{
    m_session.runState().beginRun();
    Session::Busy busy(m_session);
    m_lastTitle = title;
    m_session.closeResult();
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
    m_session.events().statusChanged(path);
    const QStringList text = textfile::readLines(path);
    std::vector<RunStep> steps;
    QString exportName;
    for (const QString &line : text) {
        if (!isMarkerLine(line))
            continue;
        if (isExportMarkerLine(line))
            exportName = markerExportName(line);
        std::optional<QStringList> preliminary = czytajSQL(markerTitle(line));
        if (!preliminary)
            throw EAbort();
        steps.push_back({std::move(*preliminary), exportName});
    }
    const QStringList lines = withoutMarkerLines(text);
    if (joinLines(lines).size() > kStatementLength)
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
    const QString path = m_session.catalogue().resolveTextFile(title);
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return path;
    m_session.events().errorMessage(messages::missingQueryText(title));
    return QString();
}

void QueryRunner::wykonajSQL(QStringList lines, const QString &exportName)
{
    const QString text = joinLines(withoutMarkerLines(lines));
    if (text.size() < kStatementLength)
        return;
    Session::Busy busy(m_session);
    Query &result = m_session.result();
    result.close();
    const std::optional<QStringList> prepared = m_session.runState().prepare(std::move(lines));
    result.sql().assign(*prepared);
    m_session.appendHistory(HistoryLog::startLine(m_session.now(), m_lastTitle));
    m_session.events().statusChanged(text);
    m_session.runState().podajParametry(result);
    // Whatever the statement begins with (a comment, a bracket, WITH, VALUES), the engine knows
    // whether it returns rows.
    if (result.returnsRows()) {
        result.open();
        m_session.events().resultOpened(result.recordCount());
        if (!exportName.isEmpty())
            m_session.exportResult(exportName);
    } else {
        result.execSQL();
    }
    m_session.appendHistory(HistoryLog::stampLine(m_session.now()));
}
