#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Database;
class HistoryLog;
class Prompter;
class Query;
class QueryCatalogue;
class QueryRunner;
class ReportDocument;
class RunState;
class SessionEvents;

// Writes the open result under an export name and closes it: a run's "_DAJ" titles and "+_DAJ"
// lines, and "Utwórz plik".
class ResultExporter {
public:
    virtual ~ResultExporter() = default;
    virtual void exportResult(const QString &name) = 0;
};

// The work of the program without a screen, built by the window and by kwerix-batch alike: the
// catalogue, the database engine, the one result data set that every tool works on, the state of
// runs, the history log, the display text of result fields and the services a run uses. What
// happens is told to the front-end through SessionEvents; questions go to the Prompter.
class Session {
public:
    // The catalogue file names the catalogue's folder, where the query texts and the history log
    // live too.
    Session(const QString &catalogueFile, Prompter &prompter, SessionEvents &events);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    QueryCatalogue &catalogue() { return *m_catalogue; }
    Database &database() { return *m_database; }
    Query &result() { return *m_result; }
    RunState &runState() { return *m_runState; }
    HistoryLog &history() { return *m_history; }
    QueryRunner &runner() { return *m_runner; }
    SessionEvents &events() { return m_events; }

    // "&Wykonaj" on a title, and "Testuj SQL" on the editor's lines.
    void runTitle(const QString &title);
    void testSql(const QStringList &lines);
    // The title of the last "&Wykonaj" run; empty before the first.
    const QString &lastTitle() const;
    void closeResult();

    // Adds a line to the history log and tells the front-end.
    void appendHistory(const QString &line);

    // A run's export: the open result written under the export name and closed (dajPlik, unless
    // another exporter was set; none sets dajPlik back).
    void exportResult(const QString &name);
    void setExporter(std::unique_ptr<ResultExporter> exporter);
    // "Utwórz plik" and a run's export name: an empty name is "table", the name "table" is asked
    // for (the box's Cancel does nothing), date markers are replaced, the kind follows the
    // extension; the result is closed after a completed export and stays open after a failed one.
    void dajPlik(QString name);
    // The report of the open result under the title's print layout (budujWydruk without its run
    // and its output): the title's date markers replaced, the parameter summary of the last run,
    // on the paper the title was last printed on.
    // When the result is not open, the message and EAbort.
    std::unique_ptr<ReportDocument> report(const QString &title);

    // "przepisz .XLS do .CSV": the workbook named as typed, below the catalogue's folder, into a
    // CSV file; returns its path.
    QString convertXlsToCsv(const QString &name);

    // The wait cursor for the life of the object; nested scopes show it once.
    class Busy {
    public:
        explicit Busy(Session &session);
        ~Busy();
        Busy(const Busy &) = delete;
        Busy &operator=(const Busy &) = delete;

    private:
        Session &m_session;
    };

    // The clock of history lines (tests fix it).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock(); }

private:
    void useDisplayTextRules();

    SessionEvents &m_events;
    Prompter &m_prompter;
    std::unique_ptr<QueryCatalogue> m_catalogue;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<Query> m_result;
    std::unique_ptr<RunState> m_runState;
    std::unique_ptr<HistoryLog> m_history;
    std::unique_ptr<ResultExporter> m_exporter;
    std::unique_ptr<QueryRunner> m_runner;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
    int m_busy = 0;
    bool m_resultWasOpen = false;
};
