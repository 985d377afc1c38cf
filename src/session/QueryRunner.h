#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Session;

// One statement of a run: the text it runs and the name its result is exported under.
struct RunStep {
    QStringList lines;
    QString exportName;
};

// Runs statements on the session's result data set: catalogue queries by title with their
// preliminary queries ("+_DAJ" and "+_LIC" lines), and texts straight from the editor.
class QueryRunner {
public:
    explicit QueryRunner(Session &session);

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

private:
    // The path of the title's existing text file; the message and nothing when there is none.
    QString textFile(const QString &title);

    Session &m_session;
    QString m_lastTitle;
};
