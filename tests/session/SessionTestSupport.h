#pragma once

#include "../query/QueryTestSupport.h"
#include "catalogue/QueryCatalogue.h"
#include "session/QueryRunner.h"
#include "session/Session.h"
#include "session/SessionEvents.h"

// Records what a session tells its front-end and what it exports, in order.
class RecordingEvents : public SessionEvents {
public:
    QStringList events;
    int busy = 0;
    // Called with every progress report; may throw ECancelled.
    std::function<void(const ProgressStep &)> onProgress;

    void statusChanged(const QString &text) override { events.append(QStringLiteral("status: ") + text); }
    void historyAppended(const QString &line) override { events.append(QStringLiteral("history: ") + line); }
    void resultOpened(int records) override { events.append(QStringLiteral("opened: %1").arg(records)); }
    void resultClosed() override { events.append(QStringLiteral("closed")); }
    void errorMessage(const QString &text) override { events.append(QStringLiteral("error: ") + text); }
    void informationMessage(const QString &text) override { events.append(QStringLiteral("information: ") + text); }
    void busyChanged(bool on) override { busy += on ? 1 : -1; }
    void progress(const ProgressStep &step) override
    {
        if (onProgress)
            onProgress(step);
    }

    // The events that start with the prefix, without it.
    QStringList only(const QString &prefix) const;
};

// Records the export names a run hands on, as "export: NAME" events.
class RecordingExporter : public ResultExporter {
public:
    explicit RecordingExporter(RecordingEvents &events) : m_events(events) {}
    void exportResult(const QString &name) override { m_events.events.append(QStringLiteral("export: ") + name); }

private:
    RecordingEvents &m_events;
};

// A catalogue in a temporary folder (also the working folder) and a session over it, its clock
// fixed at 5 March 2024, 08:09:10.
class SessionTest : public testsupport::FolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A catalogue entry and its text file (left out when the file should be missing).
    void addQuery(const QString &title, const QStringList &lines, bool withFile = true);

    ScriptedPrompter prompts;
    RecordingEvents host;
    Session session{dir.filePath(QStringLiteral("sqls.ini")), prompts, host};
    QueryRunner &runner = session.runner();
    Query &result = session.result();
    RunState &answers = session.runState();

private:
    int m_files = 0;
};
