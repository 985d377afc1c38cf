// kwerix-batch: the program's work without a screen, every question answered from the command line.
#include "BatchRun.h"
#include "catalogue/CatalogueLocation.h"
#include "export/XlsToCsv.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/QtTranslations.h"
#include "xls/Workbook.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char kUsage[] =
    "usage: kwerix-batch [--catalogue DIR] COMMAND ...\n"
    "       kwerix-batch run TITLE [--param NAME=VALUE]... [--date DATE] [--export NAME]\n"
    "       kwerix-batch sql FILE [--param NAME=VALUE]... [--date DATE] [--export NAME]\n"
    "       kwerix-batch report TITLE --pdf FILE [--param NAME=VALUE]... [--date DATE]\n"
    "       kwerix-batch chart TITLE --x FIELD --y FIELD [--series FIELD] [--lines] [--flat]\n"
    "                          [--stack|--stack100] [--marks] (--png|--svg|--pdf) FILE [--size WxH]\n"
    "                          [--param NAME=VALUE]... [--date DATE]\n"
    "       kwerix-batch list\n"
    "       kwerix-batch xls2csv NAME\n"
    "       kwerix-batch --help\n";

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

// The catalogue's folder for a command: it must be there, and be writable for the commands
// that log what they run.
QString catalogueFolder(const CatalogueLocation &location, bool logs)
{
    if (!location.folderExists)
        throw ECatalogueFolder(QStringLiteral("Nie znaleziono katalogu zapytań.\n") + location.describe());
    if (logs && !location.writable)
        throw ECatalogueFolder(location.notWritableMessage()
                               + QStringLiteral(", a obok katalogu zapisywany jest dziennik zapytań sqlhist.txt."));
    return location.directory;
}

int xls2csv(const CatalogueLocation &location, const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("xls2csv takes one NAME"));
    TXlsWorkbook xls;
    przepiszXlsDoCsv(xls, catalogueFolder(location, false), args.first());
    return 0;
}

int dispatch(const QString &command, const QStringList &args, const CatalogueLocation &location)
{
    if (command == QLatin1String("xls2csv"))
        return xls2csv(location, args);
    if (command == QLatin1String("list"))
        return listTitles(catalogueFolder(location, false), BatchOptions::parse(args));
    if (command == QLatin1String("run") || command == QLatin1String("sql"))
        return runQuery(catalogueFolder(location, true), command, BatchOptions::parse(args));
    if (command == QLatin1String("report"))
        return writeReport(catalogueFolder(location, true), BatchOptions::parse(args));
    if (command == QLatin1String("chart"))
        return writeChart(catalogueFolder(location, true), BatchOptions::parse(args));
    throw EUsage(QStringLiteral("unknown command %1").arg(command));
}

// --help and -h: the usage and where the catalogue is looked for, on standard output.
int help(const std::optional<QString> &catalogue)
{
    std::fputs(kUsage, stdout);
    try {
        const CatalogueLocation location = locateCatalogue(catalogue, QCoreApplication::applicationDirPath());
        std::printf("\n%s\n", location.describe().toLocal8Bit().constData());
    } catch (const ECatalogueFolder &e) {
        std::printf("\n%s\n", e.message().toLocal8Bit().constData());
    }
    return 0;
}

// Qt's own notes (a missing runtime folder of the offscreen platform, say) are no business of a
// script's standard error; only its fatal messages are.
void quietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// The command's word, before the application (and its arguments) exist: the first argument
// that is not --catalogue and its folder.
const char *commandWord(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--catalogue") == 0)
            ++i;
        else if (std::strncmp(argv[i], "--catalogue=", 12) != 0)
            return argv[i];
    }
    return "";
}

} // namespace

int main(int argc, char *argv[])
{
    fileaccess::failWritesBeyondSizeLimit();
    qInstallMessageHandler(quietQtMessages);
    // Reports and charts are painted with fonts, which need a GUI application; without a screen
    // (a scheduled job on a server) it runs on the offscreen platform. The other commands start
    // faster without one.
    const char *word = commandWord(argc, argv);
    const bool paints = std::strcmp(word, "report") == 0 || std::strcmp(word, "chart") == 0;
    if (paints && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        paints ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kwerix"));
    loadQtTranslations(*app);
    QStringList args = QCoreApplication::arguments().mid(1);
    std::optional<QString> catalogue;
    try {
        catalogue = takeCatalogueOption(args);
    } catch (const ECatalogueFolder &e) {
        return usage(e.message());
    }
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h")))
        return help(catalogue);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    try {
        return dispatch(command, args, locateCatalogue(catalogue, QCoreApplication::applicationDirPath()));
    } catch (const EUsage &e) {
        return usage(e.message());
    } catch (const Exception &e) {
        return fail(e.message());
    } catch (const std::exception &e) {
        return fail(foreignErrorText(e));
    }
}
