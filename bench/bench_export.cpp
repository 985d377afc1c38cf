// Result exports against peers run in the same process:
// - CSV and TXT of a 1,000,000-row, 6-field result against the sqlite3 shell writing the same rows
//   with ".mode csv" (target: at most 1.0x its time);
// - XLS of 65,535 x 10 against python3-xlwt writing the same cells (target: at least 10x faster);
// - kwerix-batch xls2csv of a 65,535 x 10 workbook written by xlwt against python3-xlrd reading it
//   and writing the same CSV (target: at least 10x faster);
// - the peak memory of kwerix-batch sql exporting SELECT * of a 1,000,000-row dBASE file to CSV,
//   against the file's size (target: at most 3x), and printing the same rows to standard output.
#include "BenchTiming.h"
#include "db/Database.h"
#include "db/Query.h"
#include "db/TableFile.h"
#include "export/ResultExport.h"
#include "platform/RegionalSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using bench::best;
using bench::seconds;

namespace {

const int kRows = 1000000;

// Runs a program and returns its time; its peak memory in kB through /usr/bin/time when asked.
double runProgram(const QString &program, const QStringList &arguments, const QString &folder, long *peakKb = nullptr,
                  const QString &output = QString())
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    QStringList command = arguments;
    QString binary = program;
    if (peakKb) {
        command = QStringList{QStringLiteral("-f"), QStringLiteral("%M"), program} + arguments;
        binary = QStringLiteral("/usr/bin/time");
    }
    QElapsedTimer t;
    t.start();
    process.start(binary, command);
    process.waitForFinished(-1);
    const double elapsed = seconds(t);
    // A failed run measures nothing.
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
        std::exit(1);
    }
    if (peakKb) {
        const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
        *peakKb = lines.isEmpty() ? 0 : lines.last().toLong();
    }
    return elapsed;
}

void writeDbf(const QString &path, int rows)
{
    int i = 0;
    TableFile::create(path,
                      {{"NAZWA", FieldType::ftString, 30, 0}, {"ILOSC", FieldType::ftInteger, 9, 0},
                       {"KWOTA", FieldType::ftFloat, 14, 2}, {"DATA", FieldType::ftDate, 8, 0},
                       {"MIASTO", FieldType::ftString, 20, 0}, {"KOD", FieldType::ftInteger, 9, 0}},
                      [&](Row &row) {
                          if (i >= rows)
                              return false;
                          row = {Cell::text(QStringLiteral("Kontrahent %1").arg(i).toUtf8()), Cell::integer(i % 977),
                                 Cell::real(i * 1.25 - 5000), Cell::text(QByteArray("2024-03-") + QByteArray::number(1 + i % 28).rightJustified(2, '0')),
                                 Cell::text(i % 2 ? "Łódź" : "Kraków"), Cell::integer(i)};
                          return ++i, true;
                      });
}

const char kXlwt[] = R"(
import sys, time, xlwt
rows, path = int(sys.argv[1]), sys.argv[2]
t = time.time()
b = xlwt.Workbook(encoding='utf-8')
s = b.add_sheet('Sheet 1')
for r in range(rows):
    s.write(r, 0, r); s.write(r, 1, r * 7 % 1000); s.write(r, 2, r * 1.25); s.write(r, 3, r / 3.0)
    s.write(r, 4, 'Miasto %d' % (r % 20)); s.write(r, 5, 'Kontrahent numer %d' % r); s.write(r, 6, 'Łódź')
    s.write(r, 7, -r * 0.01); s.write(r, 8, -r); s.write(r, 9, 'Opis pozycji %d zażółć' % (r % 5000))
b.save(path)
print(time.time() - t)
)";

const char kXlrdToCsv[] = R"(
import sys, time, xlrd
t = time.time()
sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
with open(sys.argv[2], 'w', encoding='cp1250', errors='replace', newline='') as out:
    for r in range(sheet.nrows):
        out.write(''.join('%s;' % v for v in sheet.row_values(r)) + '\r\n')
print(time.time() - t)
)";

double python(const char *script, const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + arguments);
    process.waitForFinished(-1);
    return process.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    RegionalSettings::set(RegionalSettings::polish());
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/kwerix-batch");

    // CSV and TXT of a million rows.
    writeDbf(dir.filePath(QStringLiteral("duza.dbf")), kRows);
    Database database;
    Query result(database);
    result.sql().assign({QStringLiteral("SELECT * FROM \"duza.dbf\"")});
    result.open();
    const double csv = best(3, [&] { writeExport(result, QStringLiteral("wynik.csv")); });
    const double txt = best(3, [&] { writeExport(result, QStringLiteral("wynik.txt")); });
    std::printf("Kwerix: CSV of %d rows x 6 fields %.3f s, TXT %.3f s\n", kRows, csv, txt);
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) {
        std::printf("the sqlite3 shell is not installed: the comparison is skipped\n");
    } else {
        runProgram(shell, {QStringLiteral("peer.sqlite"), QStringLiteral("CREATE TABLE t (NAZWA TEXT, ILOSC INTEGER, "
                                                                         "KWOTA REAL, DATA TEXT, MIASTO TEXT, KOD INTEGER)")},
                   dir.path());
        database.execute(QStringLiteral("ATTACH DATABASE 'peer.sqlite' AS peer"));
        database.execute(QStringLiteral("INSERT INTO peer.t SELECT * FROM \"duza.dbf\""));
        database.execute(QStringLiteral("DETACH DATABASE peer"));
        double peer = 1e9;
        for (int i = 0; i < 3; ++i)
            peer = std::min(peer, runProgram(shell, {QStringLiteral("-csv"), QStringLiteral("peer.sqlite"),
                                                     QStringLiteral("SELECT * FROM t")},
                                             dir.path(), nullptr, dir.filePath(QStringLiteral("peer.csv"))));
        std::printf("sqlite3 shell, .mode csv of the same rows: %.3f s; CSV %.2fx, TXT %.2fx its time (target <= 1.0)\n",
                    peer, csv / peer, txt / peer);
    }

    // XLS of 65,535 x 10.
    result.close();
    result.sql().assign({QStringLiteral(
        "WITH RECURSIVE n(r) AS (SELECT 0 UNION ALL SELECT r + 1 FROM n WHERE r < 65534) "
        "SELECT r AS A, r * 7 % 1000 AS B, r * 1.25 AS C, r / 3.0 AS D, 'Miasto ' || (r % 20) AS E, "
        "'Kontrahent numer ' || r AS F, 'Łódź' AS G, -r * 0.01 AS H, -r AS I, 'Opis pozycji ' || (r % 5000) || ' zażółć' AS J FROM n")});
    result.open();
    const double xls = best(3, [&] { writeExport(result, QStringLiteral("wynik.xls")); });
    const double xlwt = python(kXlwt, {QStringLiteral("65535"), dir.filePath(QStringLiteral("xlwt.xls"))});
    std::printf("XLS of 65,535 x 10: Kwerix %.3f s, python3-xlwt %.3f s: %.1fx faster (target >= 10)\n", xls, xlwt, xlwt / xls);

    // xls2csv of the xlwt workbook, in the catalogue's folder.
    QFile catalogue(dir.filePath(QStringLiteral("sqls.ini")));
    catalogue.open(QIODevice::WriteOnly);
    catalogue.close();
    double convert = 1e9;
    for (int i = 0; i < 3; ++i)
        convert = std::min(convert, runProgram(batch, {QStringLiteral("--catalogue"), dir.path(), QStringLiteral("xls2csv"),
                                                       QStringLiteral("xlwt.xls")},
                                               dir.path()));
    double xlrd = 1e9;
    for (int i = 0; i < 3; ++i)
        xlrd = std::min(xlrd, python(kXlrdToCsv, {dir.filePath(QStringLiteral("xlwt.xls")), dir.filePath(QStringLiteral("xlrd.csv"))}));
    std::printf("xls2csv of 65,535 x 10, best of three: kwerix-batch %.3f s (the whole program), python3-xlrd %.3f s: "
                "%.1fx faster (target >= 10)\n",
                convert, xlrd, xlrd / convert);

    // Peak memory of kwerix-batch exporting and printing the million rows.
    QFile::copy(batch, dir.filePath(QStringLiteral("kwerix-batch")));
    QFile sql(dir.filePath(QStringLiteral("wszystko.sql")));
    sql.open(QIODevice::WriteOnly);
    sql.write("SELECT * FROM \"duza.dbf\"\r\n");
    sql.close();
    const double tableMb = QFileInfo(dir.filePath(QStringLiteral("duza.dbf"))).size() / 1048576.0;
    long exportKb = 0, printKb = 0;
    const double exportTime = runProgram(dir.filePath(QStringLiteral("kwerix-batch")),
                                         {QStringLiteral("sql"), QStringLiteral("wszystko.sql"), QStringLiteral("--export"),
                                          QStringLiteral("wszystko.csv")},
                                         dir.path(), &exportKb);
    const double printTime = runProgram(dir.filePath(QStringLiteral("kwerix-batch")),
                                        {QStringLiteral("sql"), QStringLiteral("wszystko.sql")}, dir.path(), &printKb,
                                        dir.filePath(QStringLiteral("wypis.txt")));
    std::printf("kwerix-batch sql of %.0f MB of dBASE: --export CSV %.2f s, peak %.0f MB (%.1fx the file, target <= 3); "
                "standard output %.2f s, peak %.0f MB (%.1fx)\n",
                tableMb, exportTime, exportKb / 1024.0, exportKb / 1024.0 / tableMb, printTime, printKb / 1024.0,
                printKb / 1024.0 / tableMb);
    return 0;
}
