// Where both programs find the catalogue: the option, the variable, the program's folder, the
// user's data folder; the command line option; the demo copied on a first start.
#include "catalogue/CatalogueLocation.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

using testsupport::writeBytes;

namespace {

// A program folder, a data home and two other folders in a temporary directory; the variable
// unset and the data home redirected for the test's duration.
class Location : public testsupport::PolishTest {
protected:
    void SetUp() override
    {
        PolishTest::SetUp();
        QCoreApplication::setApplicationName(QStringLiteral("Kwerix"));
        m_savedData = qgetenv("XDG_DATA_HOME");
        m_savedVariable = qgetenv("KWERIX_CATALOGUE");
        qputenv("XDG_DATA_HOME", path("data").toLocal8Bit());
        qunsetenv("KWERIX_CATALOGUE");
        for (const char *folder : {"bin", "opcja", "zmienna"})
            QDir(dir.path()).mkpath(QLatin1String(folder));
    }
    void TearDown() override
    {
        restore("XDG_DATA_HOME", m_savedData);
        restore("KWERIX_CATALOGUE", m_savedVariable);
        PolishTest::TearDown();
    }
    static void restore(const char *name, const QByteArray &value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    void catalogueIn(const QString &folder)
    {
        QDir().mkpath(path(folder));
        writeBytes(path(folder + "/sqls.ini"), "[NAZWA_SQL]\r\n");
    }
    CatalogueLocation locate(const std::optional<QString> &option = std::nullopt)
    {
        return locateCatalogue(option, path("bin"));
    }

private:
    QByteArray m_savedData, m_savedVariable;
};

TEST_F(Location, TheOptionComesFirstThenTheVariableThenTheProgramsFolderThenTheDataFolder)
{
    using Source = CatalogueLocation::Source;
    // Nothing anywhere: the data folder, not made.
    CatalogueLocation found = locate();
    EXPECT_EQ(found.source, Source::DataFolder);
    EXPECT_EQ(found.directory, path("data/Kwerix"));
    EXPECT_FALSE(found.folderExists);
    EXPECT_FALSE(QFileInfo::exists(path("data/Kwerix")));

    catalogueIn("data/Kwerix");
    found = locate();
    EXPECT_EQ(found.source, Source::DataFolder);
    EXPECT_TRUE(found.catalogueExists);
    EXPECT_TRUE(found.writable);

    catalogueIn("bin");
    found = locate();
    EXPECT_EQ(found.source, Source::ExecutableFolder);
    EXPECT_EQ(found.file(), path("bin/sqls.ini"));

    // The variable and the option win even over folders without a catalogue yet.
    qputenv("KWERIX_CATALOGUE", path("zmienna").toLocal8Bit());
    found = locate();
    EXPECT_EQ(found.source, Source::Environment);
    EXPECT_EQ(found.directory, path("zmienna"));
    EXPECT_FALSE(found.catalogueExists);
    EXPECT_TRUE(found.folderExists);

    found = locate(path("opcja"));
    EXPECT_EQ(found.source, Source::Option);
    EXPECT_EQ(found.directory, path("opcja"));
    // A folder named relative to the working folder is taken as it is meant.
    QDir::setCurrent(dir.path());
    EXPECT_EQ(locate(QStringLiteral("opcja")).directory, path("opcja"));
}

TEST_F(Location, DescribesWhereItLookedAndWhatItFound)
{
    catalogueIn("opcja");
    EXPECT_EQ(locate().describe(), QStringLiteral("Katalog zapytań (sqls.ini) jest szukany kolejno:\n"
                                                  "  1. --catalogue: nie podano\n"
                                                  "  2. KWERIX_CATALOGUE: nie ustawiono\n"
                                                  "  3. folder programu %1: nie ma sqls.ini\n"
                                                  "  4. folder danych użytkownika %2: nie ma folderu\n"
                                                  "Używany folder: %2 (jeszcze go nie ma)")
                                       .arg(path("bin"), path("data/Kwerix")));
    EXPECT_EQ(locate(path("opcja")).describe(), QStringLiteral("Katalog zapytań (sqls.ini) jest szukany kolejno:\n"
                                                               "  1. --catalogue %1: jest sqls.ini\n"
                                                               "Używany folder: %1")
                                                    .arg(path("opcja")));
}

TEST_F(Location, FoldersThatCannotBeTheCatalogueAreRefusedByName)
{
    writeBytes(path("plik"), "x");
    const struct {
        std::optional<QString> option;
        const char *variable;
        QString message;
    } cases[] = {
        {path("nie_ma"), nullptr, QStringLiteral("Nie ma folderu katalogu zapytań %1 (podany w --catalogue).").arg(path("nie_ma"))},
        {path("plik"), nullptr,
         QStringLiteral("%1 (podany w --catalogue) jest plikiem, a katalog zapytań musi być folderem.").arg(path("plik"))},
        {std::nullopt, "nie_ma",
         QStringLiteral("Nie ma folderu katalogu zapytań nie_ma (ze zmiennej KWERIX_CATALOGUE).")},
    };
    for (const auto &c : cases) {
        if (c.variable)
            qputenv("KWERIX_CATALOGUE", c.variable);
        try {
            locate(c.option);
            ADD_FAILURE() << "no refusal: " << c.message.toStdString();
        } catch (const ECatalogueFolder &e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
    EXPECT_FALSE(QFileInfo::exists(path("nie_ma")));
}

TEST_F(Location, FoldersWithoutRightsAreSaidSo)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser may read and write everywhere";
    catalogueIn("opcja");
    QFile::setPermissions(path("opcja"), QFile::ReadOwner | QFile::ExeOwner);
    const CatalogueLocation readOnly = locate(path("opcja"));
    EXPECT_FALSE(readOnly.writable);
    EXPECT_EQ(readOnly.notWritableMessage(),
              QStringLiteral("W folderze katalogu zapytań %1 nie można zapisywać (brak uprawnień)").arg(path("opcja")));
    QFile::setPermissions(path("opcja"), QFile::WriteOwner);
    EXPECT_THROW(locate(path("opcja")), ECatalogueFolder);
    QFile::setPermissions(path("opcja"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(CatalogueOption, IsTakenOutWhereverItStands)
{
    const struct {
        QStringList arguments, rest;
        std::optional<QString> folder;
    } cases[] = {
        {{"run", "A"}, {"run", "A"}, std::nullopt},
        {{"--catalogue", "/k", "run", "A"}, {"run", "A"}, QStringLiteral("/k")},
        {{"run", "A", "--catalogue", "k b"}, {"run", "A"}, QStringLiteral("k b")},
        {{"list", "--catalogue=/k"}, {"list"}, QStringLiteral("/k")},
    };
    for (const auto &c : cases) {
        QStringList arguments = c.arguments;
        EXPECT_EQ(takeCatalogueOption(arguments), c.folder) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(arguments, c.rest);
    }
    for (QStringList arguments : {QStringList{"run", "A", "--catalogue"}, QStringList{"--catalogue=", "list"}})
        EXPECT_THROW(takeCatalogueOption(arguments), ECatalogueFolder);
}

TEST_F(Location, TheDemoIsCopiedWithoutTouchingWhatIsThere)
{
    for (const char *folder : {"demo", "data/Kwerix"})
        QDir(dir.path()).mkpath(QLatin1String(folder));
    for (const char *name : {"sqls.ini", "sql001.sql", "klienci.dbf"})
        writeBytes(path(QStringLiteral("demo/") + name), name);
    QFile::setPermissions(path("demo/sql001.sql"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    writeBytes(path("data/Kwerix/klienci.dbf"), "mine");
    copyDemoCatalogue(path("demo"), path("data/Kwerix"));
    EXPECT_EQ(testsupport::readBytes(path("data/Kwerix/sqls.ini")), "sqls.ini");
    EXPECT_EQ(testsupport::readBytes(path("data/Kwerix/klienci.dbf")), "mine");
    EXPECT_TRUE(QFileInfo(path("data/Kwerix/sql001.sql")).permissions() & QFile::WriteOwner);
}

TEST_F(Location, InstalledDataLiesBesideTheProgramsFolder)
{
    EXPECT_EQ(installedDataDirectory(path("bin")), QString());
    QDir(dir.path()).mkpath(QStringLiteral("share/kwerix"));
    EXPECT_EQ(installedDataDirectory(path("bin")), path("share/kwerix"));
}

} // namespace
