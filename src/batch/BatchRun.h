#pragma once

#include "platform/Errors.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// A command line that does not say what to do: status 2 with the usage text.
class EUsage : public Exception {
public:
    using Exception::Exception;
};

// The answers of a command line: --param NAME=VALUE (names without case), --date, --export and
// --pdf, and the words that are no options.
struct BatchOptions {
    QMap<QString, QString> params; // by name in lower case
    std::optional<QString> date;
    std::optional<QString> exportName;
    std::optional<QString> pdf;
    // The chart's fields, files and size.
    std::optional<QString> x, y, series, png, svg, size;
    bool lines = false, flat = false, stack = false, stack100 = false, marks = false;
    QStringList words;
    // The options given, without "--", in order.
    QStringList given;

    static BatchOptions parse(const QStringList &args);
    std::optional<QString> param(const QString &name) const;
    // EUsage naming the first option given that the command does not take.
    void allowOnly(const QString &command, const QStringList &options) const;
};

// "list": the catalogue's titles, one a line, in its order, in the terminal's encoding.
int listTitles(const QString &catalogueDirectory, const BatchOptions &options);

// "run TITLE" and "sql FILE": the statements run as the window runs them, the result printed to
// standard output (Windows-1250, ";" after every cell, CR LF). Messages go to standard error.
// Returns the exit status; EUsage leaves for the caller.
int runQuery(const QString &catalogueDirectory, const QString &command, const BatchOptions &options);
// "report TITLE --pdf FILE": the run as for "run", then the report of its result written as PDF.
int writeReport(const QString &catalogueDirectory, const BatchOptions &options);
// "chart TITLE --x FIELD --y FIELD ... (--png|--svg|--pdf) FILE": the run as for "run", then the
// chart of its result written to the file.
int writeChart(const QString &catalogueDirectory, const BatchOptions &options);
