// Writers of one table at once, each a process of its own with one engine, as the window and a
// scheduled kwerix-batch run are: every change that succeeded is in the table exactly once, every
// memo holds only its own record's words, and a writer fails only with the message that the table
// stayed locked.
#include "db/Database.h"
#include "db/Query.h"
#include "support/TestSupport.h"

#include <QProcess>

#include <memory>
#include <ostream>
#include <vector>

namespace {

struct SharedTableCase {
    const char *table;
    int writers;
};

// Names the case in the test list instead of dumping its bytes there.
void PrintTo(const SharedTableCase &c, std::ostream *os) { *os << c.writers << " writers of " << c.table; }

class SharedTable : public testsupport::FolderTest, public ::testing::WithParamInterface<SharedTableCase> {
protected:
    static constexpr int kRounds = 100;

    // Runs one writer per record at once; returns the rounds each changed the table.
    std::vector<int> runWriters(const char *mode)
    {
        std::vector<std::unique_ptr<QProcess>> writers;
        for (int id = 1; id <= GetParam().writers; ++id) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(QStringLiteral(TABLE_WRITER), {dir.path(), QString::fromLatin1(GetParam().table),
                                                                 QString::number(id), QString::number(kRounds),
                                                                 QString::fromLatin1(mode)});
        }
        std::vector<int> changed;
        for (const auto &writer : writers) {
            writer->waitForFinished(-1);
            EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
            const QList<QByteArray> counts = writer->readAllStandardOutput().trimmed().split(' ');
            EXPECT_EQ(counts.size(), 2);
            changed.push_back(counts.value(0).toInt());
            EXPECT_EQ(counts.value(0).toInt() + counts.value(1).toInt(), kRounds);
        }
        return changed;
    }

    QStringList rows(const QString &sql)
    {
        Database database;
        Query query(database);
        query.sql().assign({sql});
        query.open();
        QStringList out;
        for (int r = 0; r < query.recordCount(); ++r) {
            QStringList cells;
            for (int f = 0; f < query.fieldCount(); ++f)
                cells.append(query.field(f)->asStringAt(query.rowOf(r)));
            out.append(cells.join(QLatin1Char(';')));
        }
        return out;
    }
};

TEST_P(SharedTable, NoChangeIsLostAndNoMemoIsShared)
{
    const QString table = QString::fromLatin1(GetParam().table);
    {
        Database database;
        database.execute(QStringLiteral("CREATE TABLE \"%1\" (ID INTEGER, N INTEGER, M TEXT)").arg(table));
        for (int id = 1; id <= GetParam().writers; ++id)
            database.execute(QStringLiteral("INSERT INTO \"%1\" VALUES (%2, 0, 'start')").arg(table).arg(id));
    }
    const std::vector<int> updated = runWriters("update");
    for (int id = 1; id <= GetParam().writers; ++id) {
        const int n = updated[static_cast<size_t>(id - 1)];
        EXPECT_GT(n, 0) << id;
        const QString words = QStringLiteral(" w%1").arg(id).repeated(n);
        EXPECT_EQ(rows(QStringLiteral("SELECT N, M FROM \"%1\" WHERE ID = %2").arg(table).arg(id)),
                  QStringList{QStringLiteral("%1;start%2").arg(n).arg(words)})
            << id;
    }

    const std::vector<int> inserted = runWriters("insert");
    for (int id = 1; id <= GetParam().writers; ++id) {
        // Each round's row once: the rounds are numbered, so a row written twice shows.
        EXPECT_EQ(rows(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT N) FROM \"%1\" WHERE ID = %2 AND M = 'i%2'")
                           .arg(table)
                           .arg(id)),
                  QStringList{QStringLiteral("%1;%1").arg(inserted[static_cast<size_t>(id - 1)])})
            << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, SharedTable,
                         ::testing::Values(SharedTableCase{"licznik.dbf", 2}, SharedTableCase{"licznik.dbf", 4},
                                           SharedTableCase{"licznik.db", 2}, SharedTableCase{"licznik.db", 4}),
                         testsupport::CaseIndex());

} // namespace
