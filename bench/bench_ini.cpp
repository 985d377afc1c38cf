// Catalogue memory: a 16 MB profile file of a million small sections must take at most 20 times
// its size once read (against the size of the file itself), and lookups and a write must stay
// quick (against reading and decoding the file's bytes alone).
#include "BenchTiming.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"
#include "platform/IniFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <malloc.h>

using bench::seconds;

namespace {

size_t heapInUse()
{
    return mallinfo2().uordblks + mallinfo2().hblkhd;
}

QByteArray manySections(int sections)
{
    QByteArray bytes;
    bytes.reserve(sections * 17);
    for (int i = 0; i < sections; ++i)
        bytes += "[Z" + QByteArray::number(i) + "]\r\nA=1\r\n";
    return bytes;
}

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QTemporaryDir dir;
    const QString path = dir.filePath("kwerix.ini");
    const int sections = 1000000;
    const QByteArray bytes = manySections(sections);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }
    const double size = bytes.size();

    const double decode = seconds([&] { cp1250::decode(fileaccess::readAll(path)).size(); });
    IniFile ini(path);
    const size_t before = heapInUse();
    const double load = seconds([&] { ini.sectionExists("Z0"); });
    const double held = double(heapInUse() - before);
    std::printf("%d sections, %.1f MB: held %.1f MB, %.1f times the file (target <= 20)\n", sections, size / 1e6,
                held / 1e6, held / size);
    std::printf("read %.3f s; the file's bytes read and decoded alone %.3f s; ratio %.2f\n", load, decode,
                load / decode);

    const double lookups = seconds([&] {
        for (int i = 0; i < 100000; ++i)
            ini.readString(QStringLiteral("z%1").arg(i * 9 % sections), "a", "");
    });
    std::printf("100,000 lookups %.3f s (%.2f us each)\n", lookups, lookups * 10);
    const double write = seconds([&] { ini.writeString("Z500000", "B", "2"); });
    std::printf("one write (the whole file saved) %.3f s; ratio to reading it %.2f\n", write, write / decode);
    return held / size <= 20 ? 0 : 2;
}
