// kwerix-batch: the program's work without a screen, every question answered from the command line.
#include "BatchRun.h"
#include "export/XlsToCsv.h"
#include "platform/Errors.h"
#include "xls/Workbook.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char kUsage[] =
    "usage: kwerix-batch run TITLE [--param NAME=VALUE]... [--date DATE] [--export NAME]\n"
    "       kwerix-batch sql FILE [--param NAME=VALUE]... [--date DATE] [--export NAME]\n"
    "       kwerix-batch report TITLE --pdf FILE [--param NAME=VALUE]... [--date DATE]\n"
    "       kwerix-batch chart TITLE --x FIELD --y FIELD [--series FIELD] [--lines] [--flat]\n"
    "                          [--stack|--stack100] [--marks] (--png|--svg|--pdf) FILE [--size WxH]\n"
    "                          [--param NAME=VALUE]... [--date DATE]\n"
    "       kwerix-batch xls2csv NAME\n";

int usage(const QString &problem = QString())
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "kwerix-batch: %s\n", problem.toLocal8Bit().constData());
    std::fputs(kUsage, stderr);
    return 2;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", standardErrorText(message).toLocal8Bit().constData());
    return 1;
}

int xls2csv(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("xls2csv takes one NAME"));
    TXlsWorkbook xls;
    przepiszXlsDoCsv(xls, QCoreApplication::applicationDirPath(), args.first());
    return 0;
}

int dispatch(const QString &command, const QStringList &args)
{
    if (command == QLatin1String("xls2csv"))
        return xls2csv(args);
    if (command == QLatin1String("run") || command == QLatin1String("sql"))
        return runQuery(QCoreApplication::applicationDirPath(), command, BatchOptions::parse(args));
    if (command == QLatin1String("report"))
        return writeReport(QCoreApplication::applicationDirPath(), BatchOptions::parse(args));
    if (command == QLatin1String("chart"))
        return writeChart(QCoreApplication::applicationDirPath(), BatchOptions::parse(args));
    throw EUsage(QStringLiteral("unknown command %1").arg(command));
}

// Qt's own notes (a missing runtime folder of the offscreen platform, say) are no business of a
// script's standard error; only its fatal messages are.
void quietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietQtMessages);
    // Reports and charts are painted with fonts, which need a GUI application; without a screen
    // (a scheduled job on a server) it runs on the offscreen platform. The other commands start
    // faster without one.
    const bool paints = argc > 1 && (std::strcmp(argv[1], "report") == 0 || std::strcmp(argv[1], "chart") == 0);
    if (paints && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        paints ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    try {
        return dispatch(command, args);
    } catch (const EUsage &e) {
        return usage(e.message());
    } catch (const Exception &e) {
        return fail(e.message());
    }
}
