#include "CatalogueLocation.h"

#include "QueryCatalogue.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const char kVariable[] = "KWERIX_CATALOGUE";

QString native(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

bool holdsCatalogue(const QString &directory)
{
    return QFileInfo(paths::join(directory, QueryCatalogue::fileNameInDirectory)).isFile();
}

// A folder the user named: it must be there, be a folder and be readable.
QString namedFolder(const QString &path, const QString &namedBy)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw ECatalogueFolder(QStringLiteral("Nie ma folderu katalogu zapytań %1 (%2).").arg(native(path), namedBy));
    if (!info.isDir())
        throw ECatalogueFolder(
            QStringLiteral("%1 (%2) jest plikiem, a katalog zapytań musi być folderem.").arg(native(path), namedBy));
    return info.absoluteFilePath();
}

QString found(const QString &directory)
{
    return holdsCatalogue(directory) ? QStringLiteral("jest sqls.ini") : QStringLiteral("nie ma sqls.ini");
}

} // namespace

QString CatalogueLocation::file() const
{
    return paths::join(directory, QueryCatalogue::fileNameInDirectory);
}

QString CatalogueLocation::describe() const
{
    QStringList lines{QStringLiteral("Katalog zapytań (sqls.ini) jest szukany kolejno:")};
    for (qsizetype i = 0; i < searched.size(); ++i)
        lines.append(QStringLiteral("  %1. %2").arg(i + 1).arg(searched[i]));
    lines.append(QStringLiteral("Używany folder: %1%2")
                     .arg(native(directory), folderExists ? QString() : QStringLiteral(" (jeszcze go nie ma)")));
    return lines.join(QLatin1Char('\n'));
}

QString CatalogueLocation::notWritableMessage() const
{
    return QStringLiteral("W folderze katalogu zapytań %1 nie można zapisywać (brak uprawnień)").arg(native(directory));
}

std::optional<QString> takeCatalogueOption(QStringList &arguments)
{
    std::optional<QString> folder;
    for (qsizetype i = 0; i < arguments.size();) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--catalogue")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                throw ECatalogueFolder(QStringLiteral("Po --catalogue brak nazwy folderu."));
            folder = arguments[i + 1];
            arguments.remove(i, 2);
        } else if (argument.startsWith(QLatin1String("--catalogue="))) {
            folder = argument.mid(12);
            if (folder->isEmpty())
                throw ECatalogueFolder(QStringLiteral("Po --catalogue brak nazwy folderu."));
            arguments.remove(i);
        } else {
            ++i;
        }
    }
    return folder;
}

CatalogueLocation locateCatalogue(const std::optional<QString> &option, const QString &executableDirectory)
{
    CatalogueLocation location;
    const QString variable = qEnvironmentVariable(kVariable);
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (option) {
        location.directory = namedFolder(*option, QStringLiteral("podany w --catalogue"));
        location.source = CatalogueLocation::Source::Option;
        location.searched.append(QStringLiteral("--catalogue %1: %2").arg(native(*option), found(location.directory)));
    } else {
        location.searched.append(QStringLiteral("--catalogue: nie podano"));
        if (!variable.isEmpty()) {
            location.directory = namedFolder(variable, QStringLiteral("ze zmiennej %1").arg(QLatin1String(kVariable)));
            location.source = CatalogueLocation::Source::Environment;
        }
        location.searched.append(variable.isEmpty() ? QStringLiteral("%1: nie ustawiono").arg(QLatin1String(kVariable))
                                                    : QStringLiteral("%1=%2: %3")
                                                          .arg(QLatin1String(kVariable), native(variable), found(location.directory)));
    }
    if (location.directory.isEmpty()) {
        const bool beside = holdsCatalogue(executableDirectory);
        location.searched.append(QStringLiteral("folder programu %1: %2").arg(native(executableDirectory), found(executableDirectory)));
        location.directory = beside ? executableDirectory : dataFolder;
        location.source = beside ? CatalogueLocation::Source::ExecutableFolder : CatalogueLocation::Source::DataFolder;
        if (!beside) {
            location.searched.append(QStringLiteral("folder danych użytkownika %1: %2")
                                         .arg(native(dataFolder), QFileInfo(dataFolder).isDir() ? found(dataFolder)
                                                                                                : QStringLiteral("nie ma folderu")));
        }
    }
    const QFileInfo folder(location.directory);
    location.folderExists = folder.isDir();
    location.catalogueExists = holdsCatalogue(location.directory);
    if (location.folderExists && (!folder.isReadable() || !folder.isExecutable()))
        throw ECatalogueFolder(
            QStringLiteral("Folderu katalogu zapytań %1 nie można czytać (brak uprawnień).").arg(native(location.directory)));
    location.writable = location.folderExists && folder.isWritable()
        && (!location.catalogueExists || QFileInfo(location.file()).isWritable());
    return location;
}

QString installedDataDirectory(const QString &executableDirectory)
{
    const QString beside = QDir(executableDirectory).absoluteFilePath(QStringLiteral("../share/kwerix"));
    if (QFileInfo(beside).isDir())
        return QDir::cleanPath(beside);
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("kwerix"), QStandardPaths::LocateDirectory);
}

void copyDemoCatalogue(const QString &demoDirectory, const QString &target)
{
    if (!QDir().mkpath(target))
        throw ECatalogueFolder(QStringLiteral("Nie można utworzyć folderu %1.").arg(native(target)));
    const QDir demo(demoDirectory);
    for (const QString &name : demo.entryList(QDir::Files)) {
        const QString to = QDir(target).filePath(name);
        if (QFileInfo::exists(to))
            continue;
        if (!QFile::copy(demo.filePath(name), to))
            throw ECatalogueFolder(QStringLiteral("Nie można skopiować %1 do folderu %2.").arg(name, native(target)));
        // Installed files are read-only; the copy is the user's to change.
        QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner);
    }
}
