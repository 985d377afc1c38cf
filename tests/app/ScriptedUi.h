#pragma once

#include "../gridtools/DialogScript.h"
#include "app/Guard.h"
#include "app/ReportOutput.h"
#include "app/UiServices.h"
#include "report/ReportDocument.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

// Answers the window's dialogs from a script and records what was shown.
class ScriptedUi : public UiServices {
public:
    struct Shown {
        QString what; // "Błąd", "Ostrzeżenie", ... or "question", "input", "date", "error"
        QString caption;
        QString text;
    };

    std::vector<Shown> shown;
    std::deque<bool> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QDate>> dates;
    QStringList opened;
    QString saveFilter;
    // Where a previewed or printed report is written as PDF, when set: the print dialog, when its
    // script is empty, chooses that file.
    QString reportPdf;
    // The answers of the print dialog, and what it was last asked and proposed.
    std::deque<std::optional<PrintChoice>> prints;
    PrintRequest printRequest;
    PrintChoice printProposal;
    // What the preview does while it is open, when set.
    std::function<void(ReportOutput &)> previewing;
    DialogScript dialogs;

    void message(Kind kind, const QString &text) override { shown.push_back({captionOf(kind), captionOf(kind), text}); }
    bool ask(Kind kind, const QString &text) override
    {
        shown.push_back({captionOf(kind), captionOf(kind), text});
        return next(answers, false);
    }
    bool question(const QString &caption, const QString &text) override
    {
        shown.push_back({QStringLiteral("question"), caption, text});
        return next(answers, false);
    }
    std::optional<QString> input(const QString &caption, const QString &prompt, const QString &value) override
    {
        shown.push_back({QStringLiteral("input"), caption, prompt + QStringLiteral(" [") + value + QLatin1Char(']')});
        return next(inputs, std::optional<QString>());
    }
    std::optional<QDate> date(const QString &description, const QDate &initial) override
    {
        shown.push_back({QStringLiteral("date"), description, initial.toString(Qt::ISODate)});
        return next(dates, std::optional<QDate>());
    }
    void error(const QString &text) override { shown.push_back({QStringLiteral("error"), QString(), text}); }
    void openWithDesktop(const QString &path) override { opened.append(path); }
    std::optional<QString> saveFileName(const QString &caption, const QString &suggested, const QString &filter) override
    {
        shown.push_back({QStringLiteral("save"), caption, suggested});
        saveFilter = filter;
        return next(inputs, std::optional<QString>());
    }
    void previewReport(ReportOutput &output) override
    {
        const ReportDocument &report = output.document();
        shown.push_back({QStringLiteral("preview"), report.title(), pagesOf(report.title(), report.pageCount())});
        if (!reportPdf.isEmpty())
            report.writePdf(reportPdf);
        if (previewing)
            previewing(output);
    }
    std::optional<PrintChoice> printDialog(const PrintRequest &request, const PrintChoice &proposed) override
    {
        shown.push_back({QStringLiteral("print"), request.document, pagesOf(request.document, request.pageCount)});
        printRequest = request;
        printProposal = proposed;
        if (!prints.empty())
            return next(prints, std::optional<PrintChoice>());
        if (reportPdf.isEmpty())
            return std::nullopt;
        PrintChoice toFile = proposed;
        toFile.printer.clear();
        toFile.file = reportPdf;
        return toFile;
    }
    int runDialog(QDialog &dialog) override
    {
        shown.push_back({QStringLiteral("dialog"), dialog.windowTitle(), dialog.windowTitle()});
        return dialogs.run(dialog);
    }
    void runCommand(const std::function<void()> &command) override { guarded(*this, command); }

    // The texts shown since the last call, and forgets them.
    QStringList take()
    {
        QStringList texts;
        for (const Shown &s : shown)
            texts.append(s.what + QStringLiteral(": ") + s.text);
        shown.clear();
        return texts;
    }

private:
    static QString pagesOf(const QString &title, int pages) { return QStringLiteral("%1 (%2 str.)").arg(title).arg(pages); }

    template <class T>
    T next(std::deque<T> &queue, T fallback)
    {
        if (queue.empty()) {
            ADD_FAILURE() << "a dialog asked what the script does not answer";
            return fallback;
        }
        const T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};
