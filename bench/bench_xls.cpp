// XLS writing and reading of a 65,535-row × 10-column sheet against Debian's python3-xlwt and
// python3-xlrd on the same cells, and the writer against plain fwrite of the file's bytes.
#include "BenchTiming.h"
#include "platform/RegionalSettings.h"
#include "xls/CompoundFile.h"
#include "xls/Workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using bench::seconds;

namespace {

// The cell of a row and column: integers, floats, repeated texts and distinct texts.
void fill(TSheet &sheet, int rows)
{
    for (int r = 0; r < rows; ++r) {
        sheet.setAsInteger(0, r, r);
        sheet.setAsInteger(1, r, r * 7 % 1000);
        sheet.setAsFloat(2, r, r * 1.25);
        sheet.setAsFloat(3, r, r / 3.0);
        sheet.setAsWideString(4, r, QStringLiteral("Miasto %1").arg(r % 20));
        sheet.setAsWideString(5, r, QStringLiteral("Kontrahent numer %1").arg(r));
        sheet.setAsWideString(6, r, QStringLiteral("Łódź"));
        sheet.setAsFloat(7, r, -r * 0.01);
        sheet.setAsInteger(8, r, -r);
        sheet.setAsWideString(9, r, QStringLiteral("Opis pozycji %1 zażółć").arg(r % 5000));
    }
}

const char kPeer[] = R"(
import sys, time, xlwt, xlrd
rows, path = int(sys.argv[1]), sys.argv[2]
t = time.time()
b = xlwt.Workbook(encoding='utf-8')
s = b.add_sheet('Sheet 1')
for r in range(rows):
    s.write(r, 0, r); s.write(r, 1, r * 7 % 1000); s.write(r, 2, r * 1.25); s.write(r, 3, r / 3.0)
    s.write(r, 4, 'Miasto %d' % (r % 20)); s.write(r, 5, 'Kontrahent numer %d' % r); s.write(r, 6, 'Łódź')
    s.write(r, 7, -r * 0.01); s.write(r, 8, -r); s.write(r, 9, 'Opis pozycji %d zażółć' % (r % 5000))
b.save(path)
w = time.time() - t
t = time.time()
sheet = xlrd.open_workbook(path).sheet_by_index(0)
n = sum(1 for r in range(sheet.nrows) for c in sheet.row_values(r))
print(w, time.time() - t, n)
)";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    RegionalSettings::set(RegionalSettings::polish());
    const int rows = argc > 1 ? atoi(argv[1]) : 65535;
    QTemporaryDir dir;

    // The best of three runs, so that a cold first run does not decide.
    double store = 1e9, fileOnly = 1e9, read = 1e9, coldTotal = 0;
    qint64 cells = 0;
    QElapsedTimer t;
    TXlsWorkbook book;
    book.filename = dir.filePath("kwerix.xls");
    for (int run = 0; run < 3; ++run) {
        book.clear();
        t.restart();
        fill(book.sheet(0), rows);
        store = std::min(store, seconds(t));
        t.restart();
        book.write();
        fileOnly = std::min(fileOnly, seconds(t));
        t.restart();
        TXlsWorkbook back;
        back.filename = book.filename;
        back.read();
        cells = back.sheet(0).cells().count();
        read = std::min(read, seconds(t));
        if (run == 0) {
            coldTotal = store + fileOnly + read;
            std::printf("first run: storing %.3f s, writing the file %.3f s, reading %.3f s\n", store, fileOnly, read);
        }
    }
    const double write = store + fileOnly;

    // The same bytes written with fwrite.
    QFile written(book.filename);
    written.open(QIODevice::ReadOnly);
    const QByteArray bytes = written.readAll();
    t.restart();
    FILE *f = std::fopen(qPrintable(dir.filePath("fwrite.bin")), "wb");
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
    std::fclose(f);
    const double plain = seconds(t);
    // The workbook stream's records, one fwrite each, as a plain BIFF writer would issue them.
    f = std::fopen(qPrintable(dir.filePath("records.bin")), "wb");
    const QByteArray stream = compound::readRootStream(book.filename, QStringLiteral("Workbook"));
    t.restart();
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const qsizetype length = 4 + static_cast<unsigned char>(stream[at + 2]) + 256 * static_cast<unsigned char>(stream[at + 3]);
        std::fwrite(stream.constData() + at, 1, static_cast<size_t>(std::min(length, stream.size() - at)), f);
        at += length;
    }
    std::fclose(f);
    const double perRecord = seconds(t);

    std::printf("sheet: %d rows x 10 columns, file %.1f MB, %lld cells read back\n", rows, bytes.size() / 1e6, cells);
    std::printf("Kwerix: write %.3f s (storing the cells %.3f s, writing the file %.3f s), read %.3f s\n", write, store,
                fileOnly, read);
    std::printf("fwrite of the file's bytes in one call: %.3f s, file writing/fwrite %.1f (target <= 3)\n", plain,
                fileOnly / plain);
    std::printf("fwrite of the file's bytes in record-sized pieces: %.3f s, file writing/that %.1f\n", perRecord,
                fileOnly / perRecord);
    if (qEnvironmentVariableIsSet("KWERIX_BENCH_NO_PEER"))
        return 0;
    QProcess peer;
    peer.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kPeer), QString::number(rows),
                                                    dir.filePath("xlwt.xls")});
    peer.waitForFinished(-1);
    const QList<QByteArray> peerTimes = peer.readAllStandardOutput().trimmed().split(' ');
    const double peerWrite = peerTimes.value(0).toDouble(), peerRead = peerTimes.value(1).toDouble();
    std::printf("python3-xlwt write %.3f s, python3-xlrd read %.3f s: ratio %.1f (target >= 10); first (cold) run %.3f s, "
                "ratio %.1f\n",
                peerWrite, peerRead, (peerWrite + peerRead) / (write + read), coldTotal, (peerWrite + peerRead) / coldTotal);
    return 0;
}
