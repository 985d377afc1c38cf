// Writers killed (SIGKILL) at random moments, 100 times each: every file they write must be the
// complete old one or the complete new one, files written one after another must never be new
// before old (a table must not point into a memo file that is still old), and no temporary may
// stay where a user would see it: none visible at all, and the hidden ones the next writer of the
// same file removes.
#include "catalogue/QueryCatalogue.h"
#include "platform/FileAccess.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

using testsupport::PolishTest;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

using Content = std::optional<QByteArray>; // nothing: no such file

Content contentOf(const QString &path)
{
    if (!QFile::exists(path))
        return std::nullopt;
    return readBytes(path);
}

// Starts a program in a folder with its output discarded; returns its process id.
pid_t spawnIn(const QString &folder, const QStringList &command)
{
    std::vector<QByteArray> args;
    for (const QString &a : command)
        args.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, QFile::encodeName(folder).constData());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

QStringList visibleFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

QStringList hiddenFiles(const QString &folder)
{
    QStringList hidden;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (name.startsWith(QLatin1Char('.')))
            hidden.append(name);
    }
    return hidden;
}

// A writer and the files it writes, in the order it writes them.
struct Writer {
    QStringList command;
    QStringList files;
};

struct Scenario {
    const char *name;
    // Makes the old files in the folder and says what writes the new ones.
    std::function<Writer(const QString &folder)> setUp;
};

void PrintTo(const Scenario &s, std::ostream *os)
{
    *os << s.name;
}

QString batch()
{
    return QStringLiteral(KWERIX_BATCH);
}

// A folder that kwerix-batch takes for its catalogue.
void catalogueFolder(const QString &folder)
{
    writeBytes(folder + "/sqls.ini", "[NAZWA_SQL]\r\n");
}

void writeStatement(const QString &folder, const QString &name, const QString &statement)
{
    writeBytes(folder + "/" + name, testsupport::cp(statement.toUtf8().constData()) + "\r\n");
}

void runToEnd(const QString &folder, const QStringList &command)
{
    const pid_t pid = spawnIn(folder, command);
    ASSERT_GT(pid, 0);
    const int status = waitFor(pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command.join(' ').toStdString();
}

QString rows(int count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ").arg(count);
}

// A table of `count` rows with a memo field (texts of `shortest` characters and more) that the
// program makes, and an UPDATE of half of its rows.
Writer memoTableChange(const QString &folder, const QString &table, const QString &memo, int count, int shortest)
{
    catalogueFolder(folder);
    writeStatement(folder, "nowa.sql",
                   QStringLiteral("CREATE TABLE \"%1\" AS ").arg(table) + rows(count)
                       + QStringLiteral("SELECT i AS NR, 'Uwaga ' || i || ' ' || hex(zeroblob(%1 + i % 300)) AS UWAGI, "
                                        "'Łódź' AS MIASTO FROM n")
                             .arg(shortest));
    runToEnd(folder, {batch(), "--catalogue", ".", "sql", "nowa.sql"});
    writeStatement(folder, "zmiana.sql",
                   QStringLiteral("UPDATE \"%1\" SET UWAGI = UWAGI || ' poprawiona', MIASTO = 'Koło' WHERE NR % 2 = 0")
                       .arg(table));
    return {{batch(), "--catalogue", ".", "sql", "zmiana.sql"}, {memo, table}};
}

Writer xlsExport(const QString &folder)
{
    catalogueFolder(folder);
    writeStatement(folder, "wynik.sql",
                   rows(6000) + "SELECT i AS NR, 'Wiersz ' || i AS TEKST, i * 1.25 AS KWOTA, "
                                "DATE('2024-01-01', '+' || (i % 365) || ' days') AS DZIEN FROM n");
    writeStatement(folder, "stary.sql", "SELECT 'poprzedni' AS WYNIK");
    runToEnd(folder, {batch(), "--catalogue", ".", "sql", "stary.sql", "--export", "wynik.xls"});
    return {{batch(), "--catalogue", ".", "sql", "wynik.sql", "--export", "wynik.xls"}, {"wynik.xls"}};
}

Writer catalogueSave(const QString &folder)
{
    QueryCatalogue catalogue(folder + "/sqls.ini");
    {
        // One write of the file for all the entries.
        IniFile::Batch batch(catalogue.ini());
        for (int e = 0; e < 200; ++e) {
            EntryForm entry;
            entry.title = QStringLiteral("Zestawienie numer %1").arg(e);
            entry.sql = {QStringLiteral("SELECT * FROM \"t%1.dbf\"").arg(e)};
            entry.fontSizeText = "8";
            entry.rowHeightText = "4,5";
            for (int f = 0; f < 80; ++f)
                entry.fields.push_back({QStringLiteral("POLE_%1").arg(f), "20", "N"});
            catalogue.saveEntry(entry);
        }
    }
    const QString title = QStringLiteral("Zestawienie numer 100");
    return {{QStringLiteral(SAVE_ENTRY), folder + "/sqls.ini", title, "40"},
            {QFileInfo(catalogue.resolveTextFile(title)).fileName(), "sqls.ini"}};
}

const Scenario kScenarios[] = {
    {"SavingTheCatalogue", catalogueSave},
    {"WritingAnXlsExport", xlsExport},
    {"ChangingADbaseTableWithAMemo", [](const QString &f) { return memoTableChange(f, "t.dbf", "t.dbt", 6000, 0); }},
    {"ChangingAParadoxTableWithAMemo", [](const QString &f) { return memoTableChange(f, "p.db", "p.mb", 3000, 100); }},
};

class KillWhileWriting : public PolishTest, public ::testing::WithParamInterface<Scenario> {
protected:
    std::vector<Content> snapshot(const Writer &w) const
    {
        std::vector<Content> files;
        for (const QString &name : w.files)
            files.push_back(contentOf(path(name)));
        return files;
    }

    void restore(const Writer &w, const std::vector<Content> &old) const
    {
        for (size_t i = 0; i < old.size(); ++i) {
            QFile::remove(path(w.files[i]));
            if (old[i])
                writeBytes(path(w.files[i]), *old[i]);
        }
    }
};

TEST_P(KillWhileWriting, LeavesEachFileWholeAndNoTemporaryInSight)
{
    const Writer writer = GetParam().setUp(dir.path());
    ASSERT_FALSE(HasFailure());
    const std::vector<Content> old = snapshot(writer);

    // The new files, and how long a whole run takes (the second run, with warm caches).
    runToEnd(dir.path(), writer.command);
    ASSERT_FALSE(HasFailure());
    const std::vector<Content> fresh = snapshot(writer);
    for (size_t i = 0; i < fresh.size(); ++i)
        ASSERT_TRUE(fresh[i] != old[i]) << writer.files[i].toStdString() << " is not changed by the writer";
    restore(writer, old);
    QElapsedTimer timer;
    timer.start();
    runToEnd(dir.path(), writer.command);
    const qint64 wholeRunUs = timer.nsecsElapsed() / 1000;
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(snapshot(writer) == fresh) << "the writer does not write the same files twice";
    const QStringList allowed = visibleFiles(dir.path());

    std::mt19937 random(20261210);
    std::uniform_int_distribution<qint64> moment(0, wholeRunUs * 11 / 10);
    std::map<std::string, int> outcomes;
    int temporariesLeft = 0;
    for (int run = 0; run < 100; ++run) {
        restore(writer, old);
        const pid_t pid = spawnIn(dir.path(), writer.command);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(pid, SIGKILL);
        waitFor(pid);

        // Each file old or new, and the ones written first never older than those after them.
        std::string states;
        for (qsizetype i = 0; i < writer.files.size(); ++i) {
            const Content now = contentOf(path(writer.files[i]));
            states += now == fresh[size_t(i)] ? 'N' : now == old[size_t(i)] ? 'O' : '?';
        }
        EXPECT_EQ(states.find('?'), std::string::npos) << "run " << run << ": a file is neither old nor new: " << states;
        EXPECT_EQ(states.find("ON"), std::string::npos) << "run " << run << ": a file is new before the one written first: " << states;
        ++outcomes[states];

        for (const QString &name : visibleFiles(dir.path()))
            EXPECT_TRUE(allowed.contains(name)) << "run " << run << ": " << name.toStdString() << " left behind";
        const QStringList hidden = hiddenFiles(dir.path());
        temporariesLeft += hidden.isEmpty() ? 0 : 1;
        for (const QString &name : writer.files)
            fileaccess::removeAbandonedTemporaries(path(name));
        EXPECT_EQ(hiddenFiles(dir.path()), QStringList()) << "run " << run << ": the next writer keeps " << hidden.join(' ').toStdString();
    }
    // The kills must have met the writer before, during and after its writes for this to mean much.
    EXPECT_GT(outcomes[std::string(writer.files.size(), 'O')], 0);
    EXPECT_GT(outcomes[std::string(writer.files.size(), 'N')], 0);
    std::string summary;
    for (const auto &[states, count] : outcomes)
        summary += states + ": " + std::to_string(count) + "  ";
    std::printf("whole run %.0f ms; outcomes %s; killed with a temporary on disk: %d\n", wholeRunUs / 1000.0,
                summary.c_str(), temporariesLeft);
}

INSTANTIATE_TEST_SUITE_P(Writers, KillWhileWriting, ::testing::ValuesIn(kScenarios),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
