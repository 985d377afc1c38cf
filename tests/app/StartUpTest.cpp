// The window's first start: the catalogue found, or begun as the user chooses.
#include "ScriptedUi.h"
#include "app/StartUp.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

class FirstStart : public testsupport::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        m_savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", path("data").toLocal8Bit());
        QDir(dir.path()).mkpath(QStringLiteral("prefix/bin"));
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", m_savedData);
        FolderTest::TearDown();
    }
    // The demo catalogue installed beside the program, as a package installs it.
    void installDemo()
    {
        const QDir demo(QStringLiteral(KWERIX_SOURCE_DIR "/examples/demo"));
        QDir(dir.path()).mkpath(QStringLiteral("prefix/share/kwerix/demo"));
        for (const QString &name : demo.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(demo.filePath(name), path("prefix/share/kwerix/demo/" + name)));
    }
    std::optional<QString> open(const std::optional<QString> &option = std::nullopt)
    {
        return openCatalogue(option, path("prefix/bin"), ui);
    }
    QString dataFolder() const { return path("data/Kwerix"); }

    ScriptedUi ui;

private:
    QByteArray m_savedData;
};

TEST_F(FirstStart, TakYCopiesTheDemoIntoTheDataFolderAndStartsThere)
{
    installDemo();
    ui.answers = {true};
    EXPECT_EQ(open(), dataFolder() + "/sqls.ini");
    const QStringList shown = ui.take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("question: Nie ma jeszcze katalogu zapytań.\r\n\r\nSkopiować przykładowy katalog "
                                                   "do folderu %1?")
                                        .arg(dataFolder())))
        << shown[0].toStdString();
    EXPECT_TRUE(QFileInfo(dataFolder() + "/sql001.sql").isFile());
    EXPECT_TRUE(QFileInfo(dataFolder() + "/klienci.dbf").isFile());
    EXPECT_EQ(QDir::currentPath(), dataFolder());
    // The next start finds it and asks nothing.
    EXPECT_EQ(open(), dataFolder() + "/sqls.ini");
    EXPECT_TRUE(ui.take().isEmpty());
}

TEST_F(FirstStart, NieBeginsAnEmptyCatalogueThatIsNotOfferedTheDemoAgain)
{
    installDemo();
    ui.answers = {false};
    EXPECT_EQ(open(), dataFolder() + "/sqls.ini");
    EXPECT_EQ(ui.take().size(), 1);
    EXPECT_EQ(QDir(dataFolder()).entryList(QDir::Files), QStringList{"sqls.ini"});
    EXPECT_EQ(open(), dataFolder() + "/sqls.ini");
    EXPECT_TRUE(ui.take().isEmpty());
}

TEST_F(FirstStart, WithoutAnInstalledDemoTheCatalogueBeginsEmptyWithoutAQuestion)
{
    EXPECT_EQ(open(), dataFolder() + "/sqls.ini");
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_TRUE(QFileInfo(dataFolder() + "/sqls.ini").isFile());
}

TEST_F(FirstStart, AChosenFolderIsUsedAsItIsAndABadOneStopsTheWindow)
{
    installDemo();
    QDir(dir.path()).mkpath(QStringLiteral("moje"));
    EXPECT_EQ(open(path("moje")), path("moje/sqls.ini"));
    EXPECT_TRUE(ui.take().isEmpty());
    EXPECT_EQ(QDir::currentPath(), path("moje"));
    EXPECT_FALSE(QFileInfo::exists(dataFolder()));

    EXPECT_EQ(open(path("brak")), std::nullopt);
    EXPECT_EQ(ui.take(), QStringList{QStringLiteral("error: Nie ma folderu katalogu zapytań %1 (podany w --catalogue).").arg(path("brak"))});
    EXPECT_FALSE(QFileInfo::exists(path("brak")));
}

} // namespace
