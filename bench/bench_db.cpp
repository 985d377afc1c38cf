// The database engine against plain SQLite: importing and opening a 1,000,000-row dBASE file, a
// second open of the unchanged file, a join of two 100,000-row files, memory of the open result
// and filtering it, the Polish order of its texts against the order of their bytes.
#include "BenchTiming.h"
#include "db/DatabaseStatement.h"
#include "db/Query.h"
#include "db/TableFile.h"
#include "db/TableLock.h"
#include "platform/RegionalSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <cstdio>

using bench::seconds;

namespace {

struct Data {
    std::vector<QByteArray> names, cities;
    std::vector<double> amounts;
    std::vector<qint64> counts;
    std::vector<QByteArray> dates;
    std::vector<qint64> flags;
};

Data makeData(int rows)
{
    Data d;
    const char *cities[] = {"Łódź", "Kraków", "Warszawa", "Gdańsk", "Poznań", "Wrocław"};
    for (int i = 0; i < rows; ++i) {
        d.names.push_back(QStringLiteral("Kontrahent %1 sp. z o.o.").arg(i % 50000).toUtf8());
        d.cities.push_back(QByteArray(cities[i % 6]));
        d.amounts.push_back((i % 100000) * 1.25 - 5000);
        d.counts.push_back(i % 997);
        d.dates.push_back(QDate(2000, 1, 1).addDays(i % 9000).toString(Qt::ISODate).toLatin1());
        d.flags.push_back(i % 2);
    }
    return d;
}

std::vector<FieldDef> fields()
{
    return {{"NAZWA", FieldType::ftString, 30, 0}, {"MIASTO", FieldType::ftString, 20, 0},
            {"KWOTA", FieldType::ftFloat, 12, 2},  {"ILOSC", FieldType::ftInteger, 8, 0},
            {"DATA", FieldType::ftDate, 0, 0},     {"OK", FieldType::ftBoolean, 0, 0}};
}

void writeTable(const QString &path, const Data &d, int rows)
{
    int i = 0;
    TableFile::create(path, fields(), [&](Row &row) {
        if (i >= rows)
            return false;
        row = {Cell::text(d.names[i]), Cell::text(d.cities[i]), Cell::real(d.amounts[i]), Cell::integer(d.counts[i]),
               Cell::text(d.dates[i]), Cell::integer(d.flags[i])};
        ++i;
        return true;
    });
}

double baselineLoad(const Data &d, int rows)
{
    QElapsedTimer t;
    t.start();
    sqlite3 *db;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db, "CREATE TABLE t (a TEXT, b TEXT, c REAL, d INTEGER, e TEXT, f INTEGER); BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *s;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?,?,?,?,?,?)", -1, &s, nullptr);
    for (int i = 0; i < rows; ++i) {
        sqlite3_bind_text(s, 1, d.names[i].constData(), static_cast<int>(d.names[i].size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 2, d.cities[i].constData(), static_cast<int>(d.cities[i].size()), SQLITE_STATIC);
        sqlite3_bind_double(s, 3, d.amounts[i]);
        sqlite3_bind_int64(s, 4, d.counts[i]);
        sqlite3_bind_text(s, 5, d.dates[i].constData(), static_cast<int>(d.dates[i].size()), SQLITE_STATIC);
        sqlite3_bind_int64(s, 6, d.flags[i]);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double seconds = t.nsecsElapsed() / 1e9;
    sqlite3_close(db);
    return seconds;
}

double residentMegabytes()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / 1e6 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    RegionalSettings::set(RegionalSettings::polish());
    const int rows = argc > 1 ? atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    // KWERIX_BENCH_DIR keeps the generated files between runs (for profiling one part).
    const QString keep = qEnvironmentVariable("KWERIX_BENCH_DIR");
    QDir::setCurrent(keep.isEmpty() ? dir.path() : keep);
    const Data data = makeData(rows);
    if (!QFileInfo::exists("duza.dbf")) {
        writeTable("duza.dbf", data, rows);
        writeTable("a.dbf", data, 100000);
        writeTable("b.dbf", data, 100000);
    }
    const double rawBytes = QFileInfo("duza.dbf").size();

    const double baseline = baselineLoad(data, rows);
    Database db;
    if (qEnvironmentVariableIsSet("KWERIX_BENCH_SPLIT")) {
        Database probe;
        const double importOnly = seconds([&] { probe.prepare("SELECT * FROM \"duza.dbf\""); });
        std::printf("import alone: %.3f s\n", importOnly);
    }
    Query query(db);
    query.sql().assign({"SELECT * FROM \"duza.dbf\""});
    const double residentBefore = residentMegabytes();
    const double first = seconds([&] { query.open(); });
    const double residentAfter = residentMegabytes();
    query.close();
    const double second = seconds([&] { query.open(); });
    const double memory = static_cast<double>(query.memoryBytes());

    std::printf("rows: %d, dBASE file: %.1f MB\n", rows, rawBytes / 1e6);
    std::printf("first open (import included): %.3f s, SQLite prepared inserts: %.3f s, ratio %.2f (target <= 2)\n",
                first, baseline, first / baseline);
    std::printf("second open of the unchanged file: %.3f s, first/second %.1f (target >= 10)\n", second, first / second);
    std::printf("memory of the open result: %.1f MB, raw data %.1f MB, ratio %.2f (target <= 2)\n", memory / 1e6,
                rawBytes / 1e6, memory / rawBytes);
    std::printf("process memory grew by %.1f MB at the first open (result and the engine's copy of the table)\n",
                residentAfter - residentBefore);
    Query other(db);
    other.sql().assign({"SELECT * FROM \"duza.dbf\" WHERE 1"});
    const double reread = seconds([&] { other.open(); });
    std::printf("another statement over the imported file: %.3f s, first/that %.1f\n", reread, first / reread);
    other.close();

    const double filterText = seconds([&] {
        query.setFilter("MIASTO = 'kraków'");
        query.setFilterOptions(DataSet::foCaseInsensitive);
        query.setFiltered(true);
    });
    const int textHits = query.recordCount();
    query.setFiltered(false);
    const double filterNumber = seconds([&] {
        query.setFilter("KWOTA > '1000' AND DATA >= '2010-01-01'");
        query.setFiltered(true);
    });
    std::printf("filter of %d rows: text %.3f s (%d rows), number and date %.3f s (%d rows) (target well under 1 s)\n",
                rows, filterText, textHits, filterNumber, query.recordCount());

    Query join(db);
    join.sql().assign({"SELECT count(*) FROM \"a.dbf\" a JOIN \"b.dbf\" b ON a.NAZWA = b.NAZWA AND a.ILOSC = b.ILOSC"});
    db.prepare("SELECT 1 FROM \"a.dbf\", \"b.dbf\""); // imports both files
    const double joinTime = seconds([&] { join.open(); });
    std::printf("equality join of two 100,000-row files: %.3f s, %s rows (target < 1 s)\n", joinTime,
                qPrintable(join.field(0)->asString()));

    // The Polish order of a text column against the order of its bytes: the whole sorted column
    // stepped through, the fastest of three runs each. Names differ in their digits; cities (six
    // of them) at their first letter, often a Polish one, which the collator itself compares.
    for (const char *column : {"NAZWA", "MIASTO"}) {
        const auto sortedBy = [&](const char *collation) {
            const auto statement = db.prepare(QStringLiteral("SELECT %1 FROM \"duza.dbf\" ORDER BY %1 COLLATE %2")
                                                  .arg(QLatin1String(column), QLatin1String(collation)));
            return bench::best(3, [&] {
                sqlite3_reset(statement->handle());
                db.run(*statement);
            });
        };
        const double binary = sortedBy("BINARY"), polish = sortedBy("PL");
        std::printf("ORDER BY %s of %d rows: Polish order %.3f s, order of bytes %.3f s, ratio %.2f (target <= 2)\n", column,
                    rows, polish, binary, polish / binary);
    }

    // A change of one record of an unshared table, and the part of it that its lock takes.
    const QString table = QDir::current().filePath(QStringLiteral("a.dbf"));
    double update = 1e9;
    for (int i = 0; i < 5; ++i)
        update = std::min(update, seconds([&] { db.execute(QStringLiteral("UPDATE \"a.dbf\" SET ILOSC = ILOSC + 1 WHERE NAZWA = 'Kontrahent 7 sp. z o.o.'")); }));
    constexpr int kLocks = 1000;
    const double locks = seconds([&] {
        for (int i = 0; i < kLocks; ++i)
            TableLock lock(table, {});
    });
    std::printf("UPDATE of a 100,000-row dBASE file: %.1f ms, of which its lock %.3f ms (%.2f%%; target: a few ms at most)\n",
                update * 1e3, locks / kLocks * 1e3, locks / kLocks / update * 100);
    return 0;
}
