#pragma once

#include "platform/Errors.h"

#include <QString>
#include <QStringList>
#include <optional>

// Where the catalogue sqls.ini of both programs is, in this order: the folder of the
// --catalogue option; the folder of the KWERIX_CATALOGUE variable; the program's own folder when
// it holds sqls.ini (a portable copy); the user's data folder (~/.local/share/Kwerix), which may
// not exist yet.
struct CatalogueLocation {
    enum class Source { Option, Environment, ExecutableFolder, DataFolder };

    QString directory;
    Source source = Source::DataFolder;
    // Whether the folder exists, holds sqls.ini, and may be written to.
    bool folderExists = false;
    bool catalogueExists = false;
    bool writable = false;
    // One line per place looked at, in order, saying what was found there.
    QStringList searched;

    QString file() const;
    // The places looked at and the folder used, for --help.
    QString describe() const;
    // That the folder cannot be written to, naming it (without a full stop: callers say what
    // follows from it).
    QString notWritableMessage() const;
};

// The catalogue folder cannot be used: the text names the folder and the reason.
class ECatalogueFolder : public Exception {
public:
    using Exception::Exception;
};

// Takes "--catalogue DIR" (or "--catalogue=DIR") out of a command line, wherever it stands.
// ECatalogueFolder when no folder follows it.
std::optional<QString> takeCatalogueOption(QStringList &arguments);

// Finds the catalogue. ECatalogueFolder when the option or the variable names a folder that is
// not there or a file, or when the folder found cannot be read. Creates nothing.
CatalogueLocation locateCatalogue(const std::optional<QString> &option, const QString &executableDirectory);

// The folder of the data installed with the program (share/kwerix beside its bin folder, or the
// system's data folders); empty when there is none.
QString installedDataDirectory(const QString &executableDirectory);

// Copies the files of the demo catalogue into a folder, creating it; files already there stay.
// ECatalogueFolder when a file cannot be copied.
void copyDemoCatalogue(const QString &demoDirectory, const QString &target);
