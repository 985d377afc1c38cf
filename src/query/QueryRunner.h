#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Query;
class QueryCatalogue;
class QueryPrompts;

// What a run shows and hands on: the window's status bar, history page, message box, result
// label and export; kwerix-batch's standard error and history file.
class RunHost {
public:
    virtual ~RunHost() = default;

    virtual void beginWait() = 0;
    virtual void endWait() = 0;
    // The first panel of the status bar, repainted at once.
    virtual void showStatus(const QString &text) = 0;
    virtual void appendHistory(const QString &line) = 0;
    // An error box with an OK button.
    virtual void showError(const QString &text) = 0;
    // A row-returning statement was opened with this many rows.
    virtual void resultOpened(int rows) = 0;
    // Writes the open result under the export name and closes it.
    virtual void exportResult(const QString &name) = 0;
    // "Pobierz pola" is possible only while the result is open.
    virtual void setFieldsAvailable(bool available) = 0;
};

// One statement of a run: the text it runs and the name its result is exported under.
struct RunStep {
    QStringList lines;
    QString exportName;
};

// Runs statements on the result data set: catalogue queries by title with their preliminary
// queries ("+_DAJ" and "+_LIC" lines), and texts straight from the editor.
class QueryRunner {
public:
    QueryRunner(const QueryCatalogue &catalogue, Query &result, QueryPrompts &prompts, RunHost &host);

    // "&Wykonaj" on a title: a new run (one date prompt at most), the title remembered for the
    // history, the result closed, then the query run.
    void runTitle(const QString &title);
    // The preliminary queries the title's text names, then the query itself.
    void uruchomSQL(const QString &title);
    // The statements a run of the title executes, in order. When a text file is missing, the
    // message is shown and EAbort raised: a run never starts on a part of its work.
    std::vector<RunStep> plan(const QString &title);
    // The lines of the title's text file; the message and nothing when it is missing.
    std::optional<QStringList> czytajSQL(const QString &title);
    // Runs one statement; a non-empty export name exports its result.
    void wykonajSQL(QStringList lines, const QString &exportName);
    // "Testuj SQL": the editor's lines, no new run.
    void testSql(const QStringList &lines) { wykonajSQL(lines, QString()); }

    const QString &lastTitle() const { return m_lastTitle; }
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    // The path of the title's existing text file; the message and nothing when there is none.
    QString textFile(const QString &title);

    const QueryCatalogue &m_catalogue;
    Query &m_result;
    QueryPrompts &m_prompts;
    RunHost &m_host;
    QString m_lastTitle;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};

// Marker lines: "+_DAJ" or "+_LIC" (any case) in the first five characters.
bool isMarkerLine(const QString &line);
QStringList withoutMarkerLines(QStringList lines);
// The lines, each followed by CR LF.
QString joinLines(const QStringList &lines);
// The name a title's result is exported under: what follows "_DAJ" (any case) at its start.
QString exportNameOf(const QString &title);
