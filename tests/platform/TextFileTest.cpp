#include "platform/Errors.h"
#include "platform/TextFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

using testsupport::PolishTest;
using testsupport::readBytes;
using testsupport::writeBytes;

struct SplitCase {
    QByteArray bytes;
    QStringList lines;
};

class LineEnds : public PolishTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(LineEnds, EndALine)
{
    writeBytes(path("a.txt"), GetParam().bytes);
    EXPECT_EQ(textfile::readLines(path("a.txt")), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, LineEnds, ::testing::Values(
    SplitCase{"", {}},
    SplitCase{"a\r\nb\r\n", {"a", "b"}},
    SplitCase{"a\nb", {"a", "b"}},
    SplitCase{"a\rb\r", {"a", "b"}},
    SplitCase{"a\r\n\r\nb\n\rc", {"a", "", "b", "", "c"}},
    SplitCase{"\r\n", {""}},
    SplitCase{"x\xB3y", {QStringLiteral("xły")}}), testsupport::CaseIndex());

TEST_F(PolishTest, WrittenLinesEndInCrLfInWindows1250)
{
    textfile::writeLines(path("out.txt"), {QStringLiteral("Zażółć"), QString(), QStringLiteral("gęślą")});
    EXPECT_EQ(readBytes(path("out.txt")), QByteArray("Za\xBF\xF3\xB3\xE6\r\n\r\ng\xEA\x9Cl\xB9\r\n"));
    textfile::writeLines(path("out.txt"), {});
    EXPECT_TRUE(QFile::exists(path("out.txt")));
    EXPECT_EQ(readBytes(path("out.txt")), QByteArray());
}

TEST_F(PolishTest, ReplacingKeepsPermissionsAndLeavesNoTemporaryFile)
{
    writeBytes(path("keep.txt"), "old\r\n");
    QFile::setPermissions(path("keep.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    textfile::writeLines(path("keep.txt"), {QStringLiteral("new")});
    EXPECT_EQ(readBytes(path("keep.txt")), QByteArray("new\r\n"));
    const QFile::Permissions ownerGroupOther(0x7077);
    EXPECT_EQ(QFile::permissions(path("keep.txt")) & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.txt")});
}

TEST_F(PolishTest, FailedWriteRaisesCannotCreateAndKeepsTheOldContent)
{
    writeBytes(path("ro.txt"), "old\r\n");
    QFile::setPermissions(path("ro.txt"), QFile::ReadOwner | QFile::ReadGroup);
    const struct {
        QString target;
        QString reason;
    } cases[] = {
        {path("ro.txt"), QStringLiteral("Permission denied")},
        {path("missing/dir/x.txt"), QStringLiteral("No such file or directory")},
        {dir.path(), QStringLiteral("Is a directory")},
    };
    for (const auto &c : cases) {
        try {
            textfile::writeLines(c.target, {QStringLiteral("new")});
            ADD_FAILURE() << "no error for " << c.target.toStdString();
        } catch (const EFCreateError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("Cannot create file \"%1\". %2").arg(c.target, c.reason));
        }
    }
    EXPECT_EQ(readBytes(path("ro.txt")), QByteArray("old\r\n"));
}

TEST_F(PolishTest, AppendAddsLinesAtTheEnd)
{
    textfile::appendLines(path("log.txt"), {QStringLiteral("jeden")});
    textfile::appendLines(path("log.txt"), {QStringLiteral("dwa"), QStringLiteral("trzy")});
    EXPECT_EQ(readBytes(path("log.txt")), QByteArray("jeden\r\ndwa\r\ntrzy\r\n"));
    QFile::setPermissions(path("log.txt"), QFile::ReadOwner);
    EXPECT_THROW(textfile::appendLines(path("log.txt"), {QStringLiteral("x")}), EFCreateError);
    EXPECT_EQ(readBytes(path("log.txt")), QByteArray("jeden\r\ndwa\r\ntrzy\r\n"));
}

TEST_F(PolishTest, ReadingAMissingFileRaisesCannotOpen)
{
    EXPECT_THROW(textfile::readLines(path("none.txt")), EFOpenError);
}
