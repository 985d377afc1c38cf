// Kwerix: printing, browsing and correcting data with stored SQL queries.
#include "QtUiServices.h"
#include "StartUp.h"
#include "catalogue/CatalogueLocation.h"
#include "fKwerix.h"
#include "platform/FileAccess.h"
#include "platform/QtTranslations.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

namespace {

bool wantsHelp(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    }
    return false;
}

// The usage and where the catalogue is looked for, on standard output; no display needed.
int help(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kwerix"));
    QStringList arguments = QCoreApplication::arguments();
    std::puts("użycie: kwerix [--catalogue FOLDER]\n");
    try {
        const CatalogueLocation location = locateCatalogue(takeCatalogueOption(arguments), QCoreApplication::applicationDirPath());
        std::puts(location.describe().toLocal8Bit().constData());
    } catch (const ECatalogueFolder &e) {
        std::fprintf(stderr, "kwerix: %s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    fileaccess::failWritesBeyondSizeLimit();
    if (wantsHelp(argc, argv))
        return help(argc, argv);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kwerix"));
    loadQtTranslations(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kwerix.svg")));
    QApplication::setDesktopFileName(QStringLiteral("kwerix"));
    QtUiServices ui;
    QStringList arguments = QApplication::arguments();
    std::optional<QString> catalogue;
    try {
        catalogue = openCatalogue(takeCatalogueOption(arguments), QApplication::applicationDirPath(), ui);
    } catch (const ECatalogueFolder &e) {
        ui.error(e.message());
    }
    if (!catalogue)
        return 1;
    TfrmKwerix window(*catalogue, ui);
    ui.setParent(&window);
    window.show();
    return app.exec();
}
