// kwerix-batch: the program's work without a screen, every question answered from the command line.
#include "export/XlsToCsv.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "xls/Workbook.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: kwerix-batch run TITLE [--param NAME=VALUE]... [--date DATE] [--export NAME]\n"
    "       kwerix-batch sql FILE [--param NAME=VALUE]... [--date DATE] [--export NAME]\n"
    "       kwerix-batch report TITLE --pdf FILE [--param NAME=VALUE]... [--date DATE]\n"
    "       kwerix-batch xls2csv NAME\n";

int usage(const char *problem = nullptr)
{
    if (problem)
        std::fprintf(stderr, "kwerix-batch: %s\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return 1;
}

int xls2csv(const QStringList &args)
{
    if (args.size() != 1)
        return usage("xls2csv takes one NAME");
    TXlsWorkbook xls;
    przepiszXlsDoCsv(xls, QCoreApplication::applicationDirPath(), args.first());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("xls2csv"))
            return xls2csv(args);
        if (command == QLatin1String("run") || command == QLatin1String("sql") || command == QLatin1String("report"))
            return usage(qPrintable(QStringLiteral("the command %1 is not built yet").arg(command)));
        return usage(qPrintable(QStringLiteral("unknown command %1").arg(command)));
    } catch (const Exception &e) {
        return fail(e.message());
    }
}
