#include "DbfMemo.h"

#include "db/TableFile.h"
#include "platform/FileAccess.h"
#include "platform/Errors.h"

#include <QtEndian>

namespace {

quint32 le32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint32 be32(const QByteArray &b, qsizetype at) { return qFromBigEndian<quint32>(b.constData() + at); }

} // namespace

DbfMemo::DbfMemo(QString path, Kind kind, QByteArray bytes)
    : m_path(std::move(path)), m_kind(kind), m_bytes(std::move(bytes))
{
}

DbfMemo::DbfMemo(const QString &path, Kind kind) : m_path(path), m_kind(kind)
{
    try {
        m_bytes = fileaccess::readAll(path);
    } catch (const Exception &e) {
        throwTableError(QStringLiteral("The memo file can't be read: %1").arg(e.message()), path);
    }
    if (m_bytes.size() < 512)
        throwTableError(QStringLiteral("The memo file is too short to hold its header."), path);
    // dBASE IV writes its block size into the header; dBASE III memos have no block headers.
    if (m_kind == Kind::DBase3 && m_bytes.size() >= 520 && static_cast<unsigned char>(m_bytes[512]) == 0xFF
        && static_cast<unsigned char>(m_bytes[513]) == 0xFF && m_bytes[514] == 0x08 && m_bytes[515] == 0)
        m_kind = Kind::DBase4;
    if (blockSize() <= 0)
        throwTableError(QStringLiteral("The memo file's header gives no block size."), path);
}

DbfMemo DbfMemo::empty(const QString &path, Kind kind)
{
    QByteArray header(512, '\0');
    DbfMemo memo(path, kind, header);
    if (kind == Kind::FoxPro) {
        qToBigEndian<quint16>(64, header.data() + 6);
        memo.m_bytes = header;
        memo.setNextFreeBlock(512 / 64);
    } else {
        if (kind == Kind::DBase4)
            qToLittleEndian<quint16>(512, memo.m_bytes.data() + 20);
        memo.setNextFreeBlock(1);
    }
    memo.m_changed = true;
    return memo;
}

qint64 DbfMemo::blockSize() const
{
    switch (m_kind) {
    case Kind::DBase3: return 512;
    case Kind::DBase4: {
        const quint16 size = qFromLittleEndian<quint16>(m_bytes.constData() + 20);
        return size == 0 ? 512 : size;
    }
    case Kind::FoxPro: return qFromBigEndian<quint16>(m_bytes.constData() + 6);
    }
    return 512;
}

void DbfMemo::setNextFreeBlock(qint64 block)
{
    if (m_kind == Kind::FoxPro)
        qToBigEndian<quint32>(static_cast<quint32>(block), m_bytes.data());
    else
        qToLittleEndian<quint32>(static_cast<quint32>(block), m_bytes.data());
}

QByteArray DbfMemo::read(qint64 block) const
{
    const qint64 start = block * blockSize();
    if (block <= 0 || start >= m_bytes.size())
        throwTableError(QStringLiteral("A memo points to block %1, outside the memo file.").arg(block), m_path);
    switch (m_kind) {
    case Kind::DBase3: {
        // The text runs up to the end marker 0x1A (written twice), or to the end of the file.
        const qsizetype end = m_bytes.indexOf('\x1A', start);
        return m_bytes.mid(start, (end < 0 ? m_bytes.size() : end) - start);
    }
    case Kind::DBase4: {
        if (start + 8 > m_bytes.size())
            break;
        const qint64 length = static_cast<qint64>(le32(m_bytes, start + 4)) - 8;
        if (length < 0 || start + 8 + length > m_bytes.size())
            break;
        return m_bytes.mid(start + 8, length);
    }
    case Kind::FoxPro: {
        if (start + 8 > m_bytes.size())
            break;
        const qint64 length = be32(m_bytes, start + 4);
        if (start + 8 + length > m_bytes.size())
            break;
        return m_bytes.mid(start + 8, length);
    }
    }
    throwTableError(QStringLiteral("The memo at block %1 runs past the end of the memo file.").arg(block), m_path);
}

qint64 DbfMemo::append(const QByteArray &data, bool binary)
{
    const qint64 size = blockSize();
    // A new memo goes after the last block of the file, wherever the header says the free space
    // begins: one that says less would have it overwrite an old memo, one that says more (damage)
    // would grow the file by the gap.
    const qint64 block = (static_cast<qint64>(m_bytes.size()) + size - 1) / size;
    QByteArray stored;
    switch (m_kind) {
    case Kind::DBase3:
        stored = data + QByteArray("\x1A\x1A", 2);
        break;
    case Kind::DBase4:
        stored = QByteArray("\xFF\xFF\x08\x00", 4) + QByteArray(4, '\0') + data;
        qToLittleEndian<quint32>(static_cast<quint32>(data.size() + 8), stored.data() + 4);
        break;
    case Kind::FoxPro:
        stored = QByteArray(8, '\0') + data;
        qToBigEndian<quint32>(binary ? 0 : 1, stored.data());
        qToBigEndian<quint32>(static_cast<quint32>(data.size()), stored.data() + 4);
        break;
    }
    const qint64 blocks = (stored.size() + size - 1) / size;
    stored.resize(blocks * size, '\0');
    m_bytes.resize(block * size, '\0');
    m_bytes.append(stored);
    setNextFreeBlock(block + blocks);
    m_changed = true;
    return block;
}
