#include "ParadoxTable.h"

#include "MbFile.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/Paths.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>

extern "C" {
#include <paradox.h>
}

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Where the header keeps what changes with the records.
constexpr int kNumRecords = 0x06;
constexpr int kNextBlock = 0x0A;
constexpr int kFileBlocks = 0x0C;
constexpr int kFirstBlock = 0x0E;
constexpr int kLastBlock = 0x10;
constexpr int kMaxBlocks = 0x3A;
constexpr int kAutoInc = 0x49;
constexpr int kBlockHeader = 6;
constexpr int kMostHeader = 0x10000; // a header's size is 16 bits
constexpr qint64 kJulianDayOfYearOne = 1721425; // the day before 0001-01-01, Paradox day 0
constexpr qint64 kMsPerDay = 86400000;

thread_local QString t_pxError;

void captureError(pxdoc_t *, int, const char *message, void *)
{
    if (t_pxError.isEmpty())
        t_pxError = QString::fromLocal8Bit(message).trimmed();
}

struct PxDoc {
    pxdoc_t *doc;
    PxDoc() : doc(PX_new2(captureError, nullptr, nullptr, nullptr)) { t_pxError.clear(); }
    ~PxDoc()
    {
        PX_close(doc);
        PX_delete(doc);
    }
    PxDoc(const PxDoc &) = delete;
    PxDoc &operator=(const PxDoc &) = delete;
};

// The codec of the code page a table's header names; a header naming none (0, and every Paradox 3
// table) is read as Windows-1250. A table is never read in a code page it was not written in.
const SingleByteCodec &codecFor(int codePage, const QString &path)
{
    if (codePage == 0)
        return cp1250::codec();
    if (!isSingleByteCodePage(codePage))
        throwTableError(QStringLiteral("The table's header names code page %1, which this program cannot read.").arg(codePage), path);
    return codecForCodePage(codePage);
}

FieldDef fieldDefFor(const QString &name, int type, int size)
{
    FieldDef f;
    f.name = name;
    switch (type) {
    case pxfAlpha: f.type = FieldType::ftString; f.size = size; break;
    case pxfDate: f.type = FieldType::ftDate; break;
    case pxfShort: f.type = FieldType::ftSmallint; break;
    case pxfLong: f.type = FieldType::ftInteger; break;
    case pxfAutoInc: f.type = FieldType::ftAutoInc; break;
    case pxfCurrency: f.type = FieldType::ftCurrency; break;
    case pxfNumber: f.type = FieldType::ftFloat; break;
    case pxfLogical: f.type = FieldType::ftBoolean; break;
    case pxfMemoBLOb: f.type = FieldType::ftMemo; break;
    // A formatted memo holds its text with the binary formatting of the program that wrote it:
    // shown as text it would be noise, so it is binary data as a graphic is.
    case pxfFmtMemoBLOb: f.type = FieldType::ftBlob; break;
    case pxfTime: f.type = FieldType::ftTime; break;
    case pxfTimestamp: f.type = FieldType::ftDateTime; break;
    case pxfBCD: f.type = FieldType::ftBCD; f.size = 32; f.decimals = size; break;
    default: f.type = FieldType::ftBlob; break;
    }
    return f;
}

bool isMemoField(int type)
{
    return type == pxfMemoBLOb || type == pxfBLOb || type == pxfFmtMemoBLOb || type == pxfOLE || type == pxfGraphic;
}

// Whether the size a header declares for a field is one its type can have: the numbers, dates and
// times have one size; alpha and bytes fields 1 to 255; a BCD field declares its decimals (0 to 32);
// memos, BLObs and graphics keep up to 240 bytes of their content in the record before the 10
// bytes of their reference.
bool sizeSuits(int type, int size)
{
    switch (type) {
    case pxfLogical: return size == 1;
    case pxfShort: return size == 2;
    case pxfLong: case pxfAutoInc: case pxfDate: case pxfTime: return size == 4;
    case pxfNumber: case pxfCurrency: case pxfTimestamp: return size == 8;
    case pxfBCD: return size <= 32;
    case pxfAlpha: case pxfBytes: return size >= 1 && size <= 255;
    default: return isMemoField(type) ? size >= 10 && size <= 250 : size >= 1;
    }
}

// The bytes a header gives the table's name: 261 from Paradox 7 on, 79 before.
int tableNameArea(int version)
{
    return version >= 12 ? 261 : 79;
}

bool allZero(const unsigned char *p, int n)
{
    for (int i = 0; i < n; ++i) {
        if (p[i])
            return false;
    }
    return true;
}

// Integers are stored big-endian with the sign bit flipped, so that they sort as bytes.
qint64 decodeInteger(const unsigned char *p, int n)
{
    quint64 v = p[0] ^ 0x80u;
    for (int i = 1; i < n; ++i)
        v = v << 8 | p[i];
    const int shift = 64 - 8 * n;
    return static_cast<qint64>(v << shift) >> shift;
}

void encodeInteger(unsigned char *p, int n, qint64 value)
{
    for (int i = n - 1; i >= 0; --i) {
        p[i] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
    p[0] ^= 0x80;
}

// Doubles are big-endian: positive ones with the sign bit set, negative ones with every bit inverted.
double decodeDouble(const unsigned char *p)
{
    unsigned char b[8];
    std::memcpy(b, p, 8);
    if (b[0] & 0x80) {
        b[0] &= 0x7F;
    } else {
        for (unsigned char &c : b)
            c = static_cast<unsigned char>(~c);
    }
    return qFromBigEndian<double>(b);
}

void encodeDouble(unsigned char *p, double value)
{
    qToBigEndian<double>(value, p);
    if (p[0] & 0x80) {
        for (int i = 0; i < 8; ++i)
            p[i] = static_cast<unsigned char>(~p[i]);
    } else {
        p[0] |= 0x80;
    }
}

// BCD: the first byte holds the sign (bit 7 set when positive) and the number of decimals; then
// 32 digits, inverted for negative numbers.
QByteArray decodeBcd(const unsigned char *p, int decimals)
{
    const bool positive = p[0] & 0x80;
    const unsigned char flip = positive ? 0 : 0x0F;
    QByteArray text = positive ? QByteArray() : QByteArray("-");
    QByteArray digits;
    for (int i = 2; i < 34; ++i) {
        const unsigned char nibble = (i % 2 ? p[i / 2] & 0x0F : p[i / 2] >> 4) ^ flip;
        digits.append(static_cast<char>('0' + std::min<int>(nibble, 9)));
    }
    QByteArray whole = digits.left(32 - decimals);
    while (whole.size() > 1 && whole.startsWith('0'))
        whole.remove(0, 1);
    text += whole;
    if (decimals > 0)
        text += '.' + digits.right(decimals);
    return text;
}

void encodeBcd(unsigned char *p, int decimals, double value)
{
    std::memset(p, 0, 17);
    const bool positive = value >= 0;
    const QByteArray text = QByteArray::number(std::fabs(value), 'f', decimals).replace(".", "");
    const QByteArray digits = text.rightJustified(32, '0').right(32);
    p[0] = static_cast<unsigned char>((positive ? 0x80 : 0x40) | (decimals & 0x3F));
    const unsigned char flip = positive ? 0 : 0x0F;
    for (int i = 2; i < 34; ++i) {
        const unsigned char nibble = static_cast<unsigned char>((digits[i - 2] - '0') ^ flip);
        p[i / 2] = static_cast<unsigned char>(i % 2 ? (p[i / 2] & 0xF0) | nibble : (p[i / 2] & 0x0F) | nibble << 4);
    }
}

QByteArray isoDate(qint64 paradoxDay)
{
    return QDate::fromJulianDay(kJulianDayOfYearOne + paradoxDay).toString(Qt::ISODate).toLatin1();
}

QByteArray isoTime(qint64 ms)
{
    const QTime t = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms % kMsPerDay));
    return t.toString(t.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss")).toLatin1();
}

struct Context {
    const SingleByteCodec *codec;
    const QString *path;
};

void decodeField(const unsigned char *record, const ParadoxTable::Column &c, const Context &ctx, const MbFile *memo,
                 Cell &cell)
{
    const unsigned char *p = record + c.offset;
    cell.kind = Cell::Null;
    if (isMemoField(c.pxType)) {
        const int lead = c.size - 10;
        const quint32 offset = qFromLittleEndian<quint32>(p + lead);
        const quint32 length = qFromLittleEndian<quint32>(p + lead + 4);
        if (length == 0)
            return;
        QByteArray data;
        if (length <= static_cast<quint32>(lead))
            data = QByteArray(reinterpret_cast<const char *>(p), length);
        else if (!memo)
            throwTableError(QStringLiteral("The memo file is missing."), *ctx.path);
        else
            data = memo->read(offset, length);
        if (c.def.type == FieldType::ftMemo) {
            cell.kind = Cell::Text;
            cell.bytes.resize(0);
            ctx.codec->appendUtf8(cell.bytes, data.constData(), data.size());
        } else {
            cell.kind = Cell::Blob;
            cell.bytes = data;
        }
        return;
    }
    if (c.pxType == pxfBytes) {
        cell.kind = Cell::Blob;
        cell.bytes = QByteArray(reinterpret_cast<const char *>(p), c.size);
        return;
    }
    if (allZero(p, c.size))
        return;
    switch (c.pxType) {
    case pxfAlpha: {
        int n = 0;
        while (n < c.size && p[n])
            ++n;
        cell.kind = Cell::Text;
        cell.bytes.resize(0);
        ctx.codec->appendUtf8(cell.bytes, reinterpret_cast<const char *>(p), n);
        return;
    }
    case pxfDate:
        cell.kind = Cell::Text;
        cell.bytes = isoDate(decodeInteger(p, 4));
        return;
    case pxfShort: case pxfLong: case pxfAutoInc:
        cell.kind = Cell::Integer;
        cell.i = decodeInteger(p, c.size);
        return;
    case pxfTime:
        cell.kind = Cell::Text;
        cell.bytes = isoTime(decodeInteger(p, 4));
        return;
    case pxfNumber: case pxfCurrency:
        cell.kind = Cell::Real;
        cell.r = decodeDouble(p);
        return;
    case pxfTimestamp: {
        const double v = decodeDouble(p);
        const qint64 ms = static_cast<qint64>(std::llround(v));
        cell.kind = Cell::Text;
        cell.bytes = isoDate(ms / kMsPerDay) + ' ' + isoTime(ms % kMsPerDay);
        return;
    }
    case pxfLogical:
        cell.kind = Cell::Integer;
        cell.i = p[0] & 0x7F ? 1 : 0;
        return;
    case pxfBCD:
        cell.kind = Cell::Real;
        cell.r = decodeBcd(p, c.def.decimals).toDouble();
        return;
    default:
        cell.kind = Cell::Blob;
        cell.bytes = QByteArray(reinterpret_cast<const char *>(p), c.size);
    }
}

[[noreturn]] void refuse(const QString &problem, const ParadoxTable::Column &c, const QString &path)
{
    throwTableError(QStringLiteral("Field %1: %2").arg(c.def.name, problem), path);
}

QDate dateOf(const Cell &cell, const ParadoxTable::Column &c, const QString &path)
{
    const QDate date = QDate::fromString(QString::fromUtf8(cell.bytes).left(10), Qt::ISODate);
    if (cell.kind != Cell::Text || !date.isValid() || date.year() < 1)
        refuse(QStringLiteral("'%1' is not a date.").arg(cell.asText()), c, path);
    return date;
}

qint64 msOfTime(const QString &text, const ParadoxTable::Column &c, const QString &path)
{
    QTime t = QTime::fromString(text, QStringLiteral("HH:mm:ss.zzz"));
    if (!t.isValid())
        t = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
    if (!t.isValid())
        t = QTime::fromString(text, QStringLiteral("HH:mm"));
    if (!t.isValid())
        refuse(QStringLiteral("'%1' is not a time.").arg(text), c, path);
    return t.msecsSinceStartOfDay();
}

QByteArray textBytes(const Cell &cell, const ParadoxTable::Column &c, const Context &ctx)
{
    const QByteArray utf8 = cell.kind == Cell::Text || cell.kind == Cell::Blob ? cell.bytes : cell.asText().toUtf8();
    QByteArray bytes;
    if (!ctx.codec->fromUtf8(utf8.constData(), utf8.size(), bytes))
        refuse(QStringLiteral("the text holds characters that code page %1 cannot hold.")
                   .arg(QString::fromLatin1(ctx.codec->name())), c, *ctx.path);
    return bytes;
}

qint64 integerOf(const Cell &cell, const ParadoxTable::Column &c, const QString &path, qint64 min, qint64 max)
{
    qint64 v;
    if (cell.kind == Cell::Integer) {
        v = cell.i;
    } else {
        const double d = cell.kind == Cell::Real ? cell.r : QString::fromUtf8(cell.bytes).trimmed().toDouble();
        if (cell.kind != Cell::Real && !QString::fromUtf8(cell.bytes).trimmed().contains(QRegularExpression(QStringLiteral("^[-+]?\\d+(\\.\\d*)?$"))))
            refuse(QStringLiteral("'%1' is not a number.").arg(cell.asText()), c, path);
        if (d != std::floor(d))
            refuse(QStringLiteral("%1 is not a whole number.").arg(cell.asText()), c, path);
        v = static_cast<qint64>(d);
    }
    if (v < min || v > max)
        refuse(QStringLiteral("%1 does not fit the field.").arg(v), c, path);
    return v;
}

// A double holds every integer up to this one; the next is 2^53 + 2.
constexpr qint64 kExactInDouble = qint64(1) << 53;

bool exactInDouble(qint64 value)
{
    return value <= kExactInDouble && value >= -kExactInDouble;
}

double doubleOf(const Cell &cell, const ParadoxTable::Column &c, const QString &path)
{
    const std::optional<Cell> number = numberOf(cell);
    if (!number)
        refuse(QStringLiteral("'%1' is not a number.").arg(cell.asText()), c, path);
    if (number->kind == Cell::Integer && !exactInDouble(number->i))
        refuse(QStringLiteral("%1 is beyond 2^53, the largest integer a Paradox number holds exactly.").arg(number->i), c, path);
    return number->asDouble();
}

void encodeField(unsigned char *record, const ParadoxTable::Column &c, const Cell &cell, const Context &ctx,
                 MbFile *memo)
{
    unsigned char *p = record + c.offset;
    std::memset(p, 0, static_cast<size_t>(c.size));
    if (cell.isNull())
        return;
    const QString &path = *ctx.path;
    if (isMemoField(c.pxType)) {
        const QByteArray data = c.def.type == FieldType::ftMemo ? textBytes(cell, c, ctx) : cell.bytes;
        const int lead = c.size - 10;
        std::memcpy(p, data.constData(), static_cast<size_t>(std::min<qsizetype>(lead, data.size())));
        const quint32 offset = data.size() <= lead ? 0 : memo->append(data);
        qToLittleEndian<quint32>(offset, p + lead);
        qToLittleEndian<quint32>(static_cast<quint32>(data.size()), p + lead + 4);
        qToLittleEndian<quint16>(data.size() <= lead ? 0 : 1, p + lead + 8);
        return;
    }
    switch (c.pxType) {
    case pxfAlpha: {
        const QByteArray bytes = textBytes(cell, c, ctx);
        if (bytes.size() > c.size)
            refuse(QStringLiteral("the text of %1 characters is longer than the field (%2).")
                       .arg(cell.asText().size()).arg(c.size), c, path);
        std::memcpy(p, bytes.constData(), static_cast<size_t>(bytes.size()));
        return;
    }
    case pxfDate:
        encodeInteger(p, 4, dateOf(cell, c, path).toJulianDay() - kJulianDayOfYearOne);
        return;
    case pxfShort: encodeInteger(p, 2, integerOf(cell, c, path, -32767, 32767)); return;
    case pxfLong:
    case pxfAutoInc: encodeInteger(p, 4, integerOf(cell, c, path, -2147483647, 2147483647)); return;
    case pxfTime: encodeInteger(p, 4, msOfTime(QString::fromUtf8(cell.bytes), c, path)); return;
    case pxfNumber:
    case pxfCurrency: encodeDouble(p, doubleOf(cell, c, path)); return;
    case pxfTimestamp: {
        const QString text = QString::fromUtf8(cell.bytes);
        const QDate date = dateOf(cell, c, path);
        const qint64 ms = text.size() > 10 ? msOfTime(text.mid(11), c, path) : 0;
        encodeDouble(p, static_cast<double>((date.toJulianDay() - kJulianDayOfYearOne) * kMsPerDay + ms));
        return;
    }
    case pxfLogical: p[0] = cell.asDouble() != 0 ? 0x81 : 0x80; return;
    case pxfBCD: encodeBcd(p, c.def.decimals, doubleOf(cell, c, path)); return;
    default: {
        if (cell.bytes.size() > c.size)
            refuse(QStringLiteral("the value is longer than the field."), c, path);
        std::memcpy(p, cell.bytes.constData(), static_cast<size_t>(cell.bytes.size()));
    }
    }
}

} // namespace

// ---- block walk ------------------------------------------------------------------------------------

struct ParadoxTable::Layout {
    const QByteArray &file;
    int headerSize;
    int blockSize;
    int recordSize;

    quint16 header16(int at) const { return qFromLittleEndian<quint16>(file.constData() + at); }
    qint64 blockOffset(int block) const { return headerSize + static_cast<qint64>(block - 1) * blockSize; }
    int recordsPerBlock() const { return (blockSize - kBlockHeader) / recordSize; }

    // Calls visit(blockNumber, offset, records) for every data block in chain order. A chain that
    // loops or names a block the header does not count is a damaged table; one whose records do
    // not all lie in the file is a truncated table. A last block cut short after its records (as
    // Paradox itself leaves some files) is whole.
    template <class Visit>
    void walk(const QString &path, Visit visit) const
    {
        requireAllRecords(path);
        chain(path, [&](int block, qint64 offset, int records) {
            visit(block, offset, records);
            return true;
        });
    }

    // The blocks a changed table keeps: every block its header counts and any more the file holds,
    // a last one cut short counted whole. A header counting blocks the file does not hold, or a
    // file holding more than a header can count, would make the changed table unreadable.
    int blocksKept(const QString &path) const
    {
        const int counted = header16(kFileBlocks);
        const qint64 inFile = std::max<qint64>(0, (file.size() - headerSize + blockSize - 1) / blockSize);
        if (counted > inFile || inFile > 0xFFFF)
            throwTableError(QStringLiteral("The table's header counts %1 data blocks of %2 bytes, its file holds %3; "
                                           "its records are not changed.")
                                .arg(counted)
                                .arg(blockSize)
                                .arg(inFile),
                            path);
        return static_cast<int>(std::max<qint64>(counted, inFile));
    }

private:
    // Follows the chain while step(block, offset, records) says so; records as the block claims.
    template <class Step>
    void chain(const QString &path, Step step) const
    {
        std::set<int> seen;
        const int fileBlocks = header16(kFileBlocks);
        int block = header16(kFirstBlock);
        while (block != 0) {
            if (block < 1 || block > fileBlocks || !seen.insert(block).second)
                throwTableError(QStringLiteral("The chain of data blocks is damaged at block %1.").arg(block), path);
            const qint64 offset = blockOffset(block);
            if (offset + kBlockHeader > file.size()) {
                step(block, offset, -1);
                return;
            }
            const auto *h = reinterpret_cast<const unsigned char *>(file.constData() + offset);
            const qint16 added = qFromLittleEndian<qint16>(h + 4);
            const int records = added >= 0 ? added / recordSize + 1 : 0;
            if (records > recordsPerBlock())
                throwTableError(QStringLiteral("Data block %1 claims more records than it can hold.").arg(block), path);
            if (!step(block, offset, records))
                return;
            block = qFromLittleEndian<quint16>(h);
        }
    }

    // A truncated table is refused, saying how many of its records are missing.
    void requireAllRecords(const QString &path) const
    {
        qint64 present = 0, cutShort = 0;
        chain(path, [&](int, qint64 offset, int records) {
            const qint64 inFile = std::max<qint64>(0, (file.size() - offset - kBlockHeader) / recordSize);
            present += records < 0 ? 0 : std::min<qint64>(records, inFile);
            cutShort = records < 0 ? 1 : std::max<qint64>(0, records - inFile);
            return cutShort == 0;
        });
        const qint64 counted = qFromLittleEndian<qint32>(file.constData() + kNumRecords);
        if (cutShort == 0) {
            if (counted != present)
                throwTableError(QStringLiteral("The table's header counts %1 records, its data blocks hold %2.").arg(counted).arg(present),
                                path);
            return;
        }
        const qint64 missing = std::max(counted - present, cutShort);
        throwTableError(QStringLiteral("The table is truncated: %1 of its %2 records are missing.")
                            .arg(missing)
                            .arg(std::max(counted, present + missing)),
                        path);
    }
};

// ---- the table -------------------------------------------------------------------------------------

bool ParadoxTable::looksLikeParadox(const QByteArray &header)
{
    if (header.size() < 0x58)
        return false;
    const auto *h = reinterpret_cast<const unsigned char *>(header.constData());
    const quint16 recordSize = qFromLittleEndian<quint16>(h);
    const quint16 headerSize = qFromLittleEndian<quint16>(h + 2);
    const int fileType = h[4];
    const int maxTableSize = h[5];
    const int version = h[0x39];
    return recordSize > 0 && headerSize >= 0x58 && (fileType == 0 || fileType == 2) && maxTableSize >= 1
        && maxTableSize <= 32 && version >= 3 && version <= 15;
}

ParadoxTable::ParadoxTable(const QString &path) : TableFile(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwTableError(QStringLiteral("The table can't be opened: %1").arg(file.errorString()), path);
    readHeader(file.read(kMostHeader), file.size());
    if (m_hasMemo)
        requireMemoFile(memoPath(), path);
}

ParadoxTable::ParadoxTable(const QString &path, const QByteArray &file) : TableFile(path)
{
    readHeader(file.left(kMostHeader), file.size());
}

// The header is read here rather than by pxlib, which follows a looping block chain forever.
void ParadoxTable::readHeader(const QByteArray &head, qint64 fileSize)
{
    const QString &path = this->path();
    const auto damaged = [&]() { throwTableError(QStringLiteral("The file is not a Paradox table (its header is damaged)."), path); };
    if (!looksLikeParadox(head))
        damaged();
    const auto *h = reinterpret_cast<const unsigned char *>(head.constData());
    m_recordSize = qFromLittleEndian<quint16>(h);
    m_headerSize = qFromLittleEndian<quint16>(h + 2);
    m_fileType = h[4];
    m_blockSize = h[5] * 0x400;
    const int fieldCount = qFromLittleEndian<quint16>(h + 0x21);
    m_keyFields = qFromLittleEndian<quint16>(h + 0x23);
    const int version = h[0x39];
    const bool dataHeader = version >= 5;
    const quint32 encryption = qFromLittleEndian<quint32>(h + 0x25);
    if (encryption != 0 && (encryption != 0xFF00FF00 || (dataHeader && qFromLittleEndian<quint32>(h + 0x5C) != 0)))
        throwTableError(QStringLiteral("The table is encrypted."), path);
    m_codec = &codecFor(dataHeader ? qFromLittleEndian<quint16>(h + 0x6A) : 0, path);
    if (m_headerSize > head.size() || fieldCount < 1 || fieldCount > 1024)
        damaged();

    // Field types and sizes, the table name and field name pointers, the table name in an area of
    // fixed size (which may hold leftover bytes after the name's zero), the names.
    qsizetype at = dataHeader ? 0x78 : 0x58;
    if (at + fieldCount * 2 + 4 + fieldCount * 4 + tableNameArea(version) > m_headerSize)
        damaged();
    std::vector<std::pair<int, int>> types;
    for (int i = 0; i < fieldCount; ++i, at += 2)
        types.emplace_back(h[at], h[at + 1]);
    at += 4 + fieldCount * 4 + tableNameArea(version);
    const auto nextZero = [&](qsizetype from) {
        const qsizetype zero = head.indexOf('\0', from);
        if (zero < 0 || zero >= m_headerSize)
            damaged();
        return zero;
    };
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const qsizetype end = nextZero(at);
        Column c;
        c.pxType = types[static_cast<size_t>(i)].first;
        c.size = c.pxType == pxfBCD ? 17 : types[static_cast<size_t>(i)].second;
        c.offset = offset;
        c.def = fieldDefFor(m_codec->decode(head.constData() + at, end - at), c.pxType, types[static_cast<size_t>(i)].second);
        if (!sizeSuits(c.pxType, types[static_cast<size_t>(i)].second))
            throwTableError(QStringLiteral("Field %1 has a size its type can't have.").arg(c.def.name), path);
        offset += c.size;
        m_hasMemo = m_hasMemo || isMemoField(c.pxType);
        m_columns.push_back(c);
        at = end + 1;
    }
    if (offset != m_recordSize || m_recordSize > m_blockSize - kBlockHeader)
        throwTableError(QStringLiteral("The field definitions do not add up to the record size."), path);
    if (fileSize < m_headerSize)
        throwTableError(QStringLiteral("The table is truncated: its header is not whole."), path);
}

QString ParadoxTable::memoPath() const
{
    const QFileInfo info(path());
    const bool upper = !info.suffix().isEmpty() && info.suffix() == info.suffix().toUpper();
    return paths::resolveExisting(info.path() + QLatin1Char('/') + info.completeBaseName()
                                  + (upper ? QStringLiteral(".MB") : QStringLiteral(".mb")));
}

QStringList ParadoxTable::companionFiles(const QString &path)
{
    // The memo file, the primary index (.PX), secondary indexes (.Xnn, .Ynn, .XGn, .YGn) and
    // validity checks (.VAL) share the table's base name.
    const QFileInfo info(path);
    const QString base = info.completeBaseName().toCaseFolded();
    static const QRegularExpression companion(QStringLiteral("^(mb|px|val|x[0-9g][0-9a-f]|y[0-9g][0-9a-f])$"));
    QStringList files;
    for (const QFileInfo &entry : QDir(info.path()).entryInfoList(QDir::Files)) {
        if (entry.completeBaseName().toCaseFolded() == base && companion.match(entry.suffix().toLower()).hasMatch())
            files.append(entry.filePath());
    }
    return files;
}

std::vector<FieldDef> ParadoxTable::fields() const
{
    return definitionsOf(m_columns);
}

std::vector<IndexDef> ParadoxTable::indexes() const
{
    if (m_keyFields <= 0)
        return {};
    IndexDef primary;
    primary.primary = true;
    for (int i = 0; i < m_keyFields && i < static_cast<int>(m_columns.size()); ++i)
        primary.fields.append(m_columns[static_cast<size_t>(i)].def.name);
    return {primary};
}

void ParadoxTable::read(const std::function<void(qint64, const Row &)> &sink) const
{
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly))
        throwTableError(QStringLiteral("The table can't be opened: %1").arg(file.errorString()), path());
    const QByteArray bytes = file.readAll();
    std::unique_ptr<MbFile> memo;
    if (m_hasMemo)
        memo = std::make_unique<MbFile>(memoPath());
    const Context ctx{m_codec, &path()};
    const Layout layout{bytes, m_headerSize, m_blockSize, m_recordSize};
    Row row(m_columns.size());
    qint64 recNo = 0;
    layout.walk(path(), [&](int, qint64 offset, int records) {
        for (int r = 0; r < records; ++r) {
            const auto *record = reinterpret_cast<const unsigned char *>(bytes.constData() + offset + kBlockHeader
                                                                         + r * m_recordSize);
            for (size_t f = 0; f < m_columns.size(); ++f)
                decodeField(record, m_columns[f], ctx, memo.get(), row[f]);
            sink(recNo++, row);
        }
    });
}

void ParadoxTable::patch(QByteArray &file, MbFile &memo, const std::vector<RecordChange> &changes) const
{
    const Context ctx{m_codec, &path()};
    const Layout layout{file, m_headerSize, m_blockSize, m_recordSize};
    struct Place {
        qint64 block;
        int slot;
    };
    std::vector<Place> places;
    std::vector<int> chain;
    layout.walk(path(), [&](int number, qint64 offset, int records) {
        chain.push_back(number);
        for (int r = 0; r < records; ++r)
            places.push_back({offset, r});
    });
    const auto recordAt = [&](const Place &p) {
        return reinterpret_cast<unsigned char *>(file.data() + p.block + kBlockHeader + p.slot * m_recordSize);
    };
    const auto placeOf = [&](qint64 recNo) {
        if (recNo < 0 || recNo >= static_cast<qint64>(places.size()))
            throwTableError(QStringLiteral("Record %1 does not exist.").arg(recNo + 1), path());
        return places[static_cast<size_t>(recNo)];
    };

    // A keyed table keeps its records in key order and its primary index points into its blocks;
    // only changes that leave both intact are made.
    const bool keyed = m_fileType == pxfFileTypIndexDB && m_keyFields > 0;
    Cell old;
    std::vector<qint64> deletions;
    std::vector<const RecordChange *> insertions;
    QByteArray keyBefore(m_recordSize, '\0');
    for (const RecordChange &change : changes) {
        if (change.kind == RecordChange::Delete) {
            deletions.push_back(change.recNo);
            continue;
        }
        if (change.kind == RecordChange::Insert) {
            insertions.push_back(&change);
            continue;
        }
        unsigned char *record = recordAt(placeOf(change.recNo));
        std::memcpy(keyBefore.data(), record, static_cast<size_t>(m_recordSize));
        for (size_t f = 0; f < m_columns.size(); ++f) {
            decodeField(record, m_columns[f], ctx, &memo, old);
            if (!sameValue(old, change.row[f]))
                encodeField(record, m_columns[f], change.row[f], ctx, &memo);
        }
        if (keyed) {
            const Column &lastKey = m_columns[static_cast<size_t>(std::min<int>(m_keyFields, static_cast<int>(m_columns.size())) - 1)];
            if (std::memcmp(keyBefore.constData(), record, static_cast<size_t>(lastKey.offset + lastKey.size)) != 0)
                throwTableError(QStringLiteral("Changing the primary key of a keyed table is not supported."), path());
        }
    }
    if (keyed && (!deletions.empty() || !insertions.empty()))
        throwTableError(QStringLiteral("Adding or deleting records of a keyed table is not supported: its primary "
                                       "index would go out of date."), path());

    qint32 numRecords = qFromLittleEndian<qint32>(file.constData() + kNumRecords);
    // Deleting closes the gap inside the block, from the highest record down.
    std::sort(deletions.rbegin(), deletions.rend());
    deletions.erase(std::unique(deletions.begin(), deletions.end()), deletions.end());
    for (const qint64 recNo : deletions) {
        const Place p = placeOf(recNo);
        auto *h = reinterpret_cast<unsigned char *>(file.data() + p.block);
        const int records = qFromLittleEndian<qint16>(h + 4) / m_recordSize + 1;
        unsigned char *record = recordAt(p);
        std::memmove(record, record + m_recordSize, static_cast<size_t>((records - 1 - p.slot) * m_recordSize));
        std::memset(recordAt({p.block, records - 1}), 0, static_cast<size_t>(m_recordSize));
        qToLittleEndian<qint16>(static_cast<qint16>((records - 2) * m_recordSize), h + 4);
        --numRecords;
    }

    // Inserting fills the last block of the chain, then adds blocks at the end of the file.
    qint32 autoInc = qFromLittleEndian<qint32>(file.constData() + kAutoInc);
    int fileBlocks = layout.blocksKept(path());
    file.resize(std::max<qint64>(file.size(), layout.blockOffset(fileBlocks + 1)), '\0');
    int last = chain.empty() ? 0 : chain.back();
    QByteArray encoded(m_recordSize, '\0');
    for (const RecordChange *change : insertions) {
        Row row = change->row;
        for (size_t f = 0; f < m_columns.size(); ++f) {
            if (m_columns[f].pxType != pxfAutoInc)
                continue;
            if (row[f].isNull())
                row[f] = Cell::integer(++autoInc);
            else
                autoInc = std::max<qint32>(autoInc, static_cast<qint32>(row[f].asInt64()));
        }
        for (size_t f = 0; f < m_columns.size(); ++f)
            encodeField(reinterpret_cast<unsigned char *>(encoded.data()), m_columns[f], row[f], ctx, &memo);
        int records = 0;
        if (last != 0)
            records = qFromLittleEndian<qint16>(file.constData() + layout.blockOffset(last) + 4) / m_recordSize + 1;
        if (last == 0 || records >= layout.recordsPerBlock()) {
            if (fileBlocks >= 0xFFFF)
                throwTableError(QStringLiteral("The table has reached its limit of data blocks."), path());
            const int added = ++fileBlocks;
            file.resize(m_headerSize + static_cast<qint64>(added) * m_blockSize, '\0');
            auto *h = reinterpret_cast<unsigned char *>(file.data() + layout.blockOffset(added));
            qToLittleEndian<quint16>(0, h);
            qToLittleEndian<quint16>(static_cast<quint16>(last), h + 2);
            qToLittleEndian<qint16>(static_cast<qint16>(-m_recordSize), h + 4);
            if (last != 0)
                qToLittleEndian<quint16>(static_cast<quint16>(added), file.data() + layout.blockOffset(last));
            else
                qToLittleEndian<quint16>(static_cast<quint16>(added), file.data() + kFirstBlock);
            last = added;
            records = 0;
        }
        auto *h = reinterpret_cast<unsigned char *>(file.data() + layout.blockOffset(last));
        std::memcpy(h + kBlockHeader + records * m_recordSize, encoded.constData(), static_cast<size_t>(m_recordSize));
        qToLittleEndian<qint16>(static_cast<qint16>(records * m_recordSize), h + 4);
        ++numRecords;
    }
    char *header = file.data();
    qToLittleEndian<qint32>(numRecords, header + kNumRecords);
    qToLittleEndian<qint32>(autoInc, header + kAutoInc);
    qToLittleEndian<quint16>(static_cast<quint16>(fileBlocks), header + kFileBlocks);
    qToLittleEndian<quint16>(static_cast<quint16>(fileBlocks), header + kNextBlock);
    qToLittleEndian<quint16>(static_cast<quint16>(fileBlocks), header + kMaxBlocks);
    qToLittleEndian<quint16>(static_cast<quint16>(last), header + kLastBlock);
}

namespace {

// Writes a table and its changed memo file: both are written in full before either replaces its
// file, the memo first (a changed memo still holds every blob the old records point to).
void writeTable(const QString &path, const QByteArray &file, const MbFile *memo)
{
    std::optional<StagedFile> stagedMemo;
    if (memo && memo->changed())
        stagedMemo.emplace(memo->path(), memo->bytes(), path);
    StagedFile table(path, file, path);
    if (stagedMemo)
        stagedMemo->commit();
    table.commit();
}

} // namespace

void ParadoxTable::apply(const std::vector<RecordChange> &changes)
{
    const QStringList companions = companionFiles(path());
    const bool secondaryIndexes = std::any_of(companions.cbegin(), companions.cend(), [](const QString &f) {
                                                  const QString ext = QFileInfo(f).suffix().toLower();
                                                  return ext.startsWith(QLatin1Char('x')) || ext.startsWith(QLatin1Char('y'));
                                              });
    if (secondaryIndexes)
        throwTableError(QStringLiteral("The table has secondary indexes, which this program can't keep up to date; "
                                       "its records are not changed."), path());
    QByteArray file;
    try {
        file = fileaccess::readAll(path());
    } catch (const Exception &e) {
        throwTableError(e.message(), path());
    }
    std::unique_ptr<MbFile> memo = m_hasMemo ? std::make_unique<MbFile>(memoPath())
                                             : std::make_unique<MbFile>(MbFile::empty(memoPath()));
    patch(file, *memo, changes);
    writeTable(path(), file, m_hasMemo ? memo.get() : nullptr);
}

namespace {

struct PxField {
    QByteArray name;
    int type;
    int size;
    int decimals;
};

PxField pxFieldFor(const FieldDef &f)
{
    switch (f.type) {
    case FieldType::ftString:
        if (f.size > 255)
            return {{}, pxfMemoBLOb, 30, 0};
        return {{}, pxfAlpha, f.size > 0 ? f.size : 255, 0};
    case FieldType::ftSmallint: return {{}, pxfShort, 2, 0};
    case FieldType::ftInteger: return {{}, pxfLong, 4, 0};
    case FieldType::ftAutoInc: return {{}, pxfAutoInc, 4, 0};
    case FieldType::ftLargeint: case FieldType::ftFloat: case FieldType::ftBCD: return {{}, pxfNumber, 8, 0};
    case FieldType::ftCurrency: return {{}, pxfCurrency, 8, 0};
    case FieldType::ftDate: return {{}, pxfDate, 4, 0};
    case FieldType::ftTime: return {{}, pxfTime, 4, 0};
    case FieldType::ftDateTime: return {{}, pxfTimestamp, 8, 0};
    case FieldType::ftBoolean: return {{}, pxfLogical, 1, 0};
    case FieldType::ftMemo: case FieldType::ftUnknown: return {{}, pxfMemoBLOb, 30, 0};
    case FieldType::ftBlob: return {{}, pxfBLOb, 30, 0};
    }
    return {{}, pxfAlpha, 255, 0};
}

struct CloseStream {
    void operator()(FILE *stream) const { std::fclose(stream); }
};

// The file pxlib makes for an empty table of these fields, made in memory: nothing touches the disk
// before the whole new table replaces the old one.
QByteArray emptyTable(const std::vector<PxField> &fields, const QString &path)
{
    const auto fail = [&](int error) {
        throwTableError(QStringLiteral("The table can't be created: %1").arg(systemErrorText(error)), path);
    };
    const int fd = ::memfd_create("kwerix-table", MFD_CLOEXEC);
    if (fd < 0)
        fail(errno);
    const std::unique_ptr<FILE, CloseStream> stream(::fdopen(fd, "w+b"));
    if (!stream) {
        const int error = errno;
        ::close(fd);
        fail(error);
    }
    {
        PxDoc px;
        auto *defs = static_cast<pxfield_t *>(px.doc->malloc(px.doc, sizeof(pxfield_t) * fields.size(), "fields"));
        for (size_t i = 0; i < fields.size(); ++i) {
            defs[i].px_fname = PX_strdup(px.doc, fields[i].name.constData());
            defs[i].px_ftype = static_cast<char>(fields[i].type);
            defs[i].px_flen = fields[i].size;
            defs[i].px_fdc = fields[i].decimals;
        }
        // pxlib takes no empty name (a file named ".db", or a folder the write will refuse).
        QByteArray tableName = cp1250::encode(QFileInfo(path).completeBaseName()).left(70);
        if (tableName.isEmpty())
            tableName = "Tabela";
        const bool made = PX_create_fp(px.doc, defs, static_cast<int>(fields.size()), stream.get(), pxfFileTypNonIndexDB) >= 0
            && PX_set_parameter(px.doc, "tablename", tableName.constData()) >= 0
            && PX_set_value(px.doc, "codepage", 1250) >= 0;
        if (!made)
            throwTableError(QStringLiteral("The table can't be created. %1").arg(t_pxError), path);
    } // closing the document writes the header
    if (std::fflush(stream.get()) != 0)
        fail(errno);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0)
        fail(errno);
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    if (::pread(fd, bytes.data(), static_cast<size_t>(size), 0) != size)
        fail(errno);
    return bytes;
}

// A type of integers widened until it holds the value; Short and Long leave out their lowest
// value, whose bytes mean null.
FieldType integerTypeHolding(FieldType type, qint64 value)
{
    if (type == FieldType::ftSmallint && (value > 32767 || value < -32767))
        type = FieldType::ftInteger;
    if ((type == FieldType::ftInteger || type == FieldType::ftAutoInc) && (value > 2147483647 || value < -2147483647))
        type = FieldType::ftLargeint;
    return type;
}

// Whether a new field of the type holds doubles (Number or Money).
bool isDoubleField(FieldType type)
{
    const int pxType = pxFieldFor(FieldDef{QString(), type}).type;
    return pxType == pxfNumber || pxType == pxfCurrency;
}

} // namespace

FieldDef ParadoxTable::fitField(const QString &path, FieldDef field, const FieldValues &values)
{
    if (field.type == FieldType::ftString) {
        // An Alpha field's text ends at a NUL: a text holding one is kept whole in a memo.
        for (qint64 r = 0; r < values.count && field.type == FieldType::ftString; ++r) {
            if (values.at(r).bytes.contains('\0'))
                field.type = FieldType::ftMemo;
        }
        return field;
    }
    if (!isNumericType(field.type))
        return field;
    for (qint64 r = 0; r < values.count; ++r) {
        const std::optional<Cell> number = numberToStore(path, field, values, r);
        if (!number)
            continue;
        if (number->kind == Cell::Real) {
            // SQLite holds no NaN: this program would read it back as null, other readers as NaN.
            if (std::isnan(number->r))
                refuseValue(path, field, r, QStringLiteral("wartości NAN nie można zapisać w tabeli Paradox: nie jest liczbą."));
            // Integer fields hold integers alone; a double holds any float.
            if (isIntegerType(field.type))
                field.type = FieldType::ftFloat;
            continue;
        }
        field.type = integerTypeHolding(field.type, number->i);
        if (isDoubleField(field.type) && !exactInDouble(number->i))
            refuseValue(path, field, r, QStringLiteral("liczby całkowitej %1 nie można zapisać w tabeli Paradox bez zmiany: jej pole "
                                                       "liczbowe przechowuje dokładnie liczby całkowite tylko do 2^53 "
                                                       "(9007199254740992). Tabela dBASE (.dbf) przechowuje ją dokładnie.")
                                            .arg(number->i));
    }
    return field;
}

void ParadoxTable::create(const QString &path, const std::vector<FieldDef> &fields,
                          const std::function<bool(Row &)> &rows)
{
    if (fields.empty())
        throwTableError(QStringLiteral("A table needs at least one field."), path);
    std::vector<PxField> pxFields;
    bool hasMemo = false;
    for (const FieldDef &f : fields) {
        PxField px = pxFieldFor(f);
        QByteArray name = cp1250::encode(f.name).left(25);
        if (name.isEmpty())
            name = "Pole";
        QByteArray unique = name;
        for (int n = 1; std::any_of(pxFields.begin(), pxFields.end(), [&](const PxField &o) {
                 return o.name.toLower() == unique.toLower();
             });
             ++n)
            unique = name.left(25 - QByteArray::number(n).size()) + QByteArray::number(n);
        px.name = unique;
        hasMemo = hasMemo || isMemoField(px.type);
        pxFields.push_back(px);
    }

    // pxlib makes the header of an empty table; the records are added like any insert.
    QByteArray file = emptyTable(pxFields, path);
    const ParadoxTable table(path, file);
    const QFileInfo info(path);
    const bool upper = !info.suffix().isEmpty() && info.suffix() == info.suffix().toUpper();
    MbFile memo = MbFile::empty(info.path() + QLatin1Char('/') + info.completeBaseName()
                                + (upper ? QStringLiteral(".MB") : QStringLiteral(".mb")));
    std::vector<RecordChange> inserts;
    Row row;
    while (rows(row))
        inserts.push_back({RecordChange::Insert, -1, row});
    table.patch(file, memo, inserts);

    const QStringList stale = companionFiles(path);
    writeTable(path, file, hasMemo ? &memo : nullptr);
    // Indexes and memos of the table that was replaced belong to it no more.
    for (const QString &old : stale) {
        if (!hasMemo || old != memo.path())
            QFile::remove(old);
    }
}
