#include "StartUp.h"

#include "UiServices.h"
#include "catalogue/CatalogueLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString demoDirectory(const QString &executableDirectory)
{
    const QString installed = installedDataDirectory(executableDirectory);
    const QString demo = installed.isEmpty() ? QString() : QDir(installed).filePath(QStringLiteral("demo"));
    return QFileInfo(QDir(demo).filePath(QStringLiteral("sqls.ini"))).isFile() ? demo : QString();
}

// The first start: the demo copied, or an empty folder made, in the user's data folder.
void beginCatalogue(CatalogueLocation &location, const QString &executableDirectory, UiServices &ui)
{
    const QString folder = QDir::toNativeSeparators(location.directory);
    const QString demo = demoDirectory(executableDirectory);
    if (!demo.isEmpty()
        && ui.question(QStringLiteral("Kwerix"),
                       QStringLiteral("Nie ma jeszcze katalogu zapytań.\r\n\r\nSkopiować przykładowy katalog do folderu %1?"
                                      "\r\n\r\n„Nie” zaczyna pusty katalog w tym folderze.")
                           .arg(folder))) {
        copyDemoCatalogue(demo, location.directory);
    } else {
        // An empty catalogue file, so that the next start does not ask again.
        QFile empty(location.file());
        if (!QDir().mkpath(location.directory) || !empty.open(QIODevice::WriteOnly | QIODevice::Append))
            throw ECatalogueFolder(QStringLiteral("Nie można utworzyć katalogu zapytań w folderze %1.").arg(folder));
    }
    location.folderExists = true;
    location.writable = QFileInfo(location.directory).isWritable();
}

} // namespace

std::optional<QString> openCatalogue(const std::optional<QString> &option, const QString &executableDirectory, UiServices &ui)
{
    try {
        CatalogueLocation location = locateCatalogue(option, executableDirectory);
        if (!location.folderExists || (!location.catalogueExists && location.source == CatalogueLocation::Source::DataFolder))
            beginCatalogue(location, executableDirectory, ui);
        if (!location.writable)
            ui.message(UiServices::Kind::Warning,
                       location.notWritableMessage() + QStringLiteral(": zmiany katalogu i dziennik zapytań nie zostaną zapisane."));
        QDir::setCurrent(location.directory);
        return location.file();
    } catch (const ECatalogueFolder &e) {
        ui.error(e.message());
        return std::nullopt;
    }
}
