// The grid tools on a 1,000,000-row result: filtering by a cell, sorting by a column (against
// running the sorted query directly: target ratio at most 1.2) and searching; each well under a
// second.
#include "BenchTiming.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/TableFile.h"
#include "gridtools/QuerySort.h"
#include "platform/RegionalSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using bench::seconds;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    RegionalSettings::set(RegionalSettings::polish());
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const int rows = 1000000;
    int i = 0;
    TableFile::create(dir.filePath("duza.dbf"),
                      {{"NAZWA", FieldType::ftString, 30, 0}, {"MIASTO", FieldType::ftString, 20, 0},
                       {"KWOTA", FieldType::ftFloat, 14, 2}, {"ILE", FieldType::ftInteger, 9, 0}},
                      [&](Row &row) {
                          if (i >= rows)
                              return false;
                          row = {Cell::text(QStringLiteral("Kontrahent %1").arg(i).toUtf8()),
                                 Cell::text(QStringLiteral("Miasto %1").arg(i % 50).toUtf8()),
                                 Cell::real((i * 7919 % 100000) / 100.0), Cell::integer(i % 977)};
                          return ++i, true;
                      });
    Database database;
    Query query(database);
    query.sql().assign({"SELECT * FROM \"duza.dbf\""});
    query.open();
    query.setRecNo(rows / 2);

    const double filter = seconds([&] {
        query.setFilter("MIASTO= 'Miasto 7'");
        query.setFiltered(true);
    });
    const int filtered = query.recordCount();
    query.setFiltered(false);
    const double search = seconds([&] { query.locate("NAZWA", "Kontrahent 999999", {}); });
    const double sort = seconds([&] { SortQuery(query, "KWOTA"); });
    Query direct(database);
    direct.sql().assign({"SELECT * FROM \"duza.dbf\"", " ORDER BY KWOTA DESC"});
    const double plain = seconds([&] { direct.open(); });
    std::printf("%d rows: filter by a cell %.3f s (%d records), search %.3f s, sort by a column %.3f s\n", rows, filter,
                filtered, search, sort);
    std::printf("the sorted query run directly: %.3f s; sort / direct %.2f (target <= 1.2)\n", plain, sort / plain);
    return 0;
}
