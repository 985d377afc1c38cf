#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstring>

// Record ids of the BIFF formats used here.
namespace biff {
enum : quint16 {
    BOF = 0x0809, EOF_ = 0x000A, CONTINUE = 0x003C, FILEPASS = 0x002F, CODEPAGE = 0x0042, FONT = 0x0031,
    FONT_BIFF2 = 0x0231, FORMAT = 0x041E, XF = 0x00E0, STYLE = 0x0293, PALETTE = 0x0092, BOUNDSHEET = 0x0085,
    COUNTRY = 0x008C, SST = 0x00FC, EXTSST = 0x00FF, DIMENSIONS = 0x0200, DIMENSIONS_BIFF2 = 0x0000, BLANK = 0x0201,
    MULBLANK = 0x00BE, NUMBER = 0x0203, RK = 0x027E, RK_OLD = 0x007E, MULRK = 0x00BD, LABELSST = 0x00FD,
    LABEL = 0x0204, RSTRING = 0x00D6, BOOLERR = 0x0205, FORMULA = 0x0006, FORMULA3 = 0x0206, FORMULA4 = 0x0406,
    STRING = 0x0207, STRING_BIFF2 = 0x0007, SHRFMLA = 0x04BC, ARRAY = 0x0221, INTEGER2 = 0x0002, NUMBER2 = 0x0003,
    LABEL2 = 0x0004, DATEMODE = 0x0022, ROW = 0x0208, WRITEACCESS = 0x005C, FILESHARING = 0x005B, DSF = 0x0161,
    TABID = 0x013D, WINDOWPROTECT = 0x0019, PROTECT = 0x0012, PASSWORD = 0x0013, PROT4REV = 0x01AF,
    PROT4REVPASS = 0x01BC, WINDOW1 = 0x003D, BACKUP = 0x0040, HIDEOBJ = 0x008D, PRECISION = 0x000E,
    REFRESHALL = 0x01B7, BOOKBOOL = 0x00DA, USESELFS = 0x0160, RECALCID = 0x01C1, CALCMODE = 0x000D,
    CALCCOUNT = 0x000C, REFMODE = 0x000F, ITERATION = 0x0011, DELTA = 0x0010, SAVERECALC = 0x005F,
    PRINTHEADERS = 0x002A, PRINTGRIDLINES = 0x002B, GRIDSET = 0x0082, GUTS = 0x0080, DEFAULTROWHEIGHT = 0x0225,
    WSBOOL = 0x0081, HEADER = 0x0014, FOOTER = 0x0015, HCENTER = 0x0083, VCENTER = 0x0084, SETUP = 0x00A1,
    DEFCOLWIDTH = 0x0055, WINDOW2 = 0x023E, SELECTION = 0x001D,
};
}

// Appends little-endian values to a record's data.
class RecordData {
public:
    QByteArray bytes;

    RecordData &u8(int v) { bytes.append(static_cast<char>(v)); return *this; }
    RecordData &u16(int v)
    {
        char b[2];
        qToLittleEndian<quint16>(static_cast<quint16>(v), b);
        bytes.append(b, 2);
        return *this;
    }
    RecordData &u32(quint32 v)
    {
        char b[4];
        qToLittleEndian<quint32>(v, b);
        bytes.append(b, 4);
        return *this;
    }
    RecordData &f64(double v)
    {
        char b[8];
        qToLittleEndian<double>(v, b);
        bytes.append(b, 8);
        return *this;
    }
    RecordData &raw(const QByteArray &b) { bytes.append(b); return *this; }
    RecordData &hex(const char *text) { bytes.append(QByteArray::fromHex(text)); return *this; }
};

// Text as BIFF8 writes it: one byte per character when every character is below U+0100,
// otherwise two.
inline bool fitsCompressed(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

inline QByteArray characterBytes(const QString &text, bool compressed)
{
    if (compressed)
        return text.toLatin1();
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text[i].unicode(), bytes.data() + 2 * i);
    return bytes;
}

// The published RK encoding of a number, when it has one.
bool encodeRk(double value, quint32 &rk);
double decodeRk(quint32 rk);
