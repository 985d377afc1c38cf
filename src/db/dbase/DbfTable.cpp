#include "DbfTable.h"

#include "DbfMemo.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextHelpers.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <shapefil.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <strings.h>

namespace {

// shapelib works on the file through these hooks: the whole file is read into memory when opened
// and written back when closed, so that records cost no system calls. shapelib opens "<base>.dbf"
// or "<base>.DBF" itself; the hooks open the exact file meant instead, whatever its name, and no
// code page (.cpg) file. A new table goes into the device of its write when one is given.
thread_local const char *t_dbfPath = nullptr;
thread_local QIODevice *t_dbfDevice = nullptr;
thread_local QString t_shapelibError;

struct MemoryFile {
    QByteArray path;
    QIODevice *device = nullptr; // where a new file goes instead of path
    QByteArray data;          // a file being written, whole
    std::unique_ptr<QFile> mapped; // a file only read, mapped into memory
    const char *bytes = nullptr;
    qint64 size = 0;
    qint64 pos = 0;
    bool dirty = false;
};

MemoryFile *memoryFile(SAFile file)
{
    return reinterpret_cast<MemoryFile *>(file);
}

SAFile openFile(const char *name, const char *access)
{
    const size_t n = std::strlen(name);
    if (n >= 4 && strcasecmp(name + n - 4, ".cpg") == 0)
        return nullptr;
    auto file = std::make_unique<MemoryFile>();
    file->path = t_dbfPath ? t_dbfPath : name;
    file->device = t_dbfDevice;
    if (access[0] == 'w' || file->device) {
        file->dirty = true;
    } else if (std::strchr(access, '+')) {
        QFile disk(QFile::decodeName(file->path));
        if (!disk.open(QIODevice::ReadOnly))
            return nullptr;
        file->data = disk.readAll();
    } else {
        file->mapped = std::make_unique<QFile>(QFile::decodeName(file->path));
        if (!file->mapped->open(QIODevice::ReadOnly))
            return nullptr;
        file->size = file->mapped->size();
        file->bytes = file->size > 0 ? reinterpret_cast<const char *>(file->mapped->map(0, file->size)) : "";
        if (!file->bytes)
            return nullptr;
    }
    return reinterpret_cast<SAFile>(file.release());
}

// The whole file shapelib has open, as the hooks hold it.
QByteArrayView bytesOf(DBFHandle dbf)
{
    const MemoryFile *f = memoryFile(dbf->fp);
    return f->mapped ? QByteArrayView(f->bytes, f->size) : QByteArrayView(f->data);
}

SAOffset readFile(void *p, SAOffset size, SAOffset count, SAFile handle)
{
    MemoryFile *f = memoryFile(handle);
    if (size == 0)
        return 0;
    const char *bytes = f->mapped ? f->bytes : f->data.constData();
    const qint64 total = f->mapped ? f->size : f->data.size();
    const qint64 available = std::max<qint64>(0, total - f->pos);
    const SAOffset items = std::min<SAOffset>(count, static_cast<SAOffset>(available) / size);
    std::memcpy(p, bytes + f->pos, items * size);
    f->pos += static_cast<qint64>(items * size);
    return items;
}

SAOffset writeFile(void *p, SAOffset size, SAOffset count, SAFile handle)
{
    MemoryFile *f = memoryFile(handle);
    const qint64 bytes = static_cast<qint64>(size * count);
    if (f->pos + bytes > f->data.size())
        f->data.resize(f->pos + bytes, '\0');
    std::memcpy(f->data.data() + f->pos, p, static_cast<size_t>(bytes));
    f->pos += bytes;
    f->dirty = true;
    return count;
}

SAOffset seekFile(SAFile handle, SAOffset offset, int whence)
{
    MemoryFile *f = memoryFile(handle);
    const qint64 end = f->mapped ? f->size : f->data.size();
    const qint64 base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? end : 0;
    f->pos = base + static_cast<qint64>(offset);
    return 0;
}

SAOffset tellFile(SAFile handle)
{
    return static_cast<SAOffset>(memoryFile(handle)->pos);
}

int flushFile(SAFile)
{
    return 0;
}

int closeFile(SAFile handle)
{
    std::unique_ptr<MemoryFile> f(memoryFile(handle));
    if (!f->dirty)
        return 0;
    if (f->device) {
        // A new table is opened twice while it is made; each time its whole content is written.
        if (!f->device->seek(0) || f->device->write(f->data) != f->data.size()) {
            t_shapelibError = f->device->errorString();
            return -1;
        }
        return 0;
    }
    QFile disk(QFile::decodeName(f->path));
    if (!disk.open(QIODevice::WriteOnly | QIODevice::Truncate) || disk.write(f->data) != f->data.size()
        || !disk.flush()) {
        t_shapelibError = disk.errorString();
        return -1;
    }
    return 0;
}

// shapelib removes a code page file beside a new table; this program makes none.
int removeNothing(const char *)
{
    return 0;
}

void captureError(const char *message)
{
    t_shapelibError = QString::fromLocal8Bit(message);
}

struct DbfHandle {
    DBFHandle h = nullptr;
    DbfHandle() = default;
    explicit DbfHandle(DBFHandle handle) : h(handle) {}
    DbfHandle(const DbfHandle &) = delete;
    DbfHandle &operator=(const DbfHandle &) = delete;
    ~DbfHandle() { close(); }
    // False when the file could not be written back.
    bool close()
    {
        if (!h)
            return true;
        t_shapelibError.clear();
        DBFClose(h);
        h = nullptr;
        return t_shapelibError.isEmpty();
    }
};

SAHooks hooks()
{
    SAHooks h;
    SASetupDefaultHooks(&h);
    h.FOpen = openFile;
    h.FRead = readFile;
    h.FWrite = writeFile;
    h.FSeek = seekFile;
    h.FTell = tellFile;
    h.FFlush = flushFile;
    h.FClose = closeFile;
    h.Remove = removeNothing;
    h.Error = captureError;
    return h;
}

DBFHandle openDbf(const QString &path, const char *access)
{
    const QByteArray native = QFile::encodeName(path);
    SAHooks h = hooks();
    t_dbfPath = native.constData();
    t_shapelibError.clear();
    DBFHandle handle = DBFOpenLL(native.constData(), access, &h);
    t_dbfPath = nullptr;
    return handle;
}

DBFHandle createDbf(QIODevice &device)
{
    SAHooks h = hooks();
    t_dbfPath = "";
    t_dbfDevice = &device;
    t_shapelibError.clear();
    DBFHandle handle = DBFCreateLL("new.dbf", "LDID/200", &h);
    t_dbfPath = nullptr;
    t_dbfDevice = nullptr;
    return handle;
}

bool hasMemoVersion(unsigned char version)
{
    return version == 0x83 || version == 0x8B || version == 0xCB || version == 0xF5 || version == 0xFB
        || version == 0x30 || version == 0x31 || version == 0x32;
}

bool isFoxPro(unsigned char version)
{
    return version == 0xF5 || version == 0xFB || version == 0x30 || version == 0x31 || version == 0x32;
}

bool isVisualFoxPro(unsigned char version)
{
    return version == 0x30 || version == 0x31 || version == 0x32;
}

bool isMemoType(char type, unsigned char version)
{
    return type == 'M' || type == 'G' || type == 'P' || (type == 'B' && !isVisualFoxPro(version));
}

QString memoPathFor(const QString &path, bool foxPro)
{
    const QFileInfo info(path);
    const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
    const bool upper = info.suffix() == info.suffix().toUpper() && !info.suffix().isEmpty();
    const QString ext = foxPro ? QStringLiteral("fpt") : QStringLiteral("dbt");
    const QString wanted = base + QLatin1Char('.') + (upper ? ext.toUpper() : ext);
    return paths::resolveExisting(wanted);
}

// A byte as a message shows it: 0x0A.
QString hexByte(unsigned char byte)
{
    return QStringLiteral("0x") + QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

// The code page a table's language driver mark names, from the published list of dBASE and FoxPro
// marks; 0 when the mark names none (no mark, or "the system's ANSI code page": for this program,
// Windows-1250), -1 for a mark not in the list.
int codePageOfMark(unsigned char mark)
{
    static const std::map<unsigned char, int> codePages = {
        {0x01, 437},   {0x02, 850},   {0x03, 1252},  {0x04, 10000}, {0x08, 865},   {0x09, 437},   {0x0A, 850},
        {0x0B, 437},   {0x0D, 437},   {0x0E, 850},   {0x0F, 437},   {0x10, 850},   {0x11, 437},   {0x12, 850},
        {0x13, 932},   {0x14, 850},   {0x15, 437},   {0x16, 850},   {0x17, 865},   {0x18, 437},   {0x19, 437},
        {0x1A, 850},   {0x1B, 437},   {0x1C, 863},   {0x1D, 850},   {0x1F, 852},   {0x22, 852},   {0x23, 852},
        {0x24, 860},   {0x25, 850},   {0x26, 866},   {0x37, 850},   {0x40, 852},   {0x4D, 936},   {0x4E, 949},
        {0x4F, 950},   {0x50, 874},   {0x58, 1252},  {0x59, 1252},  {0x64, 852},   {0x65, 866},   {0x66, 865},
        {0x67, 861},   {0x68, 895},   {0x69, 620},   {0x6A, 737},   {0x6B, 857},   {0x6C, 863},   {0x78, 950},
        {0x79, 949},   {0x7A, 936},   {0x7B, 932},   {0x7C, 874},   {0x86, 737},   {0x87, 852},   {0x88, 857},
        {0x96, 10007}, {0x97, 10029}, {0x98, 10006}, {0xC8, 1250},  {0xC9, 1251},  {0xCA, 1254},  {0xCB, 1253},
        {0xCC, 1257},  {0x00, 0},     {0x57, 0},
    };
    const auto found = codePages.find(mark);
    return found == codePages.end() ? -1 : found->second;
}

// The codec of a table's mark. A mark not in the list, or naming a code page of more than one byte
// a character or of the Macintosh, is an error naming the mark: a table is never read in a code
// page it was not written in.
const SingleByteCodec &codecFor(unsigned char mark, const QString &path)
{
    const int codePage = codePageOfMark(mark);
    const QString hex = hexByte(mark);
    if (codePage < 0)
        throwTableError(QStringLiteral("The table's code page mark %1 is not a known dBASE language driver.").arg(hex), path);
    static const std::set<int> unsupported = {932, 936, 949, 950, 10000, 10006, 10007, 10029};
    if (unsupported.count(codePage))
        throwTableError(
            QStringLiteral("The table's code page mark %1 names code page %2, which this program cannot read.").arg(hex).arg(codePage), path);
    return codePage == 0 ? cp1250::codec() : codecForCodePage(codePage);
}

QByteArray trimmedRight(const char *p, int width)
{
    while (width > 0 && (p[width - 1] == ' ' || p[width - 1] == '\0'))
        --width;
    return QByteArray::fromRawData(p, width);
}

bool allDigits(const char *p, int n)
{
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
    }
    return true;
}

// Whether the reader knows a field type: those of dBASE III and IV, FoxPro and Visual FoxPro that
// hold values (Visual FoxPro's null flags, type '0', are passed over). Any other would read as an
// empty column.
bool isKnownType(char type)
{
    return type != '\0' && std::strchr("CNFDLIYTMBGP", type);
}

// A type letter for a message; a byte that is no printable letter in hexadecimal.
QString shownType(char type)
{
    const auto byte = static_cast<unsigned char>(type);
    return byte > 0x20 && byte < 0x7F ? QString(QLatin1Char(type)) : hexByte(byte);
}

// Whether a field's width is one its type can have: binary and date types have one width, memo
// pointers two (text in dBASE, a 32-bit number in Visual FoxPro).
bool widthSuits(char type, int width, unsigned char version)
{
    const bool vfp = isVisualFoxPro(version);
    switch (type) {
    case 'I': return width == 4;
    case 'Y': case 'T': case 'D': return width == 8;
    case 'L': return width == 1;
    case 'B': return width == (vfp ? 8 : 10);
    case 'M': case 'G': case 'P': return width == 10 || (vfp && width == 4);
    case 'N': case 'F': return width >= 1 && width <= 32;
    default: return width >= 1;
    }
}

FieldDef fieldDefFor(const char *name, char type, int width, int decimals, unsigned char version,
                     const SingleByteCodec &codec)
{
    FieldDef f;
    f.name = codec.decode(name, static_cast<qsizetype>(std::strlen(name))).trimmed();
    f.size = width;
    f.decimals = decimals;
    switch (type) {
    case 'C': f.type = FieldType::ftString; f.decimals = 0; break;
    case 'N':
        // Every 64-bit integer takes at most 20 characters; a larger value in such a field reads as a float.
        if (decimals > 0)
            f.type = FieldType::ftFloat;
        else
            f.type = width <= 9 ? FieldType::ftInteger : width <= 20 ? FieldType::ftLargeint : FieldType::ftFloat;
        break;
    case 'F': f.type = FieldType::ftFloat; break;
    case 'D': f.type = FieldType::ftDate; f.size = 0; break;
    case 'L': f.type = FieldType::ftBoolean; f.size = 0; break;
    case 'I': f.type = FieldType::ftInteger; f.size = 0; break;
    case 'Y': f.type = FieldType::ftCurrency; f.size = 0; f.decimals = 4; break;
    case 'T': f.type = FieldType::ftDateTime; f.size = 0; break;
    case 'M': f.type = FieldType::ftMemo; f.size = 0; break;
    case 'B':
        f.type = isVisualFoxPro(version) ? FieldType::ftFloat : FieldType::ftBlob;
        f.size = 0;
        break;
    default: f.type = FieldType::ftBlob; f.size = 0; break;
    }
    return f;
}

} // namespace

// ---- values --------------------------------------------------------------------------------------

namespace {

struct Codec {
    const SingleByteCodec *text;
    unsigned char version;
};

qint64 memoBlockOf(const char *p, const DbfTable::Column &c, unsigned char version)
{
    if (isVisualFoxPro(version) && c.width == 4)
        return qFromLittleEndian<qint32>(p);
    const QByteArray digits = QByteArray(p, c.width).trimmed();
    return digits.isEmpty() ? 0 : digits.toLongLong();
}

// Decodes one field; memos are read from the memo file when one is given.
void decodeField(const char *record, const DbfTable::Column &c, const Codec &codec, const DbfMemo *memo,
                 Cell &cell)
{
    const char *p = record + c.offset;
    cell.kind = Cell::Null;
    switch (c.nativeType) {
    case 'C': {
        const QByteArray raw = trimmedRight(p, c.width);
        cell.bytes.resize(0);
        codec.text->appendUtf8(cell.bytes, raw.constData(), raw.size());
        cell.kind = Cell::Text;
        return;
    }
    case 'N':
    case 'F': {
        char buffer[64];
        int n = 0;
        for (int i = 0; i < c.width && n < 63; ++i) {
            if (p[i] != ' ' && p[i] != '\0')
                buffer[n++] = p[i];
        }
        buffer[n] = '\0';
        if (n == 0 || buffer[0] == '*' || (n == 1 && (buffer[0] == '.' || buffer[0] == '-')))
            return;
        char *end = nullptr;
        if (c.decimals == 0 && !std::strchr(buffer, '.') && !std::strchr(buffer, 'e') && !std::strchr(buffer, 'E')) {
            errno = 0;
            const long long v = std::strtoll(buffer, &end, 10);
            if (*end == '\0' && errno == 0) {
                cell.kind = Cell::Integer;
                cell.i = v;
                return;
            }
        }
        const double v = std::strtod(buffer, &end);
        if (*end == '\0' && std::isfinite(v)) {
            cell.kind = Cell::Real;
            cell.r = v;
        }
        return;
    }
    case 'D': {
        if (c.width < 8 || !allDigits(p, 8))
            return;
        const int year = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
        const int month = (p[4] - '0') * 10 + (p[5] - '0');
        const int day = (p[6] - '0') * 10 + (p[7] - '0');
        if (year == 0 || month < 1 || month > 12 || day < 1 || day > QDate(year, month, 1).daysInMonth())
            return;
        cell.kind = Cell::Text;
        cell.bytes.resize(10);
        char *out = cell.bytes.data();
        std::memcpy(out, p, 4);
        out[4] = '-';
        std::memcpy(out + 5, p + 4, 2);
        out[7] = '-';
        std::memcpy(out + 8, p + 6, 2);
        return;
    }
    case 'L':
        if (std::strchr("TtYy", p[0]) && p[0]) {
            cell.kind = Cell::Integer;
            cell.i = 1;
        } else if (std::strchr("FfNn", p[0]) && p[0]) {
            cell.kind = Cell::Integer;
            cell.i = 0;
        }
        return;
    case 'I':
        cell.kind = Cell::Integer;
        cell.i = qFromLittleEndian<qint32>(p);
        return;
    case 'Y':
        cell.kind = Cell::Real;
        cell.r = static_cast<double>(qFromLittleEndian<qint64>(p)) / 10000.0;
        return;
    case 'T': {
        const qint32 day = qFromLittleEndian<qint32>(p);
        const qint32 ms = qFromLittleEndian<qint32>(p + 4);
        if (day == 0 && ms == 0)
            return;
        const QDateTime dt = QDateTime(QDate::fromJulianDay(day), QTime(0, 0), Qt::UTC).addMSecs(ms);
        cell.kind = Cell::Text;
        cell.bytes = dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
        return;
    }
    case 'B':
        if (isVisualFoxPro(codec.version)) {
            double v;
            std::memcpy(&v, p, 8);
            cell.kind = Cell::Real;
            cell.r = qFromLittleEndian(v);
            return;
        }
        [[fallthrough]];
    default: {
        if (!isMemoType(c.nativeType, codec.version) || !memo)
            return;
        const qint64 block = memoBlockOf(p, c, codec.version);
        if (block <= 0)
            return;
        const QByteArray data = memo->read(block);
        if (c.nativeType == 'M') {
            cell.kind = Cell::Text;
            cell.bytes.resize(0);
            codec.text->appendUtf8(cell.bytes, data.constData(), data.size());
        } else {
            cell.kind = Cell::Blob;
            cell.bytes = data;
        }
        return;
    }
    }
}

[[noreturn]] void refuse(const QString &problem, const DbfTable::Column &c, const QString &path)
{
    throwTableError(QStringLiteral("Field %1: %2").arg(c.def.name, problem), path);
}

// The widest number field other readers take, in characters.
constexpr int kMaxNumberWidth = 20;

// A finite number in fixed notation as this program shows it: an integer's digits, a float's 15
// significant digits (numbers::significantDigits).
QByteArray fixedText(const Cell &number)
{
    if (number.kind == Cell::Integer)
        return QByteArray::number(number.i);
    if (number.r == 0)
        return QByteArrayLiteral("0");
    char digits[17];
    int count = 0, exponent = 0;
    numbers::significantDigits(std::fabs(number.r), digits, count, exponent);
    QByteArray text = number.r < 0 ? QByteArrayLiteral("-") : QByteArray();
    if (exponent < 0)
        return text + "0." + QByteArray(-exponent - 1, '0') + QByteArray(digits, count);
    const int whole = exponent + 1;
    text += QByteArray(digits, std::min(count, whole)) + QByteArray(std::max(0, whole - count), '0');
    if (count > whole)
        text += '.' + QByteArray(digits + whole, count - whole);
    return text;
}

// The characters of a number's text before its point (sign and digits) and after it.
struct NumberExtent {
    int whole = 1;
    int places = 0;
    int width() const { return whole + (places > 0 ? places + 1 : 0); }
};

NumberExtent extentOf(const QByteArray &text)
{
    const qsizetype point = text.indexOf('.');
    if (point < 0)
        return {static_cast<int>(text.size()), 0};
    return {static_cast<int>(point), static_cast<int>(text.size() - point - 1)};
}

QByteArray numberText(const Cell &cell, const DbfTable::Column &c, const QString &path)
{
    const std::optional<Cell> number = numberOf(cell);
    if (!number)
        refuse(QStringLiteral("'%1' is not a number.").arg(QString::fromUtf8(cell.bytes)), c, path);
    if (number->kind == Cell::Real && !std::isfinite(number->r))
        refuse(QStringLiteral("the value is not a finite number."), c, path);
    QByteArray text = fixedText(*number);
    const int places = extentOf(text).places;
    // Only a float has places, and one with more than the field is rounded to the field's.
    if (places > c.decimals)
        return QByteArray::number(number->r, 'f', c.decimals);
    if (c.decimals > 0)
        text += (places == 0 ? QByteArrayLiteral(".") : QByteArray()) + QByteArray(c.decimals - places, '0');
    return text;
}

// Encodes one value into its place in the record; refuses what the field cannot hold.
void encodeField(char *record, const DbfTable::Column &c, const Cell &cell, const Codec &codec, DbfMemo *memo,
                 const QString &path)
{
    char *p = record + c.offset;
    const auto blank = [&] { std::memset(p, ' ', static_cast<size_t>(c.width)); };
    switch (c.nativeType) {
    case 'C': {
        blank();
        if (cell.isNull())
            return;
        QByteArray bytes;
        const QByteArray utf8 = cell.kind == Cell::Text || cell.kind == Cell::Blob ? cell.bytes : cell.asText().toUtf8();
        if (!codec.text->fromUtf8(utf8.constData(), utf8.size(), bytes))
            refuse(QStringLiteral("the text holds characters that code page %1 cannot hold.")
                       .arg(QString::fromLatin1(codec.text->name())), c, path);
        if (bytes.size() > c.width)
            refuse(QStringLiteral("the text of %1 characters is longer than the field (%2).")
                       .arg(QString::fromUtf8(utf8).size()).arg(c.width), c, path);
        std::memcpy(p, bytes.constData(), static_cast<size_t>(bytes.size()));
        return;
    }
    case 'N':
    case 'F': {
        blank();
        if (cell.isNull())
            return;
        const QByteArray text = numberText(cell, c, path);
        if (text.size() > c.width)
            refuse(QStringLiteral("the number %1 does not fit its width of %2.").arg(QString::fromLatin1(text)).arg(c.width),
                   c, path);
        std::memcpy(p + c.width - text.size(), text.constData(), static_cast<size_t>(text.size()));
        return;
    }
    case 'D': {
        blank();
        if (cell.isNull())
            return;
        const QDate date = QDate::fromString(QString::fromUtf8(cell.bytes).left(10), Qt::ISODate);
        if (cell.kind != Cell::Text || !date.isValid() || date.year() < 1 || date.year() > 9999)
            refuse(QStringLiteral("'%1' is not a date.").arg(cell.asText()), c, path);
        std::memcpy(p, date.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData(), 8);
        return;
    }
    case 'L':
        blank();
        if (!cell.isNull())
            p[0] = cell.asDouble() != 0 ? 'T' : 'F';
        return;
    case 'I':
        qToLittleEndian<qint32>(cell.isNull() ? 0 : static_cast<qint32>(cell.asInt64()), p);
        return;
    case 'Y':
        qToLittleEndian<qint64>(cell.isNull() ? 0 : static_cast<qint64>(std::llround(cell.asDouble() * 10000.0)), p);
        return;
    case 'T': {
        std::memset(p, 0, 8);
        if (cell.isNull())
            return;
        const QDateTime dt = QDateTime::fromString(QString::fromUtf8(cell.bytes), Qt::ISODate);
        if (!dt.isValid())
            refuse(QStringLiteral("'%1' is not a date and time.").arg(cell.asText()), c, path);
        qToLittleEndian<qint32>(static_cast<qint32>(dt.date().toJulianDay()), p);
        qToLittleEndian<qint32>(dt.time().msecsSinceStartOfDay(), p + 4);
        return;
    }
    case 'B':
        if (isVisualFoxPro(codec.version)) {
            const double v = qToLittleEndian(cell.asDouble());
            std::memcpy(p, &v, 8);
            return;
        }
        [[fallthrough]];
    default: {
        if (!isMemoType(c.nativeType, codec.version))
            refuse(QStringLiteral("fields of type %1 can't be written.").arg(QLatin1Char(c.nativeType)), c, path);
        qint64 block = 0;
        if (!cell.isNull()) {
            QByteArray data;
            if (c.nativeType == 'M') {
                const QByteArray utf8 = cell.kind == Cell::Text || cell.kind == Cell::Blob ? cell.bytes : cell.asText().toUtf8();
                if (!codec.text->fromUtf8(utf8.constData(), utf8.size(), data))
                    refuse(QStringLiteral("the memo holds characters that code page %1 cannot hold.")
                               .arg(QString::fromLatin1(codec.text->name())), c, path);
            } else {
                data = cell.bytes;
            }
            if (!memo->keepsWhole(data))
                refuse(QStringLiteral("the memo holds the byte 0x1A, which ends a dBASE III memo."), c, path);
            block = memo->append(data, c.nativeType != 'M');
        }
        if (isVisualFoxPro(codec.version) && c.width == 4) {
            qToLittleEndian<qint32>(static_cast<qint32>(block), p);
        } else {
            blank();
            if (block > 0) {
                const QByteArray digits = QByteArray::number(block);
                std::memcpy(p + c.width - digits.size(), digits.constData(), static_cast<size_t>(digits.size()));
            }
        }
        return;
    }
    }
}

} // namespace

// ---- the table -----------------------------------------------------------------------------------

namespace {

// What the first 32 bytes of a dBASE table tell; the field descriptors follow them.
constexpr qint64 kFileHeader = 32;

struct DbfHeader {
    unsigned char version = 0;
    int month = 0;
    int day = 0;
    qint64 records = 0;
    qint64 headerLength = 0;
    int recordLength = 0;
    unsigned char codePageMark = 0;
};

std::optional<DbfHeader> dbfHeaderOf(const QByteArray &bytes)
{
    if (bytes.size() < 32)
        return std::nullopt;
    // A copy: read in place, GCC's bounds check sees the one byte of an empty QByteArray.
    unsigned char h[32];
    std::memcpy(h, bytes.constData(), sizeof h);
    DbfHeader header;
    header.version = h[0];
    header.month = h[2];
    header.day = h[3];
    header.records = qFromLittleEndian<quint32>(h + 4);
    header.headerLength = qFromLittleEndian<quint16>(h + 8);
    header.recordLength = qFromLittleEndian<quint16>(h + 10);
    header.codePageMark = h[29];
    return header;
}

// dBASE 7 (level 7: version 4, 0x8C with a memo file) has a 68-byte header and field descriptors
// of 48 bytes, a layout shapelib does not read; a version 4 header whose length fits 32-byte
// descriptors is read as dBASE IV.
bool isDbase7(const DbfHeader &header)
{
    return header.version == 0x8C || (header.version == 0x04 && (header.headerLength - 69) % 48 == 0);
}

bool isDeletionFlag(char byte)
{
    return byte == ' ' || byte == '*';
}

// A record begins with its deletion flag where the header's length puts it.
void requireDeletionFlag(DBFHandle dbf, qint64 recNo, const QString &path)
{
    const QByteArrayView file = bytesOf(dbf);
    const qint64 at = dbf->nHeaderLength + recNo * dbf->nRecordLength;
    if (at >= file.size() || !isDeletionFlag(file[at]))
        throwTableError(QStringLiteral("Record %1 does not begin with a deletion flag: the header's length (%2 bytes) does not "
                                       "put the records where they are.")
                            .arg(recNo + 1)
                            .arg(dbf->nHeaderLength),
                        path);
}

// A header length one byte off would read every field shifted and a delete would write its flag
// over the header: the field list must end before the records begin (a header padded after it, as
// Visual FoxPro's backlink or a few bytes of other writers, is fine), and the first and the last
// record begin with a deletion flag.
void requireRecordsWhereHeaderPutsThem(DBFHandle dbf, const QString &path)
{
    const QByteArrayView file = bytesOf(dbf);
    const qint64 fieldListEnd = kFileHeader + static_cast<qint64>(dbf->nFields) * XBASE_FLDHDR_SZ;
    if (fieldListEnd >= dbf->nHeaderLength || file[fieldListEnd] != '\r')
        throwTableError(QStringLiteral("The header is %1 bytes long, but its field list does not end within it.").arg(dbf->nHeaderLength),
                        path);
    if (dbf->nRecords > 0) {
        requireDeletionFlag(dbf, 0, path);
        requireDeletionFlag(dbf, dbf->nRecords - 1, path);
    }
}

// A change is made only where records are as the header tells: every record it touches begins with
// a deletion flag, and the file holds no record beyond those the header counts, which an insert
// would write over.
void requireChangesFit(DBFHandle dbf, const std::vector<RecordChange> &changes, const QString &path)
{
    const QByteArrayView file = bytesOf(dbf);
    const qint64 end = dbf->nHeaderLength + static_cast<qint64>(dbf->nRecords) * dbf->nRecordLength;
    if (file.size() >= end + dbf->nRecordLength && isDeletionFlag(file[end]))
        throwTableError(QStringLiteral("The file holds more records than the %1 its header counts; its records are not changed.")
                            .arg(dbf->nRecords),
                        path);
    for (const RecordChange &change : changes) {
        if (change.kind != RecordChange::Insert && change.recNo >= 0 && change.recNo < dbf->nRecords)
            requireDeletionFlag(dbf, change.recNo, path);
    }
}

} // namespace

bool DbfTable::looksLikeDbf(const QByteArray &bytes)
{
    const std::optional<DbfHeader> header = dbfHeaderOf(bytes);
    if (!header)
        return false;
    const unsigned char version = header->version;
    const bool knownVersion = version == 0x02 || version == 0x03 || version == 0x04 || version == 0x05
        || hasMemoVersion(version) || version == 0x43 || version == 0x63 || version == 0x8C;
    return knownVersion && header->headerLength >= 33 && header->recordLength >= 1 && header->month <= 12
        && header->day <= 31;
}

DbfTable::DbfTable(const QString &path) : TableFile(path)
{
    DbfHeader header;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throwTableError(QStringLiteral("The table can't be opened: %1").arg(file.errorString()), path);
        const QByteArray bytes = file.read(32);
        if (!looksLikeDbf(bytes))
            throwTableError(QStringLiteral("The file is not a dBASE table (its header is not valid)."), path);
        header = *dbfHeaderOf(bytes);
        m_recordLength = header.recordLength;
        m_recordCount = header.records;
        if (isDbase7(header))
            throwTableError(QStringLiteral("dBASE 7 tables are not supported: save the table as dBASE IV or earlier in the "
                                           "program that made it."),
                            path);
        const bool fits = file.size() >= header.headerLength + m_recordCount * m_recordLength;
        // Version 2 is also dBASE II, whose header (a 16-bit record count at offset 1, field
        // descriptors from offset 8) read as dBASE III's gives a header length that no field list
        // makes, or more records than the file holds.
        if (header.version == 2 && (header.headerLength % 32 != 1 || !fits))
            throwTableError(QStringLiteral("dBASE II tables are not supported: save the table as dBASE III or later in the "
                                           "program that made it."),
                            path);
        if (!fits)
            throwTableError(QStringLiteral("The table is truncated: its header counts %1 records, the file holds %2.")
                                .arg(m_recordCount)
                                .arg(std::max<qint64>(0, (file.size() - header.headerLength) / m_recordLength)),
                            path);
    }
    m_version = header.version;
    m_codec = &codecFor(header.codePageMark, path);

    DbfHandle dbf(openDbf(path, "rb"));
    if (!dbf.h)
        throwTableError(QStringLiteral("The file is not a dBASE table. %1").arg(t_shapelibError), path);
    // The widths must fill the record exactly: a header whose field list was cut short or whose
    // widths were changed would otherwise give shifted columns.
    int widths = 1;
    for (int i = 0; i < DBFGetFieldCount(dbf.h); ++i)
        widths += dbf.h->panFieldSize[i];
    if (widths != m_recordLength)
        throwTableError(QStringLiteral("The field definitions do not add up to the record length."), path);
    requireRecordsWhereHeaderPutsThem(dbf.h, path);
    for (int i = 0; i < DBFGetFieldCount(dbf.h); ++i) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(dbf.h, i, name, &width, &decimals);
        const char type = DBFGetNativeFieldType(dbf.h, i);
        if (type == '0' && isVisualFoxPro(m_version))
            continue; // Visual FoxPro's null flags
        const QString shownName = m_codec->decode(name, static_cast<qsizetype>(std::strlen(name))).trimmed();
        if (!isKnownType(type))
            throwTableError(QStringLiteral("Field %1 has the type %2, which this program cannot read.").arg(shownName, shownType(type)),
                            path);
        if (!widthSuits(type, dbf.h->panFieldSize[i], m_version))
            throwTableError(QStringLiteral("Field %1 has a width (%2) its type %3 can't have.")
                                .arg(shownName)
                                .arg(dbf.h->panFieldSize[i])
                                .arg(QLatin1Char(type)),
                            path);
        Column c;
        c.nativeType = type;
        c.offset = dbf.h->panFieldOffset[i];
        c.width = width;
        c.decimals = type == 'N' || type == 'F' ? decimals : 0;
        c.def = fieldDefFor(name, type, width, c.decimals, m_version, *m_codec);
        if (c.offset + c.width > m_recordLength)
            throwTableError(QStringLiteral("Field %1 lies outside the record.").arg(c.def.name), path);
        m_hasMemo = m_hasMemo || isMemoType(type, m_version);
        m_columns.push_back(c);
    }
    if (m_columns.empty())
        throwTableError(QStringLiteral("The table has no fields."), path);
    if (m_hasMemo)
        requireMemoFile(memoPath(), path);
}

QString DbfTable::memoPath() const
{
    return memoPathFor(path(), isFoxPro(m_version));
}

QStringList DbfTable::companionFiles(const QString &path)
{
    QStringList files;
    for (const bool fox : {false, true}) {
        const QString memo = memoPathFor(path, fox);
        if (QFileInfo(memo).isFile())
            files.append(memo);
    }
    return files;
}

std::vector<FieldDef> DbfTable::fields() const
{
    return definitionsOf(m_columns);
}

void DbfTable::read(const std::function<void(qint64, const Row &)> &sink) const
{
    DbfHandle dbf(openDbf(path(), "rb"));
    if (!dbf.h)
        throwTableError(QStringLiteral("The table can't be opened. %1").arg(t_shapelibError), path());
    std::unique_ptr<DbfMemo> memo;
    if (m_hasMemo)
        memo = std::make_unique<DbfMemo>(memoPath(), isFoxPro(m_version) ? DbfMemo::Kind::FoxPro : DbfMemo::Kind::DBase3);
    const Codec codec{m_codec, m_version};
    Row row(m_columns.size());
    for (qint64 i = 0; i < m_recordCount; ++i) {
        const char *record = DBFReadTuple(dbf.h, static_cast<int>(i));
        if (!record)
            throwTableError(QStringLiteral("Record %1 can't be read. %2").arg(i + 1).arg(t_shapelibError), path());
        if (record[0] == '*')
            continue;
        for (size_t f = 0; f < m_columns.size(); ++f)
            decodeField(record, m_columns[f], codec, memo.get(), row[f]);
        sink(i, row);
    }
}

void DbfTable::apply(const std::vector<RecordChange> &changes)
{
    QString temporary;
    QString error = fileaccess::copyToTemporary(path(), temporary);
    if (!error.isEmpty())
        throwTableError(QStringLiteral("The table can't be copied for writing: %1").arg(error), path());
    const auto discard = [&] { QFile::remove(temporary); };
    std::unique_ptr<DbfMemo> memo;
    try {
        if (m_hasMemo)
            memo = std::make_unique<DbfMemo>(memoPath(), isFoxPro(m_version) ? DbfMemo::Kind::FoxPro
                                                                             : DbfMemo::Kind::DBase3);
        DbfHandle dbf(openDbf(temporary, "rb+"));
        if (!dbf.h)
            throwTableError(QStringLiteral("The table can't be opened for writing. %1").arg(t_shapelibError), path());
        requireChangesFit(dbf.h, changes, path());
        const Codec codec{m_codec, m_version};
        QByteArray record(m_recordLength, ' ');
        Cell old;
        for (const RecordChange &change : changes) {
            if (change.kind == RecordChange::Delete) {
                DBFMarkRecordDeleted(dbf.h, static_cast<int>(change.recNo), 1);
                continue;
            }
            qint64 recNo = change.recNo;
            if (change.kind == RecordChange::Insert) {
                recNo = DBFGetRecordCount(dbf.h);
                record.fill(' ');
                for (size_t f = 0; f < m_columns.size(); ++f)
                    encodeField(record.data(), m_columns[f], change.row[f], codec, memo.get(), path());
            } else {
                const char *stored = DBFReadTuple(dbf.h, static_cast<int>(recNo));
                if (!stored)
                    throwTableError(QStringLiteral("Record %1 can't be read.").arg(recNo + 1), path());
                record = QByteArray(stored, m_recordLength);
                for (size_t f = 0; f < m_columns.size(); ++f) {
                    decodeField(record.constData(), m_columns[f], codec, memo.get(), old);
                    if (!sameValue(old, change.row[f]))
                        encodeField(record.data(), m_columns[f], change.row[f], codec, memo.get(), path());
                }
            }
            if (!DBFWriteTuple(dbf.h, static_cast<int>(recNo), record.data()))
                throwTableError(QStringLiteral("Record %1 can't be written. %2").arg(recNo + 1).arg(t_shapelibError), path());
        }
        if (!dbf.close())
            throwTableError(QStringLiteral("The table can't be written: %1").arg(t_shapelibError), path());
        if (memo && memo->changed()) {
            error = fileaccess::replaceContent(memo->path(), memo->bytes());
            if (!error.isEmpty())
                throwTableError(QStringLiteral("The memo file can't be written: %1").arg(error), path());
        }
        error = fileaccess::commitTemporary(temporary, path());
        if (!error.isEmpty())
            throwTableError(QStringLiteral("The table can't be replaced: %1").arg(error), path());
    } catch (...) {
        discard();
        throw;
    }
}

namespace {

// The dBASE field a new table gives a result field.
DbfTable::Column columnFor(const FieldDef &f)
{
    DbfTable::Column c;
    c.def = f;
    switch (f.type) {
    case FieldType::ftString:
        c.nativeType = 'C';
        c.width = f.size > 0 ? f.size : 254;
        if (c.width > 254)
            c.nativeType = 'M', c.width = 10;
        break;
    case FieldType::ftSmallint: c.nativeType = 'N'; c.width = f.size > 0 ? f.size : 6; break;
    case FieldType::ftInteger: c.nativeType = 'N'; c.width = f.size > 0 ? f.size : 11; break;
    case FieldType::ftLargeint:
    case FieldType::ftAutoInc: c.nativeType = 'N'; c.width = f.size > 0 ? f.size : 20; break;
    case FieldType::ftFloat:
    case FieldType::ftBCD:
        c.nativeType = 'N';
        c.width = f.size > 0 ? f.size : 20;
        c.decimals = f.size > 0 ? f.decimals : 6;
        break;
    case FieldType::ftCurrency:
        c.nativeType = 'N';
        c.width = f.size > 0 ? f.size : 20;
        c.decimals = f.size > 0 ? f.decimals : 4;
        break;
    case FieldType::ftDate: c.nativeType = 'D'; c.width = 8; break;
    case FieldType::ftTime: c.nativeType = 'C'; c.width = 12; break;
    case FieldType::ftDateTime: c.nativeType = 'C'; c.width = 23; break;
    case FieldType::ftBoolean: c.nativeType = 'L'; c.width = 1; break;
    case FieldType::ftMemo:
    case FieldType::ftBlob:
    case FieldType::ftUnknown: c.nativeType = 'M'; c.width = 10; break;
    }
    c.width = std::min(c.width, 254);
    c.decimals = std::min(c.decimals, std::max(0, c.width - 2));
    return c;
}

// Field names of at most ten bytes, unique in the table.
std::vector<QByteArray> dbaseNames(const std::vector<FieldDef> &fields)
{
    std::vector<QByteArray> names;
    for (const FieldDef &f : fields) {
        QByteArray name = cp1250::encode(f.name).left(10);
        if (name.isEmpty())
            name = "POLE";
        QByteArray unique = name;
        for (int n = 1; std::find(names.begin(), names.end(), unique) != names.end(); ++n) {
            const QByteArray suffix = QByteArray::number(n);
            unique = name.left(10 - suffix.size()) + suffix;
        }
        names.push_back(unique);
    }
    return names;
}

} // namespace

namespace {

// A number as this program shows it, for a message.
QString shownNumber(const Cell &number)
{
    return number.kind == Cell::Integer ? QString::number(number.i) : numbers::formatFloat(number.r);
}

QString characters(int count)
{
    return text::counted(count, QStringLiteral("znak"), QStringLiteral("znaki"), QStringLiteral("znaków"));
}

} // namespace

FieldDef DbfTable::fitField(const QString &path, FieldDef field, const FieldValues &values)
{
    if (columnFor(field).nativeType == 'M') {
        for (qint64 r = 0; r < values.count; ++r) {
            if (values.at(r).bytes.contains('\x1A'))
                refuseValue(path, field, r, QStringLiteral("wartość zawiera bajt 0x1A (Ctrl+Z), którym plik memo tabeli dBASE "
                                                           "kończy wpis: reszta by przepadła. Tabela Paradox (.db) przechowuje "
                                                           "ją w całości."));
        }
        return field;
    }
    if (!isNumericType(field.type))
        return field;
    NumberExtent need;
    for (qint64 r = 0; r < values.count; ++r) {
        const std::optional<Cell> number = numberToStore(path, field, values, r);
        if (!number)
            continue;
        if (number->kind == Cell::Real && !std::isfinite(number->r))
            refuseValue(path, field, r, QStringLiteral("wartości %1 nie można zapisać w tabeli dBASE: nie jest liczbą skończoną.")
                                            .arg(shownNumber(*number)));
        const NumberExtent own = extentOf(fixedText(*number));
        if (own.width() > kMaxNumberWidth)
            refuseValue(path, field, r, QStringLiteral("liczba %1 zapisana cyframi ma %2, a pole liczbowe tabeli dBASE "
                                                       "mieści najwyżej %3. Zaokrąglij ją w zapytaniu.")
                                            .arg(shownNumber(*number), characters(own.width()))
                                            .arg(kMaxNumberWidth));
        const NumberExtent column{std::max(need.whole, own.whole), std::max(need.places, own.places)};
        if (column.width() > kMaxNumberWidth)
            refuseValue(path, field, r, QStringLiteral("liczba %1 nie zmieści się w jednym polu z wcześniejszymi liczbami tej "
                                                       "kolumny: razem potrzebują %2 przed przecinkiem i %3 po nim, a "
                                                       "pole liczbowe tabeli dBASE mieści najwyżej %4. Zaokrąglij je w zapytaniu.")
                                            .arg(shownNumber(*number), characters(column.whole))
                                            .arg(column.places)
                                            .arg(kMaxNumberWidth));
        need = column;
    }
    // The source's places stay where they fit: amounts keep their two decimals.
    if (!isIntegerType(field.type) && field.decimals > need.places
        && NumberExtent{need.whole, field.decimals}.width() <= kMaxNumberWidth)
        need.places = field.decimals;
    field.size = std::min(kMaxNumberWidth, std::max(field.size, need.width()));
    field.decimals = need.places;
    if (need.places > 0 && isIntegerType(field.type))
        field.type = FieldType::ftFloat;
    return field;
}

void DbfTable::create(const QString &path, const std::vector<FieldDef> &fields, const std::function<bool(Row &)> &rows)
{
    std::vector<Column> columns;
    bool hasMemo = false;
    for (const FieldDef &f : fields) {
        columns.push_back(columnFor(f));
        hasMemo = hasMemo || columns.back().nativeType == 'M';
    }
    if (columns.empty())
        throwTableError(QStringLiteral("A table needs at least one field."), path);

    const QString memoFile = memoPathFor(path, false);
    // The memo file replaces the old one only once the table has.
    std::optional<StagedFile> stagedMemo;
    fileaccess::writeThroughTemporary(path, [&](fileaccess::TemporaryFile &file) {
        DbfHandle dbf(createDbf(file));
        if (!dbf.h)
            throwTableError(QStringLiteral("The table can't be created. %1").arg(t_shapelibError), path);
        const std::vector<QByteArray> names = dbaseNames(fields);
        for (size_t i = 0; i < columns.size(); ++i) {
            if (DBFAddNativeFieldType(dbf.h, names[i].constData(), columns[i].nativeType, columns[i].width,
                                      columns[i].decimals) < 0)
                throwTableError(QStringLiteral("Field %1 can't be created. %2").arg(fields[i].name, t_shapelibError), path);
            columns[i].offset = dbf.h->panFieldOffset[i];
        }
        DbfMemo memo = DbfMemo::empty(memoFile, DbfMemo::Kind::DBase3);
        const Codec codec{&cp1250::codec(), static_cast<unsigned char>(hasMemo ? 0x83 : 0x03)};
        QByteArray record(dbf.h->nRecordLength, ' ');
        Row row;
        for (int recNo = 0; rows(row); ++recNo) {
            record.fill(' ');
            for (size_t f = 0; f < columns.size(); ++f)
                encodeField(record.data(), columns[f], f < row.size() ? row[f] : Cell(), codec, &memo, path);
            if (!DBFWriteTuple(dbf.h, recNo, record.data()))
                throwTableError(QStringLiteral("Record %1 can't be written. %2").arg(recNo + 1).arg(t_shapelibError), path);
        }
        if (!dbf.close())
            throwTableError(QStringLiteral("The table can't be written: %1").arg(t_shapelibError), path);
        if (hasMemo) {
            // shapelib writes a table without memos; the version byte tells readers to look for one.
            if (!file.seek(0) || file.write("\x83", 1) != 1)
                throwTableError(QStringLiteral("The table can't be written: %1").arg(file.errorString()), path);
            stagedMemo.emplace(memoFile, memo.bytes(), path);
        }
    });
    if (stagedMemo)
        stagedMemo->commit();
    else
        QFile::remove(memoFile);
}
