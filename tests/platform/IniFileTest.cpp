#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"

#include <QFile>
#include <functional>

using testsupport::PolishTest;
using testsupport::readBytes;
using testsupport::writeBytes;

// A section of `keys` keys k0=0 … and, with `repeat`, a second k3 after them.
static QByteArray longSection(const char *name, int keys, bool repeat, const QByteArray &tail = QByteArray())
{
    QByteArray text = QByteArray("[") + name + "]\r\n";
    for (int i = 0; i < keys; ++i)
        text += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
    if (repeat)
        text += "K3=again\r\n";
    return text + tail;
}

// A file before, one change, and the file after.
struct WriteCase {
    const char *name;
    QByteArray before;
    std::function<void(IniFile &)> change;
    QByteArray after;
};

class IniWrites : public PolishTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(IniWrites, ChangeTheFileAsTheProfileRulesSay)
{
    const WriteCase &c = GetParam();
    if (!c.before.isNull())
        writeBytes(path("t.ini"), c.before);
    IniFile ini(path("t.ini"));
    c.change(ini);
    EXPECT_EQ(readBytes(path("t.ini")), c.after);
}

static const WriteCase kWriteCases[] = {
    {"CreatesTheFileOnTheFirstWrite", QByteArray(),
     [](IniFile &i) { i.writeString("S", "k", "v"); }, "[S]\r\nk=v\r\n"},
    {"ReplacesInPlace", "[S]\r\na=1\r\nb=2\r\n",
     [](IniFile &i) { i.writeString("S", "a", "9"); }, "[S]\r\na=9\r\nb=2\r\n"},
    {"MatchesNamesWithoutCaseAndKeepsTheStoredSpelling", "[Sekcja]\r\nKlucz=1\r\n",
     [](IniFile &i) { i.writeString("SEKCJA", "klucz", "2"); }, "[Sekcja]\r\nKlucz=2\r\n"},
    {"MatchesPolishNamesWithoutCase", "[\xA3\xD3" "D\x8F]\r\n\xA5=1\r\n",
     [](IniFile &i) { i.writeString(QStringLiteral("łódź"), QStringLiteral("ą"), "2"); },
     "[\xA3\xD3" "D\x8F]\r\n\xA5=2\r\n"},
    {"AppendsANewKeyAtTheEndOfItsSection", "[S]\r\na=1\r\n\r\n[T]\r\nx=1\r\n",
     [](IniFile &i) { i.writeString("s", "b", "2"); }, "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\nx=1\r\n"},
    {"AppendsANewSectionAtTheEnd", "[S]\r\na=1\r\n",
     [](IniFile &i) { i.writeString("T", "b", ""); }, "[S]\r\na=1\r\n[T]\r\nb=\r\n"},
    {"ErasesASectionWithItsKeys", "[S]\r\na=1\r\n[T]\r\nb=2\r\n[U]\r\nc=3\r\n",
     [](IniFile &i) { i.eraseSection("t"); }, "[S]\r\na=1\r\n[U]\r\nc=3\r\n"},
    {"DeletesAKey", "[S]\r\na=1\r\nb=2\r\n",
     [](IniFile &i) { i.deleteKey("S", "A"); }, "[S]\r\nb=2\r\n"},
    {"ErasingAMissingSectionWritesNothing", "[S]\ra=1",
     [](IniFile &i) { i.eraseSection("X"); i.deleteKey("S", "zz"); i.deleteKey("Y", "a"); }, "[S]\ra=1"},
    {"WritesIntegersBooleansAndRegionalDecimals", QByteArray(),
     [](IniFile &i) { i.writeInteger("S", "i", -42); i.writeBool("S", "b", true); i.writeFloat("S", "f", 4.5); },
     "[S]\r\ni=-42\r\nb=1\r\nf=4,5\r\n"},
    {"KeepsADamagedFileWhileChangingOneKey",
     "lost=1\r\nnot a key\r\n[S]\r\n; comment\r\nstray \x81\x98\r\na=1\r\na=2\r\n[S]\r\nb=3\r\n[T]\rc=4",
     [](IniFile &i) { i.writeString("S", "a", "9"); i.writeString("T", "d", "5"); },
     "lost=1\r\nnot a key\r\n[S]\r\n; comment\r\nstray \x81\x98\r\na=9\r\na=2\r\n[S]\r\nb=3\r\n[T]\r\nc=4\r\nd=5\r\n"},
    // Sections this long are looked up through an index of their keys.
    {"LongSectionsReplaceTheFirstCopyAndAppendAfterTheLastKey", longSection("L", 20, true, "\r\n[M]\r\n"),
     [](IniFile &i) { i.writeString("l", "K3", "x"); i.writeString("L", "new", "1"); i.writeString("L", "NEW", "2"); },
     QByteArray(longSection("L", 20, true)).replace("k3=3", "k3=x") + "new=2\r\n\r\n[M]\r\n"},
    {"LongSectionsDeleteEveryCopyOfAKey", longSection("L", 20, true),
     [](IniFile &i) { i.deleteKey("L", "k3"); i.writeString("L", "k3", "back"); },
     QByteArray(longSection("L", 20, false)).replace("k3=3\r\n", "") + "k3=back\r\n"},
    {"ErasesEveryCopyOfADuplicatedSection", "[S]\r\na=1\r\n[T]\r\n[s]\r\nb=2\r\n",
     [](IniFile &i) { i.eraseSection("S"); }, "[T]\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, IniWrites, ::testing::ValuesIn(kWriteCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PolishTest, IniReadsWithDefaultsAndConversions)
{
    writeBytes(path("t.ini"), "[S]\r\n  s = text with = sign  \r\ni=0x10\r\nbad=abc\r\nb=2\r\nz=0\r\n"
                              "f=4,5\r\ndot=4.5\r\nempty=\r\n");
    const IniFile ini(path("t.ini"));
    EXPECT_EQ(ini.readString("s", "S", "d"), QStringLiteral("text with = sign"));
    EXPECT_EQ(ini.readString("S", "missing", "d"), QStringLiteral("d"));
    EXPECT_EQ(ini.readString("missing", "s", "d"), QStringLiteral("d"));
    EXPECT_EQ(ini.readString("S", "empty", "d"), QString());
    EXPECT_EQ(ini.readInteger("S", "i", 7), 16);
    EXPECT_EQ(ini.readInteger("S", "bad", 7), 7);
    EXPECT_EQ(ini.readInteger("S", "empty", 7), 7);
    EXPECT_TRUE(ini.readBool("S", "b", false));
    EXPECT_FALSE(ini.readBool("S", "z", true));
    EXPECT_TRUE(ini.readBool("S", "bad", true));
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "f", 1), 4.5);
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "dot", 1), 1);
    EXPECT_TRUE(ini.valueExists("S", "EMPTY"));
    EXPECT_TRUE(ini.sectionExists("s"));
    EXPECT_FALSE(ini.sectionExists("T"));
}

TEST_F(PolishTest, IniListsKeysInFileOrderFirstOccurrenceWinning)
{
    writeBytes(path("t.ini"), "x=0\r\n[S]\r\nzeta=1\r\nnot a key\r\nAlfa=2\r\nzeta=3\r\n[T]\r\nq=1\r\n[s]\r\nomega=4\r\n");
    const IniFile ini(path("t.ini"));
    EXPECT_EQ(ini.readSection("s"), (QStringList{"zeta", "Alfa"}));
    EXPECT_EQ(ini.readString("S", "ZETA", ""), QStringLiteral("1"));
    EXPECT_EQ(ini.readString("S", "omega", "none"), QStringLiteral("none"));
    EXPECT_EQ(ini.sectionNames(), (QStringList{"S", "T"}));
    EXPECT_TRUE(ini.readSection("missing").isEmpty());
}

TEST_F(PolishTest, IniReturnsLongValuesAndLongListingsWhole)
{
    IniFile ini(path("t.ini"));
    const QString longValue(5000, QLatin1Char('v'));
    QStringList keys;
    {
        IniFile::Batch batch(ini);
        ini.writeString("S", "long", longValue);
        for (int i = 0; i < 3000; ++i) {
            keys.append(QStringLiteral("Zapytanie numer %1 o długim tytule").arg(i));
            ini.writeString("L", keys.back(), QString());
        }
    }
    const IniFile again(path("t.ini"));
    EXPECT_EQ(again.readString("S", "long", ""), longValue);
    EXPECT_EQ(again.readSection("L"), keys);
}

TEST_F(PolishTest, IniRefusesToWriteAReadOnlyFileOrDirectory)
{
    writeBytes(path("ro.ini"), "[S]\r\na=1\r\n");
    QFile::setPermissions(path("ro.ini"), QFile::ReadOwner);
    IniFile ro(path("ro.ini"));
    try {
        ro.writeString("S", "a", "2");
        FAIL();
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to write to ") + path("ro.ini"));
    }
    EXPECT_EQ(readBytes(path("ro.ini")), QByteArray("[S]\r\na=1\r\n"));
    EXPECT_EQ(ro.readString("S", "a", ""), QStringLiteral("1"));

    QDir(dir.path()).mkdir("locked");
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    IniFile inLocked(path("locked/new.ini"));
    EXPECT_THROW(inLocked.writeString("S", "a", "1"), EIniFileException);
    EXPECT_FALSE(QFile::exists(path("locked/new.ini")));
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(PolishTest, IniReadsChangesMadeByOthers)
{
    IniFile ini(path("t.ini"));
    ini.writeString("S", "a", "1");
    writeBytes(path("t.ini"), "[S]\r\na=hand edited, longer\r\n");
    EXPECT_EQ(ini.readString("S", "a", ""), QStringLiteral("hand edited, longer"));
    ini.writeString("S", "b", "2");
    EXPECT_EQ(readBytes(path("t.ini")), QByteArray("[S]\r\na=hand edited, longer\r\nb=2\r\n"));
}

TEST_F(PolishTest, IniBatchWritesOnceAndKeepsWhatWasDoneBeforeAFailure)
{
    IniFile ini(path("t.ini"));
    {
        IniFile::Batch batch(ini);
        ini.writeString("S", "a", "1");
        EXPECT_FALSE(QFile::exists(path("t.ini")));
    }
    EXPECT_EQ(readBytes(path("t.ini")), QByteArray("[S]\r\na=1\r\n"));
    try {
        IniFile::Batch batch(ini);
        ini.writeString("S", "b", "2");
        throw EConvertError(QStringLiteral("stop"));
    } catch (const EConvertError &) {
    }
    EXPECT_EQ(readBytes(path("t.ini")), QByteArray("[S]\r\na=1\r\nb=2\r\n"));
}

TEST_F(PolishTest, IniRefusesNamesItCouldNotReadBack)
{
    IniFile ini(path("t.ini"));
    for (const QString &key : {QStringLiteral("a=b"), QStringLiteral(" a"), QStringLiteral("[a"), QStringLiteral(""),
                               QStringLiteral("a\nb"), QStringLiteral("日")})
        EXPECT_THROW(ini.writeString("S", key, "1"), Exception) << key.toStdString();
    EXPECT_THROW(ini.writeString("a]b", "k", "1"), Exception);
    EXPECT_THROW(ini.writeString("S", "k", "line\r\nbreak"), Exception);
    EXPECT_FALSE(QFile::exists(path("t.ini")));
}
