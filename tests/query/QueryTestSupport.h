#pragma once

#include "db/Database.h"
#include "db/Query.h"
#include "query/Prompter.h"
#include "query/RunState.h"
#include "support/TestSupport.h"

#include <deque>

// Answers the prompts from a script and records what was asked ("date: description [initial]",
// "text: prompt", "number: prompt [value]").
class ScriptedPrompter : public Prompter {
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
    std::optional<QString> askExportName(const QString &name) override
    {
        asked.append(QStringLiteral("export name: [%1]").arg(name));
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
        const std::optional<T> value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

// A temporary folder (also the working folder), a result data set and the state of runs over it.
class RunStateTest : public testsupport::FolderTest {
protected:
    void TearDown() override;

    Database database;
    Query result{database};
    ScriptedPrompter prompts;
    RunState answers{prompts, dir.path()};
};
