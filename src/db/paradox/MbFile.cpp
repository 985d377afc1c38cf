#include "MbFile.h"

#include "db/TableFile.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <QtEndian>

namespace {
constexpr qsizetype kBlock = 0x1000;
}

MbFile::MbFile(const QString &path) : m_path(path)
{
    try {
        m_bytes = fileaccess::readAll(path);
    } catch (const Exception &e) {
        throwTableError(QStringLiteral("The memo file can't be read: %1").arg(e.message()), path);
    }
    if (m_bytes.size() < kBlock || m_bytes[0] != 0)
        throwTableError(QStringLiteral("The memo file has no valid header."), path);
}

MbFile MbFile::empty(const QString &path)
{
    QByteArray header(kBlock, '\0');
    char *h = header.data();
    qToLittleEndian<quint16>(1, h + 1);      // blocks in the header
    qToLittleEndian<quint16>(1, h + 3);      // modification count
    const char magic[] = {'\x82', '\x73', '\x02', '\x00', '\x29', '\x00'};
    std::copy(magic, magic + 6, h + 5);
    qToLittleEndian<quint16>(0x1000, h + 0x0B); // base size
    qToLittleEndian<quint16>(0x1000, h + 0x0D); // sub-block size
    h[0x10] = 0x10;                             // sub-chunk size
    qToLittleEndian<quint16>(0x40, h + 0x11);   // sub-allocation slots
    qToLittleEndian<quint16>(0x800, h + 0x13);  // sub-allocation threshold
    MbFile file(path, header);
    file.m_changed = true;
    return file;
}

QByteArray MbFile::read(quint32 offset, quint32 length) const
{
    const qsizetype block = offset & ~0xFFu;
    const int index = static_cast<int>(offset & 0xFF);
    const auto damaged = [&]() {
        throwTableError(QStringLiteral("A memo points to offset %1, which the memo file does not hold.").arg(block),
                        m_path);
    };
    if (block < kBlock || block + 12 > m_bytes.size())
        damaged();
    const unsigned char type = static_cast<unsigned char>(m_bytes[block]);
    const unsigned char *p = reinterpret_cast<const unsigned char *>(m_bytes.constData());
    if (type == 2) {
        const quint32 stored = qFromLittleEndian<quint32>(p + block + 3);
        if (stored != length || block + 9 + static_cast<qsizetype>(length) > m_bytes.size())
            damaged();
        return m_bytes.mid(block + 9, length);
    }
    if (type == 3 && index < 64) {
        const unsigned char *entry = p + block + 12 + index * 5;
        const qsizetype start = block + static_cast<qsizetype>(entry[0]) * 16;
        const qsizetype stored = (static_cast<qsizetype>(entry[1]) - 1) * 16 + entry[4];
        if (entry[0] == 0 || stored != length || start + stored > block + kBlock || start + stored > m_bytes.size())
            damaged();
        return m_bytes.mid(start, length);
    }
    damaged();
    return {};
}

quint32 MbFile::append(const QByteArray &data)
{
    const qsizetype start = (m_bytes.size() + kBlock - 1) / kBlock * kBlock;
    const qsizetype blocks = (9 + data.size() + kBlock - 1) / kBlock;
    if (start + blocks * kBlock > 0xFFFFFF00LL)
        throwTableError(QStringLiteral("The memo file would grow past its 4 GB limit."), m_path);
    m_bytes.resize(start, '\0');
    QByteArray stored(blocks * kBlock, '\0');
    stored[0] = 2;
    qToLittleEndian<quint16>(static_cast<quint16>(blocks), stored.data() + 1);
    qToLittleEndian<quint32>(static_cast<quint32>(data.size()), stored.data() + 3);
    qToLittleEndian<quint16>(1, stored.data() + 7);
    std::copy(data.constBegin(), data.constEnd(), stored.begin() + 9);
    m_bytes.append(stored);
    m_changed = true;
    return static_cast<quint32>(start) | 0xFF;
}
