#include "catalogue/QueryCatalogue.h"
#include "platform/Errors.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using testsupport::cp;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

EntryForm form(const QString &title, const QStringList &sql = {QStringLiteral("SELECT * FROM klienci")},
               std::vector<FieldLayout> fields = {})
{
    EntryForm f;
    f.title = title;
    f.sql = sql;
    f.orientation = 1;
    f.rowNumbers = true;
    f.rowLine = false;
    f.fontSizeText = QStringLiteral("10");
    f.rowHeightText = QStringLiteral("4,5");
    f.fields = std::move(fields);
    return f;
}

class Catalogue : public testsupport::PolishTest {
protected:
    void SetUp() override
    {
        PolishTest::SetUp();
        catalogue = std::make_unique<QueryCatalogue>(path("sqls.ini"));
    }
    QByteArray ini() const { return readBytes(path("sqls.ini")); }
    QString storedName(const QString &title) const { return catalogue->ini().readString("FILES", title, ""); }

    std::unique_ptr<QueryCatalogue> catalogue;
};

} // namespace

TEST(CataloguePrefix, IsTheNameBeforeItsFirstDotInThreeCharacters)
{
    EXPECT_EQ(cataloguePrefix("/opt/k/sqls.ini"), QStringLiteral("sql"));
    EXPECT_EQ(cataloguePrefix("a.b.ini"), QStringLiteral("a__"));
    EXPECT_EQ(cataloguePrefix("katalog"), QStringLiteral("kat"));
    EXPECT_EQ(cataloguePrefix(".ini"), QStringLiteral("___"));
}

TEST_F(Catalogue, AMissingCatalogueReadsAsEmptyWithDefaults)
{
    EXPECT_TRUE(catalogue->loadTitles().isEmpty());
    const ShellSettings s = catalogue->readSettings();
    EXPECT_EQ(s.ostatniSql, 0);
    EXPECT_TRUE(s.czyTworzyc);
    EXPECT_EQ(s.split1, 220);
    EXPECT_FALSE(s.ws);
    bool found = true;
    const QueryEntry e = catalogue->readEntry("Brak", &found);
    EXPECT_FALSE(found);
    EXPECT_TRUE(e.sql.isEmpty());
    EXPECT_EQ(e.layout.fontSize, 8);
    EXPECT_DOUBLE_EQ(e.layout.rowHeight, 4.5);
    EXPECT_FALSE(QFile::exists(path("sqls.ini")));
    EXPECT_EQ(catalogue->directory(), dir.path() + "/");
}

TEST_F(Catalogue, CreatesItsDirectory)
{
    QueryCatalogue nested(path("a/b/sqls.ini"));
    EXPECT_TRUE(QDir(path("a/b")).exists());
}

TEST_F(Catalogue, SettingsAreWrittenInExitOrder)
{
    catalogue->saveSettings({3, false, 300, true});
    EXPECT_EQ(ini(), QByteArray("[UKLAD]\r\nostatniSql=3\r\nSplit1=300\r\nws=1\r\nczyTworzyc=0\r\n"));
    const ShellSettings s = catalogue->readSettings();
    EXPECT_EQ(s.ostatniSql, 3);
    EXPECT_FALSE(s.czyTworzyc);
    EXPECT_EQ(s.split1, 300);
    EXPECT_TRUE(s.ws);
}

TEST_F(Catalogue, FirstSaveWritesEveryKeyInOrderAndTheTextFile)
{
    catalogue->saveEntry(form("Faktury", {"SELECT *", "FROM faktury"},
                              {{"NAZWA", "30", ""}, {"", "x", "T"}, {"KWOTA", "", "T"}}));
    const QString name = storedName("Faktury");
    EXPECT_TRUE(QRegularExpression("^sql([1-9][0-9]{0,4}|0)\\.sql$").match(name).hasMatch()) << name.toStdString();
    const QByteArray expected = "[NAZWA_SQL]\r\nFaktury=\r\n[FILES]\r\nFaktury=" + name.toLatin1()
        + "\r\n[UKLAD]\r\nFaktury=1\r\nFaktury_LP=1\r\nFaktury_LINIA=0\r\nFaktury_FONT=10\r\nFaktury_WYS=4,5\r\n"
          "[Faktury_SZER]\r\nNAZWA=30\r\nKWOTA=\r\n[Faktury_SUMA]\r\nNAZWA=\r\nKWOTA=T\r\n";
    EXPECT_EQ(ini(), expected);
    EXPECT_EQ(readBytes(path(name)), QByteArray("SELECT *\r\nFROM faktury\r\n"));

    // A second save reuses the name and keeps the title's place.
    catalogue->saveEntry(form("Klienci"));
    catalogue->saveEntry(form("FAKTURY", {}));
    EXPECT_EQ(storedName("Faktury"), name);
    EXPECT_EQ(catalogue->loadTitles(), (QStringList{"Faktury", "Klienci"}));
    EXPECT_EQ(readBytes(path(name)), QByteArray());
}

TEST_F(Catalogue, ReadEntryGivesTheEditorsDefaultsAndStoredTexts)
{
    writeBytes(path("sqls.ini"), cp("[FILES]\r\nRaport=r.sql\r\n[UKLAD]\r\nRaport_LP=2\r\nRaport_WYS=abc\r\n"
                                    "Raport_FONT=12\r\nRaport_LINIA=5\r\n[Raport_SZER]\r\nB=x\r\nA=\r\n"
                                    "[Raport_SUMA]\r\nA=T\r\n"));
    writeBytes(path("r.sql"), cp("SELECT 'zażółć'\nFROM t"));
    bool found = false;
    const QueryEntry e = catalogue->readEntry("raport", &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(e.sql, (QStringList{QStringLiteral("SELECT 'zażółć'"), "FROM t"}));
    EXPECT_EQ(e.layout.orientation, 0);
    EXPECT_FALSE(e.layout.rowNumbers);
    EXPECT_TRUE(e.layout.rowLine);
    EXPECT_EQ(e.layout.fontSize, 12);
    EXPECT_DOUBLE_EQ(e.layout.rowHeight, 4.5);
    EXPECT_EQ(e.layout.fields, (std::vector<FieldLayout>{{"B", "x", ""}, {"A", "", "T"}}));
}

TEST_F(Catalogue, RowHeightIsStoredAndReadWithTheRegionalComma)
{
    catalogue->saveEntry(form("A"));
    EXPECT_TRUE(ini().contains("A_WYS=4,5\r\n"));
    EXPECT_DOUBLE_EQ(catalogue->readEntry("A").layout.rowHeight, 4.5);
}

TEST_F(Catalogue, AFailedConversionKeepsTheStepsBeforeIt)
{
    catalogue->saveEntry(form("A", {"x"}, {{"OLD", "5", "T"}}));
    const QByteArray before = ini();

    EntryForm badFont = form("A", {"new text"}, {{"NEW", "1", ""}});
    badFont.orientation = 0;
    badFont.fontSizeText = "abc";
    try {
        catalogue->saveEntry(badFont);
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
    EXPECT_EQ(readBytes(path(storedName("A"))), QByteArray("new text\r\n"));
    EXPECT_EQ(catalogue->ini().readInteger("UKLAD", "A", -1), 0);
    EXPECT_EQ(catalogue->ini().readInteger("UKLAD", "A_FONT", -1), 10);
    EXPECT_EQ(catalogue->ini().readSection("A_SZER"), QStringList{"OLD"});

    EntryForm badHeight = form("A", {"x"}, {{"NEW", "1", ""}});
    badHeight.fontSizeText = "14";
    badHeight.rowHeightText = "4.5";
    EXPECT_THROW(catalogue->saveEntry(badHeight), EConvertError);
    EXPECT_EQ(catalogue->ini().readInteger("UKLAD", "A_FONT", -1), 14);
    EXPECT_EQ(catalogue->ini().readSection("A_SZER"), QStringList{"OLD"});
    EXPECT_NE(ini(), before);
}

TEST_F(Catalogue, ATextFileThatCannotBeWrittenKeepsStepsOneToThree)
{
    writeBytes(path("sqls.ini"), "[FILES]\r\nA=missing/dir/a.sql\r\n");
    try {
        catalogue->saveEntry(form("A"));
        FAIL();
    } catch (const EFCreateError &e) {
        EXPECT_TRUE(e.message().startsWith("Cannot create file \"" + path("missing/dir/a.sql") + "\". "));
    }
    EXPECT_EQ(ini(), QByteArray("[FILES]\r\nA=missing/dir/a.sql\r\n[NAZWA_SQL]\r\nA=\r\n"));
}

TEST_F(Catalogue, AReadOnlyDirectoryGivesUnableToWriteAndWritesNothing)
{
    QDir(dir.path()).mkdir("ro");
    QueryCatalogue ro(path("ro/sqls.ini"));
    QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::ExeOwner);
    try {
        ro.saveEntry(form("A"));
        ADD_FAILURE();
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.message(), "Unable to write to " + path("ro/sqls.ini"));
    }
    EXPECT_TRUE(QDir(path("ro")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(Catalogue, DeleteRemovesInOrderAndLeavesFilesAndSuffixedKeys)
{
    catalogue->saveEntry(form("A", {"x"}, {{"F", "1", "T"}}));
    catalogue->saveEntry(form("B"));
    catalogue->ini().writeString("A", "stray", "1");
    const QString name = storedName("A");
    catalogue->deleteEntry("a");
    EXPECT_EQ(catalogue->loadTitles(), QStringList{"B"});
    for (const char *section : {"A", "A_SZER", "A_SUMA"})
        EXPECT_FALSE(catalogue->ini().sectionExists(section)) << section;
    EXPECT_FALSE(catalogue->ini().valueExists("UKLAD", "A"));
    for (const char *key : {"A_LP", "A_LINIA", "A_FONT", "A_WYS"})
        EXPECT_TRUE(catalogue->ini().valueExists("UKLAD", key)) << key;
    EXPECT_EQ(storedName("A"), name);
    EXPECT_FALSE(QFile::exists(path(name)));

    // Without a text file the keys go all the same; a new save reuses the stored name.
    catalogue->deleteEntry("B");
    EXPECT_TRUE(catalogue->loadTitles().isEmpty());
    catalogue->saveEntry(form("A"));
    EXPECT_EQ(storedName("A"), name);
    EXPECT_TRUE(QFile::exists(path(name)));
}

TEST_F(Catalogue, SaveOrderRewritesTheList)
{
    QStringList titles;
    for (int i = 0; i < 800; ++i)
        titles.append(QStringLiteral("Zestawienie sprzedaży numer %1 według kontrahentów").arg(i));
    {
        IniFile::Batch batch(catalogue->ini());
        for (const QString &t : titles)
            catalogue->ini().writeString("NAZWA_SQL", t, "");
    }
    std::reverse(titles.begin(), titles.end());
    catalogue->saveOrder(titles);
    EXPECT_EQ(catalogue->loadTitles(), titles);
}

TEST_F(Catalogue, TitlesDifferingInCaseAreOneEntry)
{
    catalogue->saveEntry(form("Łódź"));
    catalogue->saveEntry(form("ŁÓDŹ", {"drugi"}));
    EXPECT_EQ(catalogue->loadTitles(), QStringList{"Łódź"});
    EXPECT_EQ(catalogue->resolveTextFile("łódź"), catalogue->resolveTextFile("Łódź"));
    EXPECT_EQ(catalogue->readEntry("łódź").sql, QStringList{"drugi"});
}

TEST_F(Catalogue, TextFilePathRules)
{
    QDir(dir.path()).mkpath("Sub");
    writeBytes(path("Sub/Raport.SQL"), "SELECT 1");
    writeBytes(path("abs.sql"), "SELECT 2");
    writeBytes(path("sqls.ini"), ("[FILES]\r\nwin=sub\\raport.sql\r\nabs=" + path("abs.sql").toUtf8()
                                  + "\r\ndrive=C:\\dane\\x.sql\r\none=x\r\nsep=/\r\nempty=\r\nnew=nowy\\a.sql\r\n"));
    EXPECT_EQ(catalogue->resolveTextFile("win"), path("Sub/Raport.SQL"));
    EXPECT_EQ(catalogue->resolveTextFile("abs"), path("abs.sql"));
    EXPECT_EQ(catalogue->resolveTextFile("drive"), QStringLiteral("C:\\dane\\x.sql"));
    EXPECT_EQ(catalogue->resolveTextFile("one"), path("x"));
    EXPECT_EQ(catalogue->resolveTextFile("empty"), QString());
    EXPECT_EQ(catalogue->resolveTextFile("missing"), QString());
    EXPECT_EQ(catalogue->resolveTextFile("new"), path("nowy/a.sql"));
    EXPECT_EQ(catalogue->readEntry("WIN").sql, QStringList{"SELECT 1"});

    // An absolute path is written unchanged.
    catalogue->saveEntry(form("abs", {"SELECT 3"}));
    EXPECT_EQ(readBytes(path("abs.sql")), QByteArray("SELECT 3\r\n"));
}

TEST_F(Catalogue, NewNamesAvoidFilesOnDiskAndNamesGivenToOtherTitles)
{
    // Every name but one is taken, on disk or by the catalogue.
    QByteArray files = "[FILES]\r\n";
    for (int n = 0; n < 99999; ++n) {
        if (n != 4711 && n != 123)
            files += "t" + QByteArray::number(n) + "=SQL" + QByteArray::number(n) + ".SQL\r\n";
    }
    writeBytes(path("sqls.ini"), files);
    writeBytes(path("sql123.sql"), "");
    EXPECT_EQ(catalogue->makeTextFileName(), QStringLiteral("sql4711.sql"));
    writeBytes(path("Sql4711.sql"), "");
    EXPECT_THROW(catalogue->makeTextFileName(), Exception);
}

struct TitleCase {
    const char *title;
    bool accepted;
};

class Titles : public Catalogue, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(Titles, AreRefusedBeforeAnythingIsWrittenWhenTheyCannotBeHeld)
{
    catalogue->saveEntry(form("Sprzedaż"));
    catalogue->saveEntry(form("Kursy_FONT"));
    const QByteArray before = ini();
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);
    const QString title = QString::fromUtf8(GetParam().title);
    if (GetParam().accepted) {
        EXPECT_NO_THROW(catalogue->saveEntry(form(title))) << GetParam().title;
        return;
    }
    try {
        catalogue->saveEntry(form(title));
        ADD_FAILURE() << "accepted " << GetParam().title;
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().startsWith("\r\nTytuł wydruku")) << e.what();
    }
    EXPECT_EQ(ini(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(Cases, Titles, ::testing::Values(
    TitleCase{"", false}, TitleCase{" lewy", false}, TitleCase{"prawy ", false}, TitleCase{"a=b", false},
    TitleCase{"a]b", false}, TitleCase{"[a", false}, TitleCase{"a\nb", false}, TitleCase{"日本", false},
    TitleCase{"UKLAD", false}, TitleCase{"files", false}, TitleCase{"Nazwa_Sql", false}, TitleCase{"ws", false},
    TitleCase{"SPLIT1", false}, TitleCase{"ostatnisql", false}, TitleCase{"CzyTworzyc", false},
    TitleCase{"Sprzedaż_SZER", false}, TitleCase{"SPRZEDAŻ_suma", false}, TitleCase{"Sprzedaż_LP", false},
    TitleCase{"Sprzedaż_WYS", false}, TitleCase{"Kursy", false},
    TitleCase{"_DAJKURSY", true}, TitleCase{"Zestawienie [2024]", false}, TitleCase{"Zestawienie (2024)", true}, TitleCase{"a[b", true},
    TitleCase{"Sprzedaż", true}, TitleCase{"Inne_SZER", true}), testsupport::CaseIndex());

TEST_F(Catalogue, AFieldRowThatCannotBeHeldIsRefusedBeforeAnythingIsWritten)
{
    catalogue->saveEntry(form("Raport", {"SELECT 1"}, {{"A", "10", "T"}, {"B", "20", ""}}));
    const QByteArray before = ini();
    const std::pair<FieldLayout, const char *> cases[] = {
        {{"x = 1", "15", ""}, "\r\nNazwy pola \"x = 1\" nie można zapisać w układzie wydruku: "
                              "nadaj tej kolumnie w zapytaniu prostą nazwę (AS NAZWA)"},
        {{"[x]", "15", ""}, "\r\nNazwy pola \"[x]\" nie można zapisać w układzie wydruku: "
                            "nadaj tej kolumnie w zapytaniu prostą nazwę (AS NAZWA)"},
        {{"C", "1\n5", ""}, "\r\nWartości \"1\n5\" pola C nie można zapisać w układzie wydruku"},
    };
    for (const auto &[bad, message] : cases) {
        try {
            catalogue->saveEntry(form("Raport", {"SELECT 2"}, {{"A", "10", "T"}, bad, {"B", "20", ""}}));
            ADD_FAILURE() << "accepted " << bad.name.toStdString();
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(message));
        }
        EXPECT_EQ(ini(), before);
        EXPECT_EQ(catalogue->readEntry("Raport").sql, QStringList{"SELECT 1"});
    }
    EXPECT_NO_THROW(catalogue->saveEntry(form("Raport", {"SELECT 2"}, {{"A", "10", "T"}, {"", "x=1", "\n"}})));
}

TEST_F(Catalogue, ALayoutThatCannotBePrintedIsRefusedBeforeAnythingIsWritten)
{
    catalogue->saveEntry(form("Raport", {"SELECT 1"}, {{"A", "10", "T"}}));
    const QByteArray before = ini();
    const struct {
        const char *font, *height, *width, *message;
    } cases[] = {
        {"8", "0", "10", "\r\nWysokość wiersza w układzie wydruku \"Raport\" (klucz Raport_WYS w sekcji [UKLAD]) wynosi 0 mm, "
                         "a musi wynosić od 2 do 50 mm"},
        {"8", "-3", "10", "\r\nWysokość wiersza w układzie wydruku \"Raport\" (klucz Raport_WYS w sekcji [UKLAD]) wynosi "
                          "-3 mm, a musi wynosić od 2 do 50 mm"},
        {"8", "300", "10", "\r\nWysokość wiersza w układzie wydruku \"Raport\" (klucz Raport_WYS w sekcji [UKLAD]) wynosi "
                           "300 mm, a musi wynosić od 2 do 50 mm"},
        {"0", "4,5", "10", "\r\nCzcionka w układzie wydruku \"Raport\" (klucz Raport_FONT w sekcji [UKLAD]) ma 0 pkt, "
                           "a musi mieć od 4 do 72 pkt"},
        {"36", "3", "10", "\r\nCzcionka 36 pkt w układzie wydruku \"Raport\" (klucz Raport_FONT w sekcji [UKLAD]) nie "
                          "mieści się w wierszu wysokości 3 mm (klucz Raport_WYS): zmniejsz czcionkę albo zwiększ "
                          "wysokość wiersza"},
        {"8", "4,5", "-5", "\r\nSzerokość kolumny A w układzie wydruku \"Raport\" (klucz A w sekcji [Raport_SZER]) wynosi "
                           "-5 mm, a musi wynosić od 0 do 1000 mm"},
        {"8", "4,5", "5000", "\r\nSzerokość kolumny A w układzie wydruku \"Raport\" (klucz A w sekcji [Raport_SZER]) "
                             "wynosi 5000 mm, a musi wynosić od 0 do 1000 mm"},
    };
    for (const auto &c : cases) {
        EntryForm f = form("Raport", {"SELECT 2"}, {{"A", QString::fromLatin1(c.width), "T"}});
        f.fontSizeText = QString::fromLatin1(c.font);
        f.rowHeightText = QString::fromLatin1(c.height);
        try {
            catalogue->saveEntry(f);
            ADD_FAILURE() << "accepted " << c.font << " " << c.height << " " << c.width;
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
        EXPECT_EQ(ini(), before);
    }
    // A width of 0 prints nothing of its column, and may be meant.
    EntryForm hidden = form("Raport", {"SELECT 2"}, {{"A", "0", "T"}});
    hidden.fontSizeText = QStringLiteral("12");
    EXPECT_NO_THROW(catalogue->saveEntry(hidden));
}

TEST_F(Catalogue, DeletingHandEditedCollidingTitlesDamagesNothing)
{
    catalogue->saveEntry(form("A", {"x"}, {{"F", "7", "T"}}));
    catalogue->saveSettings({2, true, 250, false});
    QByteArray text = ini();
    text.replace("[NAZWA_SQL]\r\nA=\r\n", "[NAZWA_SQL]\r\nA=\r\nUKLAD=\r\nws=\r\nA_SZER=\r\nA_LP=\r\n");
    writeBytes(path("sqls.ini"), text);
    for (const char *title : {"UKLAD", "ws", "A_SZER", "A_LP"})
        catalogue->deleteEntry(title);
    EXPECT_EQ(catalogue->loadTitles(), QStringList{"A"});
    EXPECT_EQ(catalogue->readSettings().split1, 250);
    EXPECT_EQ(catalogue->readSettings().ostatniSql, 2);
    EXPECT_EQ(catalogue->readEntry("A").layout.fields, (std::vector<FieldLayout>{{"F", "7", "T"}}));
    EXPECT_TRUE(catalogue->readEntry("A").layout.rowNumbers);
    EXPECT_TRUE(QFile::exists(catalogue->resolveTextFile("A")));
}

TEST_F(Catalogue, DeletingKeepsATextFileThatAnotherTitleUses)
{
    writeBytes(path("sqls.ini"), "[NAZWA_SQL]\r\nA=\r\nB=\r\n[FILES]\r\nA=wspolny.sql\r\nB=WSPOLNY.sql\r\n");
    writeBytes(path("wspolny.sql"), "SELECT 1\r\n");
    catalogue->deleteEntry("A");
    EXPECT_TRUE(QFile::exists(path("wspolny.sql")));
    catalogue->deleteEntry("B");
    EXPECT_FALSE(QFile::exists(path("wspolny.sql")));
}

TEST_F(Catalogue, ADamagedCatalogueKeepsItsOtherLinesThroughASave)
{
    const QByteArray damaged = "orphan=1\r\n[NAZWA_SQL]\r\nA=\r\nA=\r\nsome junk\r\n[UKLAD]\rws=1\r\x81\x98 stray\r\n"
                               "[NAZWA_SQL]\r\nLost=\r\n[FILES]\r\nA=a.sql";
    writeBytes(path("sqls.ini"), damaged);
    EXPECT_EQ(catalogue->loadTitles(), QStringList{"A"});
    EXPECT_TRUE(catalogue->readSettings().ws);
    catalogue->saveEntry(form("B"));
    const QByteArray after = ini();
    for (const QByteArray &line : damaged.split('\n')) {
        const QByteArray kept = line.split('\r').first();
        EXPECT_TRUE(after.contains(kept)) << kept.toStdString();
    }
    EXPECT_EQ(catalogue->loadTitles(), (QStringList{"A", "B"}));
}
