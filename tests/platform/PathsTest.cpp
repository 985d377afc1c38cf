#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <QDir>

using testsupport::PolishTest;

TEST(Paths, JoinsWithExactlyOneSeparator)
{
    EXPECT_EQ(paths::ensureTrailingSeparator("/opt/kwerix"), QStringLiteral("/opt/kwerix/"));
    EXPECT_EQ(paths::ensureTrailingSeparator("/opt/kwerix/"), QStringLiteral("/opt/kwerix/"));
    EXPECT_EQ(paths::ensureTrailingSeparator("/"), QStringLiteral("/"));
    EXPECT_EQ(paths::join("/", "sql1.sql"), QStringLiteral("/sql1.sql"));
    EXPECT_EQ(paths::join("/opt/k", "\\sub\\a.sql"), QStringLiteral("/opt/k/sub\\a.sql"));
    EXPECT_TRUE(paths::isAbsolute("/a"));
    EXPECT_TRUE(paths::isAbsolute("C:\\a.sql"));
    EXPECT_FALSE(paths::isAbsolute("a"));
    EXPECT_FALSE(paths::isAbsolute("sub/a"));
}

TEST_F(PolishTest, FindsWindowsNamesInAnotherCaseAndWithBackslashes)
{
    QDir(dir.path()).mkpath("Dane/Roczne");
    testsupport::writeBytes(path("Dane/Roczne/Faktury.DBF"), "x");
    const QString expected = path("Dane/Roczne/Faktury.DBF");
    EXPECT_EQ(paths::findExisting(expected), expected);
    EXPECT_EQ(paths::findExisting(dir.path() + "/dane\\roczne\\faktury.dbf"), expected);
    EXPECT_EQ(paths::findExisting(dir.path() + "/DANE/ROCZNE/FAKTURY.dbf"), expected);
    EXPECT_FALSE(paths::findExisting(dir.path() + "/dane/roczne/brak.dbf"));
    EXPECT_FALSE(paths::findExisting(QString()));
    EXPECT_EQ(paths::resolveExisting(dir.path() + "/brak"), dir.path() + "/brak");
}
