#pragma once

#include "catalogue/QueryCatalogue.h"
#include "db/Database.h"
#include "db/Query.h"
#include "query/ParameterPrompts.h"
#include "query/QueryPrompts.h"
#include "query/QueryRunner.h"
#include "support/TestSupport.h"

#include <deque>

// Answers the prompts from a script and records what was asked ("date: description [initial]",
// "text: prompt", "number: prompt [value]").
class ScriptedPrompts : public ParameterPrompts {
public:
    QStringList asked;
    std::deque<std::optional<QDate>> dates;
    std::deque<std::optional<QString>> texts;

    std::optional<QDate> askDate(const QString &, const QString &description, const QDate &initial) override
    {
        asked.append(QStringLiteral("date: %1 [%2]").arg(description, initial.toString(Qt::ISODate)));
        return next(dates);
    }
    std::optional<QString> askText(const QString &, const QString &prompt) override
    {
        asked.append(QStringLiteral("text: ") + prompt);
        return next(texts);
    }
    std::optional<QString> askNumber(const QString &, const QString &prompt, const QString &value) override
    {
        asked.append(QStringLiteral("number: %1 [%2]").arg(prompt, value));
        return next(texts);
    }

private:
    template <class T>
    std::optional<T> next(std::deque<std::optional<T>> &queue)
    {
        if (queue.empty()) {
            ADD_FAILURE() << "a prompt the script does not answer";
            return std::nullopt;
        }
        std::optional<T> value = queue.front();
        queue.pop_front();
        return value;
    }
};

// Records what a run shows, in order.
class RecordingHost : public RunHost {
public:
    QStringList events;
    int waiting = 0;

    void beginWait() override { ++waiting; }
    void endWait() override { --waiting; }
    void showStatus(const QString &text) override { events.append(QStringLiteral("status: ") + text); }
    void appendHistory(const QString &line) override { events.append(QStringLiteral("history: ") + line); }
    void showError(const QString &text) override { events.append(QStringLiteral("error: ") + text); }
    void resultOpened(int rows) override { events.append(QStringLiteral("opened: %1").arg(rows)); }
    void exportResult(const QString &name) override { events.append(QStringLiteral("export: ") + name); }
    void setFieldsAvailable(bool available) override { events.append(QStringLiteral("fields: %1").arg(available)); }

    // The events that start with the prefix, without it.
    QStringList only(const QString &prefix) const;
};

// A catalogue in a temporary folder (also the working folder) and a runner over it.
class RunTest : public testsupport::PolishTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A catalogue entry and its text file (left out when the file should be missing).
    void addQuery(const QString &title, const QStringList &lines, bool withFile = true);

    QString catalogueDirectory() const { return dir.path() + QLatin1Char('/'); }

    QueryCatalogue catalogue{dir.filePath(QStringLiteral("sqls.ini"))};
    Database database;
    Query result{database};
    ScriptedPrompts prompts;
    QueryPrompts answers{prompts, dir.path()};
    RecordingHost host;
    QueryRunner runner{catalogue, result, answers, host};

private:
    QString m_cwd;
    int m_files = 0;
};
