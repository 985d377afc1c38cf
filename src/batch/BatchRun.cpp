#include "BatchRun.h"

#include "catalogue/QueryCatalogue.h"
#include "db/Query.h"
#include "export/ResultWriter.h"
#include "export/TextWriters.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/RegionalSettings.h"
#include "platform/TextFile.h"
#include "chart/ChartFile.h"
#include "query/RunState.h"
#include "report/ReportDocument.h"
#include "session/QueryRunner.h"
#include "session/Session.h"
#include "session/SessionEvents.h"

#include <QFile>

#include <cstdio>

namespace {

void printError(const QString &text)
{
    // The boxes' texts begin with a line break to set them off; a terminal needs none.
    QString message = text;
    while (message.startsWith(QLatin1Char('\r')) || message.startsWith(QLatin1Char('\n')))
        message.remove(0, 1);
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// A date as given on the command line: ISO (2004-03-05) or the regional short date form.
QDate parseDate(const QString &text, const QString &what)
{
    QDate date = QDate::fromString(text.trimmed(), Qt::ISODate);
    if (!date.isValid())
        date = RegionalSettings::current().parseShortDate(text.trimmed());
    if (!date.isValid())
        throw Exception(QStringLiteral("'%1' nie jest poprawną datą (%2)").arg(text, what));
    return date;
}

QString missingParam(const QString &name)
{
    return QStringLiteral("Brak wartości parametru %1: podaj --param %1=WARTOŚĆ").arg(name);
}

// The refusal of a marker date that no option gives, saying which text holds the markers.
QString missingDate(const RunState *state)
{
    const QString ask = QStringLiteral(" zawiera znaczniki daty: podaj --date DATA");
    switch (state ? state->datePlace() : DatePlace::Statement) {
    case DatePlace::ReportTitle: return QStringLiteral("Tytuł wydruku \"%1\"").arg(state->dateText()) + ask;
    case DatePlace::ExportName: return QStringLiteral("Nazwa pliku \"%1\"").arg(state->dateText()) + ask;
    case DatePlace::Statement: break;
    }
    return QStringLiteral("Zapytanie") + ask;
}

// The prompts answered from the command line.
class CommandLinePrompter : public Prompter {
public:
    explicit CommandLinePrompter(const BatchOptions &options) : m_options(options) {}
    // The run state whose marker dates this prompter answers.
    void answerFor(const RunState &state) { m_state = &state; }

    std::optional<QDate> askDate(const QString &parameter, const QString &, const QDate &) override
    {
        if (parameter.isEmpty()) {
            if (!m_options.date)
                throw Exception(missingDate(m_state));
            return parseDate(*m_options.date, QStringLiteral("--date"));
        }
        return parseDate(answer(parameter), parameter);
    }
    std::optional<QString> askText(const QString &parameter, const QString &) override { return answer(parameter); }
    std::optional<QString> askNumber(const QString &parameter, const QString &, const QString &) override
    {
        return answer(parameter);
    }
    // Without a screen the name "table" is used as it is.
    std::optional<QString> askExportName(const QString &name) override { return name; }

private:
    QString answer(const QString &parameter) const
    {
        const std::optional<QString> value = m_options.param(parameter);
        if (!value)
            throw Exception(missingParam(parameter));
        return *value;
    }

    const BatchOptions &m_options;
    const RunState *m_state = nullptr;
};

// A run without a screen is silent but for its messages, which go to standard error.
class BatchEvents : public QuietEvents {
public:
    void errorMessage(const QString &text) override { printError(text); }
    void informationMessage(const QString &text) override { printError(text); }
};

// Every question the steps would ask must have its answer, every answer must convert, and all the
// steps must be possible, before anything runs.
// A text with date markers that a command settles after its run: an export name, a report title.
struct DatedText {
    QString text;
    DatePlace place;
};

// Asks every question the run and what follows it would ask, so that a missing answer stops the
// command before anything runs.
void checkSteps(const std::vector<RunStep> &steps, const std::vector<DatedText> &after, CommandLinePrompter &answers,
                const QString &directory)
{
    RunState scratch(answers, directory);
    answers.answerFor(scratch);
    scratch.beginRun();
    for (const RunStep &step : steps) {
        if (const std::optional<QStringList> lines = scratch.prepare(step.lines))
            scratch.askParameters(*lines);
        scratch.ustalDate(step.exportName, DatePlace::ExportName);
    }
    for (const DatedText &dated : after)
        scratch.ustalDate(dated.text, dated.place);
}

QStringList readSqlFile(const QString &name)
{
    if (name != QLatin1String("-"))
        return textfile::readLines(name);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("-"), QStringLiteral("standard input"));
    return textfile::splitLines(cp1250::decode(in.readAll()));
}

// The result on standard output, streamed: Windows-1250, ";" after every cell, CR LF.
void printResult(const DataSet &result)
{
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        throw EFCreateError(QStringLiteral("-"), QStringLiteral("standard output"));
    ByteSink sink(out);
    ResultListing listing(sink);
    writeResult(result, listing, QString());
    sink.flush();
}

} // namespace

BatchOptions BatchOptions::parse(const QStringList &args)
{
    BatchOptions options;
    const std::pair<const char *, bool BatchOptions::*> flags[] = {
        {"--lines", &BatchOptions::lines}, {"--flat", &BatchOptions::flat},   {"--stack", &BatchOptions::stack},
        {"--stack100", &BatchOptions::stack100}, {"--marks", &BatchOptions::marks},
    };
    const std::pair<const char *, std::optional<QString> BatchOptions::*> values[] = {
        {"--date", &BatchOptions::date}, {"--export", &BatchOptions::exportName}, {"--pdf", &BatchOptions::pdf},
        {"--x", &BatchOptions::x},       {"--y", &BatchOptions::y},               {"--series", &BatchOptions::series},
        {"--png", &BatchOptions::png},   {"--svg", &BatchOptions::svg},           {"--size", &BatchOptions::size},
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--"))) {
            options.words.append(arg);
            continue;
        }
        options.given.append(arg.mid(2));
        const auto flag = std::find_if(std::begin(flags), std::end(flags), [&](const auto &f) { return arg == QLatin1String(f.first); });
        if (flag != std::end(flags)) {
            options.*(flag->second) = true;
            continue;
        }
        if (i + 1 >= args.size())
            throw EUsage(QStringLiteral("%1 needs a value").arg(arg));
        const QString value = args.at(++i);
        const auto named = std::find_if(std::begin(values), std::end(values), [&](const auto &v) { return arg == QLatin1String(v.first); });
        if (named != std::end(values)) {
            options.*(named->second) = value;
        } else if (arg == QLatin1String("--param")) {
            const qsizetype equals = value.indexOf(QLatin1Char('='));
            if (equals <= 0)
                throw EUsage(QStringLiteral("--param takes NAME=VALUE"));
            options.params.insert(value.left(equals).toLower(), value.mid(equals + 1));
        } else {
            throw EUsage(QStringLiteral("unknown option %1").arg(arg));
        }
    }
    return options;
}

void BatchOptions::allowOnly(const QString &command, const QStringList &options) const
{
    for (const QString &option : given) {
        if (!options.contains(option))
            throw EUsage(QStringLiteral("%1 takes no --%2").arg(command, option));
    }
}

std::optional<QString> BatchOptions::param(const QString &name) const
{
    const auto found = params.constFind(name.toLower());
    return found == params.cend() ? std::nullopt : std::optional<QString>(*found);
}

namespace {

// The session of one command line: its prompts answered by the options, its messages on standard
// error.
struct BatchSession {
    BatchSession(const QString &catalogueDirectory, const BatchOptions &options)
        : answers(options), session(paths::join(catalogueDirectory, QueryCatalogue::fileNameInDirectory), answers, events)
    {
        answers.answerFor(session.runState());
    }

    // "&Wykonaj" on the title, or "Testuj SQL" on the file's text, once every answer is checked,
    // those of the texts settled after the run included.
    void run(const QString &command, const QString &target, const std::vector<DatedText> &after = {})
    {
        const QString &directory = session.catalogue().directory();
        if (command == QLatin1String("sql")) {
            const QStringList lines = readSqlFile(target);
            checkSteps({{lines, QString()}}, after, answers, directory);
            answers.answerFor(session.runState());
            session.testSql(lines);
            return;
        }
        checkSteps(session.runner().plan(target), after, answers, directory);
        answers.answerFor(session.runState());
        session.runTitle(target);
    }

    CommandLinePrompter answers;
    BatchEvents events;
    Session session;
};

} // namespace

int listTitles(const QString &catalogueDirectory, const BatchOptions &options)
{
    options.allowOnly(QStringLiteral("list"), {});
    if (!options.words.isEmpty())
        throw EUsage(QStringLiteral("list takes nothing more"));
    const QueryCatalogue catalogue(paths::join(catalogueDirectory, QueryCatalogue::fileNameInDirectory));
    for (const QString &title : catalogue.loadTitles())
        std::printf("%s\n", title.toLocal8Bit().constData());
    return 0;
}

int runQuery(const QString &catalogueDirectory, const QString &command, const BatchOptions &options)
{
    options.allowOnly(command, {QStringLiteral("param"), QStringLiteral("date"), QStringLiteral("export")});
    if (options.words.size() != 1)
        throw EUsage(QStringLiteral("%1 takes one %2 and the options --param, --date and --export")
                         .arg(command, command == QLatin1String("run") ? QStringLiteral("TITLE") : QStringLiteral("FILE")));
    BatchSession batch(catalogueDirectory, options);
    try {
        std::vector<DatedText> after;
        if (options.exportName)
            after.push_back({*options.exportName, DatePlace::ExportName});
        batch.run(command, options.words.first(), after);
        // "Utwórz plik" after the run, on the result as the run left it.
        if (options.exportName)
            batch.session.dajPlik(*options.exportName);
        else if (batch.session.result().active())
            printResult(batch.session.result());
    } catch (const EAbort &) {
        return 1;
    }
    return 0;
}

int writeReport(const QString &catalogueDirectory, const BatchOptions &options)
{
    options.allowOnly(QStringLiteral("report"), {QStringLiteral("param"), QStringLiteral("date"), QStringLiteral("pdf")});
    if (options.words.size() != 1 || !options.pdf)
        throw EUsage(QStringLiteral("report takes one TITLE, --pdf FILE and the options --param and --date"));
    BatchSession batch(catalogueDirectory, options);
    const QString &title = options.words.first();
    try {
        batch.run(QStringLiteral("run"), title, {{title, DatePlace::ReportTitle}});
        const std::unique_ptr<ReportDocument> report = batch.session.report(title);
        for (const QString &warning : report->warnings())
            printError(warning);
        report->writePdf(*options.pdf);
    } catch (const EAbort &) {
        return 1;
    }
    return 0;
}

namespace {

// The size of the chart's picture, refused before the query runs when it is beyond the limits.
QSize chartSize(const std::optional<QString> &text)
{
    if (!text)
        return QSize(1280, 800);
    const QStringList parts = text->toLower().split(QLatin1Char('x'));
    bool wide = false, high = false;
    const int width = parts.size() == 2 ? parts[0].toInt(&wide) : 0, height = parts.size() == 2 ? parts[1].toInt(&high) : 0;
    if (!wide || !high)
        throw EUsage(QStringLiteral("--size takes WIDTHxHEIGHT in pixels"));
    checkChartSize(QSize(width, height));
    return QSize(width, height);
}

} // namespace

int writeChart(const QString &catalogueDirectory, const BatchOptions &options)
{
    options.allowOnly(QStringLiteral("chart"),
                      {"param", "date", "x", "y", "series", "lines", "flat", "stack", "stack100", "marks", "png", "svg", "pdf",
                       "size"});
    const int files = (options.png ? 1 : 0) + (options.svg ? 1 : 0) + (options.pdf ? 1 : 0);
    if (options.words.size() != 1 || !options.x || !options.y || files != 1 || (options.stack && options.stack100))
        throw EUsage(QStringLiteral("chart takes one TITLE, --x FIELD, --y FIELD and one of --png, --svg or --pdf FILE"));
    const QSize size = chartSize(options.size);
    ChartOptions look;
    look.shape = options.lines ? ChartOptions::Shape::Lines : ChartOptions::Shape::Bars;
    look.threeD = !options.flat;
    look.arrangement = options.stack ? ChartOptions::Arrangement::Stacked
        : options.stack100           ? ChartOptions::Arrangement::Stacked100
                                     : ChartOptions::Arrangement::SideBySide;
    look.marks = options.marks;
    BatchSession batch(catalogueDirectory, options);
    try {
        batch.run(QStringLiteral("run"), options.words.first());
        const ChartData data = aggregateChart(batch.session.result(), *options.x, *options.y, options.series.value_or(QString()));
        if (data.skippedRows > 0)
            printError(skippedRowsNote(data));
        const ChartFormat format = options.png ? ChartFormat::Png : options.svg ? ChartFormat::Svg : ChartFormat::Pdf;
        writeChartFile(data, look, *(options.png ? options.png : options.svg ? options.svg : options.pdf), format, size);
    } catch (const EAbort &) {
        return 1;
    }
    return 0;
}
