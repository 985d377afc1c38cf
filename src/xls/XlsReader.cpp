#include "Biff.h"
#include "CompoundFile.h"
#include "Workbook.h"

#include "platform/ByteBuffer.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"

namespace {

// A read-only view of one record's data with bounds-checked accessors. A strict view refuses to
// read past the record's end; a lenient one, for records the cells' values do not need (formats,
// fonts, styles, names), reads numbers past it as 0 and strings as the characters present.
class Data {
public:
    Data(const char *p, qsizetype n) : m_p(reinterpret_cast<const unsigned char *>(p)), m_n(n) {}
    Data lenient() const
    {
        Data d = *this;
        d.m_lenient = true;
        return d;
    }
    qsizetype size() const { return m_n; }
    void need(qsizetype at, qsizetype count) const
    {
        if (!has(at, count))
            throw XlsError(QStringLiteral("The record is shorter than its content (%1 bytes)").arg(m_n));
    }
    // Of count items of unit bytes from at, how many are read: all (or an error) in a strict view,
    // those present in a lenient one.
    qsizetype fit(qsizetype at, qsizetype count, int unit) const
    {
        if (!m_lenient)
            need(at, count * unit);
        return has(at, count * unit) ? count : std::max<qsizetype>(0, (m_n - at) / unit);
    }
    int u8(qsizetype at) const { return present(at, 1) ? m_p[at] : 0; }
    int u16(qsizetype at) const { return present(at, 2) ? qFromLittleEndian<quint16>(m_p + at) : 0; }
    quint32 u32(qsizetype at) const { return present(at, 4) ? qFromLittleEndian<quint32>(m_p + at) : 0; }
    double f64(qsizetype at) const { need(at, 8); return qFromLittleEndian<double>(m_p + at); }
    QByteArray bytes(qsizetype at, qsizetype count) const
    {
        need(at, count);
        return QByteArray(reinterpret_cast<const char *>(m_p + at), count);
    }
    const unsigned char *at(qsizetype at) const { return m_p + at; }

private:
    bool has(qsizetype at, qsizetype count) const { return at >= 0 && count >= 0 && at + count <= m_n; }
    // Whether a number lies in the record; past its end an error, or 0 in a lenient view.
    bool present(qsizetype at, qsizetype count) const
    {
        if (!m_lenient)
            need(at, count);
        return has(at, count);
    }

    const unsigned char *m_p;
    qsizetype m_n;
    bool m_lenient = false;
};

QString latin1(const unsigned char *p, qsizetype n)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(p), n);
}

QString utf16(const unsigned char *p, qsizetype characters)
{
    QString text(characters, Qt::Uninitialized);
    for (qsizetype i = 0; i < characters; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
    return text;
}

const int kErrorCodes[] = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};

int errorNumberOf(int code)
{
    for (int i = 0; i < 7; ++i) {
        if (kErrorCodes[i] == code)
            return i + 1;
    }
    return 0;
}

struct Stop {};

bool isBof(quint16 id)
{
    return id == biff::BOF || id == 0x0009 || id == 0x0209 || id == 0x0409;
}

// The version a workbook stream's first record tells: the id of its BOF up to BIFF4, from BIFF5 on
// the BOF's version field (0x0600 BIFF8, 0x0500 BIFF5); biff5Or8 when that field names neither.
TExcelVersion versionOfBof(const ByteBuffer &stream, TExcelVersion biff5Or8)
{
    if (stream.size() < 4 || stream[0] != 0x09)
        return TExcelVersion::xvNone;
    switch (static_cast<unsigned char>(stream[1])) {
    case 0x00: return TExcelVersion::xvExcel21;
    case 0x02: return TExcelVersion::xvExcel30;
    case 0x04: return TExcelVersion::xvExcel40;
    case 0x08: {
        const int major = stream.size() >= 6 ? static_cast<unsigned char>(stream[5]) : 0;
        return major == 0x06 ? TExcelVersion::xvExcel97 : major == 0x05 ? TExcelVersion::xvExcel50 : biff5Or8;
    }
    default: return TExcelVersion::xvNone;
    }
}

class Reader {
public:
    explicit Reader(TXlsWorkbook &book) : m_book(book) {}

    void run()
    {
        open();
        m_book.setVersion(m_version);
        firstRecord();
        m_book.defaults = false;
        walk();
        requireEnd();
    }

private:
    bool biff8() const { return m_version == TExcelVersion::xvExcel97; }

    void open()
    {
        const QString &path = m_book.filename;
        if (!compound::isCompoundFile(path)) {
            const QByteArray plain = fileaccess::readAll(path);
            m_stream.append(plain.constData(), plain.size());
            m_version = versionOfBof(m_stream, TExcelVersion::xvExcel50);
            return;
        }
        const QStringList names = compound::rootNames(path);
        const bool workbook = names.contains(QStringLiteral("workbook"), Qt::CaseInsensitive);
        const bool book = names.contains(QStringLiteral("book"), Qt::CaseInsensitive);
        if (!workbook && !book)
            throw XlsError(QStringLiteral("File is not a Excel Workbook"));
        compound::readRootStream(path, workbook ? QStringLiteral("Workbook") : QStringLiteral("Book"), m_stream);
        // Some programs write BIFF8 records into a stream named "Book": the records tell their
        // version, the stream's name only when they do not.
        const TExcelVersion named = workbook ? TExcelVersion::xvExcel97 : TExcelVersion::xvExcel50;
        const TExcelVersion told = versionOfBof(m_stream, named);
        m_version = told == TExcelVersion::xvNone ? named : told;
    }

    bool header(quint16 &id, quint16 &length)
    {
        if (m_pos + 4 > m_stream.size())
            return false;
        id = qFromLittleEndian<quint16>(m_stream.constData() + m_pos);
        length = qFromLittleEndian<quint16>(m_stream.constData() + m_pos + 2);
        m_pos += 4;
        return true;
    }

    void firstRecord()
    {
        quint16 id, length;
        if (!header(id, length) || (id & 0xFF) != 0x09)
            throw XlsError(QStringLiteral("BOF is missing in file"));
        if (length > 256)
            throw XlsError(QStringLiteral("Invalid BOF size"));
        if (m_pos + length > m_stream.size())
            throw XlsError(QStringLiteral("BOF is missing in file"));
        const Data bof(m_stream.constData() + m_pos, length);
        m_pos += length;
        const int type = bof.size() >= 4 ? bof.u16(2) : 0;
        if (type == 0x0010) {
            m_sheet = 0;
            m_sheetOpen = true;
        }
        if (biff8() && bof.size() >= 8 && (bof.u32(4) & 0x10))
            m_book.isMac = true;
    }

    void walk()
    {
        quint16 id, length;
        while (header(id, length)) {
            ++m_records;
            try {
                if (m_pos + length > m_stream.size())
                    throw XlsError(QStringLiteral("The record runs past the end of the stream"));
                if (length > m_book.maxRecordSize()) {
                    m_pos += length;
                    continue;
                }
                const Data data(m_stream.constData() + m_pos, length);
                m_recordStart = m_pos - 4;
                m_pos += length;
                handle(id, data);
            } catch (const Stop &) {
                return;
            } catch (const Exception &e) {
                throw XlsError(QStringLiteral("Error on reading record # %1\r%2").arg(m_records).arg(e.message()));
            }
        }
    }

    TSheet &sheet()
    {
        return m_book.sheet(std::max(m_sheet, 0));
    }

    void checkCell(int row, int column) const
    {
        if (column > 255)
            throw XlsError(QStringLiteral("Cell column %1 is out of range (row %2)").arg(column).arg(row));
        if (row > 65535)
            throw XlsError(QStringLiteral("Cell row %1 is out of range").arg(row));
    }

    TCell &put(int row, int column, int xf, CellKind kind, std::unique_ptr<FormulaData> formula = nullptr)
    {
        checkCell(row, column);
        // A STRING record belongs to the formula cell just before it; any other cell (which may
        // even replace that one) ends the wait for it.
        m_stringFormula = nullptr;
        TCell cell;
        cell.kind = kind;
        cell.formatIndex = xf;
        // Given to the store with the cell, which then knows it owns formulas to free.
        cell.formula = std::move(formula);
        TCell &stored = sheet().putCell(std::move(cell), column, row);
        m_lastCell = &stored;
        return stored;
    }

    TCell &putFormula(int row, int column, int xf, CellKind kind, const QByteArray &formula)
    {
        auto data = std::make_unique<FormulaData>();
        data->formula = formula;
        return put(row, column, xf, kind, std::move(data));
    }

    QString eightBit(const unsigned char *p, qsizetype n) const
    {
        return codecForCodePage(m_codePage).decode(reinterpret_cast<const char *>(p), n);
    }

    // A string with a 16-bit (or 8-bit) count: BIFF8 with its flag byte, older formats in the code page.
    QString recordString(const Data &d, qsizetype at, int countBytes, qsizetype *end = nullptr) const
    {
        const int count = countBytes == 1 ? d.u8(at) : d.u16(at);
        at += countBytes;
        QString text;
        if (biff8()) {
            const int flags = d.u8(at++);
            if (flags & 0x08)
                at += 2; // rich text runs follow the characters
            if (flags & 0x04)
                at += 4;
            const int unit = flags & 1 ? 2 : 1;
            const qsizetype n = d.fit(at, count, unit);
            text = unit == 2 ? utf16(d.at(at), n) : latin1(d.at(at), n);
            at += n * unit;
        } else {
            const qsizetype n = d.fit(at, count, 1);
            text = eightBit(d.at(at), n);
            at += n;
        }
        if (end)
            *end = at;
        return text;
    }

    void handle(quint16 id, const Data &d)
    {
        switch (id) {
        case biff::EOF_:
            finishSheet();
            if (m_nextName >= static_cast<int>(m_names.size()))
                throw Stop{};
            return;
        case biff::FILEPASS:
            throw XlsError(QStringLiteral("File is password protected"));
        case biff::CODEPAGE:
            m_codePage = d.u16(0);
            m_book.codepage = m_codePage;
            if (m_codePage == 1200 || m_codePage == 0x8000 || m_codePage == 0x8001)
                m_codePage = 1252;
            return;
        case biff::BOUNDSHEET: boundSheet(d.lenient()); return;
        case biff::SST: sst(); return;
        case biff::DIMENSIONS: dimensions(d); return;
        case biff::DIMENSIONS_BIFF2:
            // Only BIFF2 gives that id to DIMENSIONS.
            if (m_version == TExcelVersion::xvExcel21) {
                dimensions(d);
                return;
            }
            break;
        case biff::BLANK:
            put(d.u16(0), d.u16(2), d.u16(4), CellKind::Blank);
            return;
        case biff::MULBLANK: {
            const int row = d.u16(0), first = d.u16(2);
            const qsizetype n = (d.size() - 6) / 2;
            if (d.size() < 6 || (d.size() - 6) % 2 != 0 || d.u16(d.size() - 2) != first + n - 1)
                throw XlsError(QStringLiteral("MULBLANK record does not match its length"));
            for (qsizetype i = 0; i < n; ++i)
                put(row, first + static_cast<int>(i), d.u16(4 + 2 * i), CellKind::Blank);
            return;
        }
        case biff::NUMBER:
            put(d.u16(0), d.u16(2), d.u16(4), CellKind::Float).number = d.f64(6);
            return;
        case biff::RK:
        case biff::RK_OLD:
            put(d.u16(0), d.u16(2), d.u16(4), CellKind::Float).number = decodeRk(d.u32(6));
            return;
        case biff::MULRK: {
            const int row = d.u16(0), first = d.u16(2);
            const qsizetype n = (d.size() - 6) / 6;
            if (d.size() < 12 || (d.size() - 6) % 6 != 0 || d.u16(d.size() - 2) != first + n - 1)
                throw XlsError(QStringLiteral("MULRK record does not match its length"));
            for (qsizetype i = 0; i < n; ++i) {
                const quint32 rk = d.u32(4 + 6 * i + 2);
                put(row, first + static_cast<int>(i), d.u16(4 + 6 * i), CellKind::Float).number = decodeRk(rk);
            }
            return;
        }
        case biff::LABELSST: {
            const int index = static_cast<int>(d.u32(6));
            put(d.u16(0), d.u16(2), d.u16(4), CellKind::String).integer = index;
            if (index >= 0 && index < m_book.sharedStrings.count())
                ++m_book.sharedStrings.at(index).refCount;
            return;
        }
        case biff::LABEL:
        case biff::RSTRING: {
            const QString text = recordString(d, 6, 2);
            stringCell(d.u16(0), d.u16(2), d.u16(4), text);
            return;
        }
        case biff::LABEL2: {
            const int n = d.u8(7);
            d.need(8, n);
            stringCell(d.u16(0), d.u16(2), -1, eightBit(d.at(8), n));
            return;
        }
        case biff::INTEGER2:
            put(d.u16(0), d.u16(2), -1, CellKind::Float).number = d.u16(7);
            return;
        case biff::NUMBER2:
            put(d.u16(0), d.u16(2), -1, CellKind::Float).number = d.f64(7);
            return;
        case biff::BOOLERR: {
            const int value = d.u8(6);
            const bool error = d.u8(7) == 1;
            put(d.u16(0), d.u16(2), d.u16(4), error ? CellKind::Error : CellKind::Boolean).integer =
                error ? errorNumberOf(value) : value;
            return;
        }
        case biff::FORMULA:
        case biff::FORMULA3:
        case biff::FORMULA4: formula(d); return;
        case biff::STRING:
        case biff::STRING_BIFF2: {
            if (!m_stringFormula)
                return;
            const QString text = id == biff::STRING_BIFF2 ? recordString(d, 0, 1)
                : biff8() ? stringAcrossContinues()
                          : recordString(d, 0, 2);
            m_stringFormula->formula->text = text;
            m_stringFormula = nullptr;
            return;
        }
        case biff::SHRFMLA:
            return; // between a FORMULA and its STRING
        case biff::ARRAY: {
            const int firstRow = d.u16(0), lastRow = d.u16(2), firstCol = d.u8(4), lastCol = d.u8(5);
            if (m_lastCell && m_lastCell->kind == CellKind::NumberFormula && m_lastCell->row() >= firstRow
                && m_lastCell->row() <= lastRow && m_lastCell->column() >= firstCol && m_lastCell->column() <= lastCol)
                m_lastCell->kind = CellKind::ArrayFormula;
            return;
        }
        case biff::FONT: font(d.lenient()); return;
        case biff::XF: xf(d.lenient()); return;
        case biff::FORMAT: {
            const Data f = d.lenient();
            const int index = f.u16(0);
            const QString text = biff8() ? recordString(f, 2, 2) : recordString(f, 2, 1);
            if (index >= 0 && index < 0x10000) {
                while (m_book.numberFormats.size() <= index)
                    m_book.numberFormats.append(QString());
                m_book.numberFormats[index] = text;
            }
            return;
        }
        case biff::DATEMODE: m_book.dateMode1904 = d.u16(0) != 0; return;
        case biff::COUNTRY: country(d.lenient()); return;
        case biff::PALETTE: palette(d.lenient()); return;
        case biff::WINDOW1:
            if (d.size() >= 18) {
                m_book.window = {d.u16(0), d.u16(2), d.u16(4), d.u16(6), d.u16(10), d.u16(8)};
            }
            return;
        case biff::CONTINUE:
            return; // read with the record it continues
        default:
            break;
        }
        if (isBof(id)) {
            bof(d);
            return;
        }
        // Everything else is kept as it stands, with the sheet it belongs to.
        auto &records = m_sheet >= 0 ? sheet().otherRecords : m_book.otherRecords;
        records.emplace_back(id, d.bytes(0, d.size()));
    }

    void country(const Data &d)
    {
        m_book.countryDefault = d.u16(0);
        m_book.countryWindows = d.u16(2);
    }

    void palette(const Data &d)
    {
        const int count = d.u16(0);
        for (int i = 0; i < count && 8 + i < 64; ++i)
            m_book.palette[static_cast<size_t>(8 + i)] = static_cast<quint32>(d.u8(2 + 4 * i)) << 16
                | static_cast<quint32>(d.u8(3 + 4 * i)) << 8 | static_cast<quint32>(d.u8(4 + 4 * i));
    }

    // A formula's text result longer than one record goes on in CONTINUE records, as the SST does.
    QString stringAcrossContinues() const
    {
        ContinuedRecord in(m_stream, m_recordStart, "STRING");
        return continuedString(in).text;
    }

    void stringCell(int row, int column, int xf, const QString &text)
    {
        const int index = m_book.sharedStrings.add(text, !fitsCompressed(text));
        put(row, column, xf, CellKind::String).integer = index;
    }

    void boundSheet(const Data &d)
    {
        const int options = d.u16(4);
        QString name;
        if (biff8()) {
            const int flag = d.u8(7);
            const qsizetype count = d.fit(8, d.u8(6), flag & 1 ? 2 : 1);
            name = QString(QChar(flag & 1)) + (flag & 1 ? utf16(d.at(8), count) : latin1(d.at(8), count));
        } else {
            const qsizetype count = d.fit(7, d.u8(6), 1);
            name = QString(QChar(0)) + eightBit(d.at(7), count);
        }
        m_names.push_back({name, (options >> 8) & 0xFF});
    }

    void bof(const Data &d)
    {
        const int type = d.size() >= 4 ? d.u16(2) : 0x0010;
        const QString name = m_nextName < static_cast<int>(m_names.size()) ? m_names[static_cast<size_t>(m_nextName)].first
                                                                           : QString();
        ++m_nextName;
        if (type != 0x0010) {
            skipSubstream();
            return;
        }
        ++m_sheet;
        m_sheetOpen = true;
        m_sawDimensions = false;
        if (m_sheet >= static_cast<int>(m_book.sheets.size()))
            m_book.addSheet();
        if (!name.isEmpty())
            sheet().setName(name);
    }

    // Chart, macro and module substreams are passed over up to their EOF.
    void skipSubstream()
    {
        quint16 id, length;
        int depth = 1;
        while (depth > 0 && header(id, length)) {
            ++m_records;
            m_pos += length;
            if (isBof(id))
                ++depth;
            else if (id == biff::EOF_)
                --depth;
        }
        if (m_pos > m_stream.size())
            throw XlsError(QStringLiteral("The stream ends inside a substream"));
    }

    // A stream that ends inside a sheet, or before the sheets its globals list, lost its end: the
    // cells read so far are not the workbook. Padding after the last end record is left alone.
    void requireEnd()
    {
        const bool inside = m_sheetOpen, missing = m_nextName < static_cast<int>(m_names.size());
        if (!inside && !missing)
            return;
        const int index = inside ? m_nextName - 1 : m_nextName;
        QString name = index >= 0 && index < static_cast<int>(m_names.size()) ? m_names[static_cast<size_t>(index)].first : QString();
        if (!name.isEmpty() && name[0].unicode() <= 1)
            name.remove(0, 1); // the kind character of a stored name
        throw XlsError(name.isEmpty() ? QStringLiteral("The workbook stream ends inside its worksheet")
                                      : QStringLiteral("The workbook stream ends before the end of sheet \"%1\"").arg(name));
    }

    // At the end of a worksheet: one without a DIMENSIONS record (older programs leave it out)
    // uses the range of the cells it holds.
    void finishSheet()
    {
        if (!m_sheetOpen)
            return;
        m_sheetOpen = false;
        TSheet &s = sheet();
        if (m_sawDimensions) {
            endAtLastCell(s);
            return;
        }
        s.computeUsedRange();
        s.declaredEmpty = s.cells().empty();
    }

    // A DIMENSIONS record may claim rows and columns that no cell record reaches (a BIFF4 writer
    // declares the whole sheet): the range then ends at the last row and column holding a cell.
    static void endAtLastCell(TSheet &s)
    {
        if (s.declaredEmpty || s.cells().empty())
            return;
        int lastRow = 0, lastCol = 0;
        s.cells().forEach([&](const TCell &c) {
            lastRow = std::max(lastRow, c.row());
            lastCol = std::max(lastCol, c.column());
        });
        s.lastRow = static_cast<quint16>(std::min<int>(s.lastRow, lastRow));
        s.lastCol = static_cast<quint16>(std::min<int>(s.lastCol, lastCol));
    }

    void dimensions(const Data &d)
    {
        quint32 firstRow, lastRowPlus1;
        qsizetype at;
        if (biff8()) {
            firstRow = d.u32(0);
            lastRowPlus1 = d.u32(4);
            at = 8;
        } else {
            firstRow = static_cast<quint32>(d.u16(0));
            lastRowPlus1 = static_cast<quint32>(d.u16(2));
            at = 4;
        }
        const int firstCol = d.u16(at), lastColPlus1 = d.u16(at + 2);
        TSheet &s = sheet();
        m_sawDimensions = true;
        s.firstRow = static_cast<quint16>(firstRow);
        s.lastRow = static_cast<quint16>(lastRowPlus1 - 1);
        s.firstCol = static_cast<quint16>(firstCol);
        s.lastCol = static_cast<quint16>(lastColPlus1 - 1);
        s.declaredEmpty = lastRowPlus1 <= firstRow || lastColPlus1 <= firstCol;
        if (!s.declaredEmpty && (lastRowPlus1 > 65536 || lastColPlus1 > 256))
            throw XlsError(QStringLiteral("DIMENSIONS record gives a range beyond the sheet"));
    }

    void formula(const Data &d)
    {
        const int row = d.u16(0), column = d.u16(2), xf = d.u16(4);
        const QByteArray formulaBytes = d.size() > 14 ? d.bytes(14, d.size() - 14) : QByteArray();
        m_stringFormula = nullptr;
        if (d.u16(12) == 0xFFFF) {
            switch (d.u8(6)) {
            case 0:
                m_stringFormula = &putFormula(row, column, xf, CellKind::StringFormula, formulaBytes);
                return;
            case 1:
                putFormula(row, column, xf, CellKind::BooleanFormula, formulaBytes).integer = d.u8(8);
                return;
            case 2:
                putFormula(row, column, xf, CellKind::ErrorFormula, formulaBytes).integer = errorNumberOf(d.u8(8));
                return;
            case 3:
                putFormula(row, column, xf, CellKind::StringFormula, formulaBytes);
                return;
            default:
                break;
            }
        }
        putFormula(row, column, xf, CellKind::NumberFormula, formulaBytes).number = d.f64(6);
    }

    void font(const Data &d)
    {
        TXFont f;
        f.size = d.u16(0) / 20;
        const int options = d.u16(2);
        f.style = (options & 0x02 ? TXFont::xfsItalic : 0) | (options & 0x08 ? TXFont::xfsStrikeOut : 0);
        if (d.size() >= 14) {
            f.color = d.u16(4);
            if (d.u16(6) >= 700)
                f.style |= TXFont::xfsBold;
            f.subSuperScript = static_cast<TXFont::SubSuperScript>(std::min(d.u16(8), 2));
            const int underline = d.u8(10);
            f.underline = underline == 0x01 ? TXFont::xulSingle : underline == 0x02 ? TXFont::xulDouble
                        : underline == 0x21 ? TXFont::xulSingleAccount : underline == 0x22 ? TXFont::xulDoubleAccount
                                                                                            : TXFont::xulNone;
            f.charset = d.u8(12);
            f.name = recordString(d, 14, 1);
        }
        m_book.fonts.push_back(f);
        // Index 4 is reserved in the file; an empty font keeps model and file indexes equal.
        if (m_book.fonts.size() == 4)
            m_book.fonts.push_back(TXFont());
    }

    void xf(const Data &d)
    {
        TCellFormat f;
        f.name = QStringLiteral("Format %1").arg(m_book.cellFormats.size());
        f.fontIndex = d.u16(0);
        f.numberFormatIndex = d.u16(2);
        if (biff8() && d.size() >= 20) {
            f.protection = static_cast<quint16>(d.u16(4));
            f.alignment = static_cast<quint16>(d.u16(6));
            f.indentAttributes = static_cast<quint16>(d.u16(8));
            f.borderLines = static_cast<quint16>(d.u16(10));
            f.borderColors = static_cast<quint16>(d.u16(12));
            f.borderFill = d.u32(14);
            f.patternColors = static_cast<quint16>(d.u16(18));
        }
        m_book.cellFormats.push_back(f);
    }

    // Reads through a record (SST, STRING) and the CONTINUE records after it.
    class ContinuedRecord {
    public:
        ContinuedRecord(const ByteBuffer &stream, qsizetype recordStart, const char *name) : m_stream(stream), m_name(name)
        {
            enter(recordStart);
        }
        QString name() const { return QString::fromLatin1(m_name); }

        bool atRecordEnd() const { return m_pos >= m_end; }
        qsizetype remainingInRecord() const { return m_end - m_pos; }
        void nextRecord()
        {
            if (m_end + 4 > m_stream.size() || qFromLittleEndian<quint16>(m_stream.constData() + m_end) != biff::CONTINUE)
                throw XlsError(QStringLiteral("CONTINUE record is missing in %1").arg(name()));
            enter(m_end);
        }
        // Bytes that may go on in the next record without a flag byte.
        QByteArray spanning(qint64 count)
        {
            QByteArray out;
            while (count > 0) {
                if (atRecordEnd())
                    nextRecord();
                const qsizetype n = std::min<qint64>(count, remainingInRecord());
                out.append(m_stream.constData() + m_pos, n);
                m_pos += n;
                count -= n;
            }
            return out;
        }
        // Bytes inside the current record.
        const unsigned char *take(qsizetype count)
        {
            const auto *p = reinterpret_cast<const unsigned char *>(m_stream.constData() + m_pos);
            m_pos += count;
            return p;
        }
        int u8() { return static_cast<int>(number(1)); }
        int u16() { return static_cast<int>(number(2)); }
        quint32 u32() { return number(4); }

    private:
        // A little-endian number, which may go on in the next record.
        quint32 number(int bytes)
        {
            if (remainingInRecord() >= bytes) {
                quint32 v = 0;
                for (int i = bytes - 1; i >= 0; --i)
                    v = v << 8 | static_cast<unsigned char>(m_stream[m_pos + i]);
                m_pos += bytes;
                return v;
            }
            const QByteArray b = spanning(bytes);
            quint32 v = 0;
            for (int i = bytes - 1; i >= 0; --i)
                v = v << 8 | static_cast<unsigned char>(b[i]);
            return v;
        }

        void enter(qsizetype header)
        {
            const qsizetype length = qFromLittleEndian<quint16>(m_stream.constData() + header + 2);
            m_pos = header + 4;
            m_end = std::min<qsizetype>(m_pos + length, m_stream.size());
        }
        const ByteBuffer &m_stream;
        const char *m_name;
        qsizetype m_pos = 0;
        qsizetype m_end = 0;
    };

    // The shared string table: the SST record and the CONTINUE records after it.
    void sst()
    {
        ContinuedRecord in(m_stream, m_recordStart, "SST");
        const quint32 total = in.u32();
        const quint32 count = in.u32();
        m_book.sharedStrings.setTotalCount(total);
        // Every entry takes at least three bytes: a count larger than the stream can hold lies.
        m_book.sharedStrings.reserve(std::min<qsizetype>(count, m_stream.size() / 3));
        for (quint32 i = 0; i < count; ++i)
            m_book.sharedStrings.append(continuedString(in));
    }

    // A BIFF8 string that may go on in CONTINUE records, each starting with the flag byte of the
    // characters it holds: an SST entry, a formula's text result.
    static SharedString continuedString(ContinuedRecord &in)
    {
        const int characters = in.u16();
        const int flags = in.u8();
        const int runs = flags & 0x08 ? in.u16() : 0;
        const quint32 extended = flags & 0x04 ? in.u32() : 0;
        SharedString entry;
        entry.wide = flags & 1;
        bool unicodePart = flags & 1;
        int left = characters;
        while (left > 0) {
            if (in.atRecordEnd()) {
                in.nextRecord();
                unicodePart = in.u8() & 1;
                entry.wide = true; // split entries keep 16-bit characters
            }
            const qsizetype available = in.remainingInRecord() / (unicodePart ? 2 : 1);
            const int n = static_cast<int>(std::min<qsizetype>(left, available));
            if (n == 0)
                throw XlsError(QStringLiteral("%1 string is split between the bytes of a character").arg(in.name()));
            const unsigned char *part = in.take(static_cast<qsizetype>(n) * (unicodePart ? 2 : 1));
            if (left == characters && n == characters)
                entry.text = unicodePart ? utf16(part, n) : latin1(part, n);
            else
                entry.text += unicodePart ? utf16(part, n) : latin1(part, n);
            left -= n;
        }
        if (runs > 0 || extended > 0) {
            entry.extras = std::make_unique<StringExtras>();
            entry.extras->richText = in.spanning(static_cast<qsizetype>(runs) * 4);
            entry.extras->extendedData = in.spanning(extended);
        }
        return entry;
    }

    TXlsWorkbook &m_book;
    ByteBuffer m_stream;
    qsizetype m_pos = 0;
    qsizetype m_recordStart = 0;
    TExcelVersion m_version = TExcelVersion::xvNone;
    int m_codePage = 1252;
    int m_sheet = -1;
    // A worksheet's records are being read, and whether its DIMENSIONS record was among them.
    bool m_sheetOpen = false;
    bool m_sawDimensions = false;
    int m_records = 0;
    std::vector<std::pair<QString, int>> m_names;
    int m_nextName = 0;
    TCell *m_lastCell = nullptr;
    TCell *m_stringFormula = nullptr;
};

} // namespace

void TXlsWorkbook::read()
{
    clear();
    fonts.clear();
    cellFormats.clear();
    Reader(*this).run();
}
