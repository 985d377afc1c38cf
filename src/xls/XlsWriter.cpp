#include "Biff.h"
#include "CompoundFile.h"
#include "Workbook.h"

#include "platform/ByteBuffer.h"

#include "platform/RegionalSettings.h"

#include <cmath>

bool encodeRk(double value, quint32 &rk)
{
    const auto upperIfLowZero = [](double d, quint32 &out) {
        quint64 bits;
        std::memcpy(&bits, &d, 8);
        if ((bits & 0x3FFFFFFFFULL) != 0)
            return false;
        out = static_cast<quint32>(bits >> 32);
        return true;
    };
    if (upperIfLowZero(value, rk))
        return true;
    if (value == std::floor(value) && value >= -536870912.0 && value <= 536870911.0) {
        rk = static_cast<quint32>(static_cast<qint32>(value) * 4 + 2);
        return true;
    }
    const double hundredfold = static_cast<double>(static_cast<long double>(value) * 100.0L);
    if (upperIfLowZero(hundredfold, rk)) {
        rk += 1;
        return true;
    }
    if (hundredfold == std::floor(hundredfold) && hundredfold >= -536870912.0 && hundredfold <= 536870911.0) {
        rk = static_cast<quint32>(static_cast<qint32>(hundredfold) * 4 + 2 + 1);
        return true;
    }
    return false;
}

double decodeRk(quint32 rk)
{
    double value;
    if (rk & 2) {
        value = static_cast<double>(static_cast<qint32>(rk) >> 2);
    } else {
        const quint64 bits = static_cast<quint64>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, 8);
    }
    return rk & 1 ? value / 100.0 : value;
}

namespace {

// A string's length goes into 8 or 16 bits: a longer one would be read back cut.
void checkLength(const QString &text, int limit)
{
    if (text.size() > limit)
        throw XlsError(QStringLiteral("A string of %1 characters is longer than the %2 an Excel file holds")
                           .arg(text.size())
                           .arg(limit));
}

// The record stream of the Workbook stream, built in memory so that lengths and offsets can be
// filled in after the fact.
class RecordStream {
public:
    ByteBuffer bytes;

    void record(quint16 id, const QByteArray &data)
    {
        char *p = begin(id, static_cast<int>(data.size()));
        std::memcpy(p, data.constData(), static_cast<size_t>(data.size()));
    }
    void record(quint16 id, const RecordData &data) { record(id, data.bytes); }
    // Room for a record of the given length, its header written; the caller fills the data.
    char *begin(quint16 id, int length)
    {
        char *p = bytes.grow(4 + length);
        qToLittleEndian<quint16>(id, p);
        qToLittleEndian<quint16>(static_cast<quint16>(length), p + 2);
        return p + 4;
    }
    void patch32(qsizetype at, quint32 value) { qToLittleEndian<quint32>(value, bytes.data() + at); }
    void patch16(qsizetype at, quint16 value) { qToLittleEndian<quint16>(value, bytes.data() + at); }
};

// The SST and its CONTINUE records: a new record when 15 bytes or fewer remain, strings split
// between characters with a repeated flag byte.
class SstWriter {
public:
    SstWriter(RecordStream &stream, int maxRecord) : m_stream(stream), m_max(maxRecord) { begin(biff::SST); }

    void raw(const QByteArray &data)
    {
        qsizetype done = 0;
        while (done < data.size()) {
            if (room() == 0)
                begin(biff::CONTINUE);
            const qsizetype n = std::min(room(), data.size() - done);
            m_stream.bytes.append(data.constData() + done, n);
            done += n;
        }
    }

    void string(const SharedString &entry)
    {
        checkLength(entry.text, 0xFFFF);
        if (room() <= 15)
            begin(biff::CONTINUE);
        const bool compressed = fitsCompressed(entry.text);
        const bool rich = entry.extras && !entry.extras->richText.isEmpty();
        const bool extended = entry.extras && !entry.extras->extendedData.isEmpty();
        RecordData head;
        head.u16(static_cast<int>(entry.text.size()));
        head.u8((compressed ? 0 : 1) | (rich ? 0x08 : 0) | (extended ? 0x04 : 0));
        if (rich)
            head.u16(static_cast<int>(entry.extras->richText.size() / 4));
        if (extended)
            head.u32(static_cast<quint32>(entry.extras->extendedData.size()));
        m_stream.bytes.append(head.bytes.constData(), head.bytes.size());
        // The characters go straight into the records, split between characters only.
        const char16_t *text = reinterpret_cast<const char16_t *>(entry.text.utf16());
        const qsizetype count = entry.text.size();
        const int unit = compressed ? 1 : 2;
        qsizetype done = 0;
        while (done < count) {
            const qsizetype n = std::min(room() / unit, count - done);
            if (n == 0) {
                begin(biff::CONTINUE);
                m_stream.bytes.append(static_cast<char>(compressed ? 0 : 1));
                continue;
            }
            char *out = m_stream.bytes.grow(n * unit);
            for (qsizetype i = 0; i < n; ++i) {
                const char16_t c = text[done + i];
                if (compressed) {
                    out[i] = static_cast<char>(c);
                } else {
                    out[2 * i] = static_cast<char>(c & 0xFF);
                    out[2 * i + 1] = static_cast<char>(c >> 8);
                }
            }
            done += n;
        }
        if (entry.extras) {
            raw(entry.extras->richText);
            raw(entry.extras->extendedData);
        }
    }

    void finish() { close(); }

private:
    qsizetype room() const { return m_max - (m_stream.bytes.size() - m_start); }
    void close()
    {
        if (m_header >= 0)
            m_stream.patch16(m_header + 2, static_cast<quint16>(m_stream.bytes.size() - m_start));
    }
    void begin(quint16 id)
    {
        close();
        m_header = m_stream.bytes.size();
        m_stream.record(id, QByteArray());
        m_start = m_stream.bytes.size();
    }

    RecordStream &m_stream;
    int m_max;
    qsizetype m_header = -1;
    qsizetype m_start = 0;
};

RecordData bof(int type, bool mac)
{
    return RecordData().u16(0x0600).u16(type).u16(6319).u16(1997).u32(0x000040C1u | (mac ? 0x10u : 0u)).u32(0x00000106u);
}

RecordData shortString(const QString &text, int countBytes)
{
    checkLength(text, countBytes == 1 ? 0xFF : 0xFFFF);
    const bool compressed = fitsCompressed(text);
    RecordData d;
    if (countBytes == 1)
        d.u8(static_cast<int>(text.size()));
    else
        d.u16(static_cast<int>(text.size()));
    return d.u8(compressed ? 0 : 1).raw(characterBytes(text, compressed));
}

const char *const kBuiltInXfs[] = {
    "00000000f5ff200000000000000000000000c020", "01000000f5ff200000f40000000000000000c020",
    "01000000f5ff200000f40000000000000000c020", "02000000f5ff200000f40000000000000000c020",
    "02000000f5ff200000f40000000000000000c020", "00000000f5ff200000f40000000000000000c020",
    "00000000f5ff200000f40000000000000000c020", "00000000f5ff200000f40000000000000000c020",
    "00000000f5ff200000f40000000000000000c020", "00000000f5ff200000f40000000000000000c020",
    "00000000f5ff200000f40000000000000000c020", "00000000f5ff200000f40000000000000000c020",
    "00000000f5ff200000f40000000000000000c020", "00000000f5ff200000f40000000000000000c020",
    "00000000f5ff200000f40000000000000000c020", "000000000100200000000000000000000000c020",
    "00002a00f5ff200000000000000000000000c020", "00002b00f5ff200000000000000000000000c020",
    "00002c00f5ff200000000000000000000000c020", "00002d00f5ff200000000000000000000000c020",
    "00000900f5ff200000000000000000000000c020",
};

const char *const kBuiltInStyles[] = {"108003ff", "118006ff", "128004ff", "138007ff", "008000ff", "148005ff"};

class Writer {
public:
    explicit Writer(TXlsWorkbook &workbook) : m_book(workbook) {}

    void writeGlobals(std::vector<qsizetype> &boundSheetFields)
    {
        RecordStream &s = m_stream;
        s.record(biff::BOF, bof(0x0005, m_book.isMac));
        RecordData access = shortString(m_book.userName.left(109), 2);
        access.bytes = access.bytes.leftJustified(112, ' ', true);
        s.record(biff::WRITEACCESS, access);
        s.record(biff::FILESHARING, RecordData().u16(m_book.readOnly ? 1 : 0).u16(0).u16(0));
        s.record(biff::CODEPAGE, RecordData().u16(m_book.codepage == 0 ? 1252 : m_book.codepage));
        s.record(biff::DSF, RecordData().u16(0));
        RecordData tabs;
        for (size_t i = 0; i < m_book.sheets.size(); ++i)
            tabs.u16(static_cast<int>(i) + 1);
        s.record(biff::TABID, tabs);
        s.record(biff::WINDOWPROTECT, RecordData().u16(m_book.bookProtected ? 1 : 0));
        const bool anyProtected = std::any_of(m_book.sheets.begin(), m_book.sheets.end(),
                                              [](const auto &sh) { return sh->options & TSheet::soProtected; });
        if (anyProtected)
            s.record(biff::PROTECT, RecordData().u16(1));
        s.record(biff::PASSWORD, RecordData().u16(0));
        s.record(biff::PROT4REV, RecordData().u16(m_book.revisionProtection ? 1 : 0));
        s.record(biff::PROT4REVPASS, RecordData().u16(0));
        const auto &w = m_book.window;
        s.record(biff::WINDOW1, RecordData().u16(w.left).u16(w.top).u16(w.width).u16(w.height).u16(w.options)
                                    .u16(w.selectedTab).u16(0).u16(1).u16(600));
        s.record(biff::BACKUP, RecordData().u16(m_book.backup ? 1 : 0));
        s.record(biff::HIDEOBJ, RecordData().u16(m_book.optionsDialog.showObjects));
        s.record(biff::DATEMODE, RecordData().u16(m_book.dateMode1904 ? 1 : 0));
        s.record(biff::PRECISION, RecordData().u16(m_book.optionsDialog.precisionAsDisplayed ? 0 : 1));
        s.record(biff::REFRESHALL, RecordData().u16(m_book.refreshAll ? 1 : 0));
        s.record(biff::BOOKBOOL, RecordData().u16(m_book.optionsDialog.saveExtLinkVal ? 1 : 0));
        for (size_t i = 0; i < m_book.fonts.size(); ++i) {
            if (i != 4)
                s.record(biff::FONT, font(m_book.fonts[i]));
        }
        for (int i = 50; i < m_book.numberFormats.size(); ++i)
            s.record(biff::FORMAT, RecordData().u16(i).raw(shortString(m_book.numberFormats[i], 2).bytes));
        if (m_book.defaults) {
            for (const char *xf : kBuiltInXfs)
                s.record(biff::XF, RecordData().hex(xf));
        }
        for (const TCellFormat &f : m_book.cellFormats)
            s.record(biff::XF, xf(f));
        if (m_book.defaults) {
            for (const char *style : kBuiltInStyles)
                s.record(biff::STYLE, RecordData().hex(style));
        }
        if (m_book.palette != TXlsWorkbook::builtInPalette()) {
            RecordData palette;
            palette.u16(56);
            for (int c = 8; c < 64; ++c) {
                const quint32 rgb = m_book.palette[static_cast<size_t>(c)];
                palette.u8((rgb >> 16) & 0xFF).u8((rgb >> 8) & 0xFF).u8(rgb & 0xFF).u8(0);
            }
            s.record(biff::PALETTE, palette);
        }
        s.record(biff::USESELFS, RecordData().u16(0));
        for (const auto &sheet : m_book.sheets) {
            boundSheetFields.push_back(s.bytes.size() + 4);
            const QString name = sheet->name();
            const bool compressed = fitsCompressed(name);
            s.record(biff::BOUNDSHEET, RecordData().u32(0).u16(0).u8(static_cast<int>(name.size())).u8(compressed ? 0 : 1)
                                           .raw(characterBytes(name, compressed)));
        }
        if (m_book.defaults)
            s.record(biff::COUNTRY, RecordData().u16(1).u16(RegionalSettings::current().countryNumber));
        else
            s.record(biff::COUNTRY, RecordData().u16(m_book.countryDefault).u16(m_book.countryWindows));
        s.record(biff::RECALCID, RecordData().u16(0x01C1).u16(0).u32(0x00FFFFFF));
        SstWriter sst(s, m_book.maxRecordSize());
        sst.raw(RecordData().u32(static_cast<quint32>(m_book.sharedStrings.totalCount()))
                    .u32(static_cast<quint32>(m_book.sharedStrings.count())).bytes);
        for (int i = 0; i < m_book.sharedStrings.count(); ++i)
            sst.string(m_book.sharedStrings.at(i));
        sst.finish();
        s.record(biff::EOF_, QByteArray());
    }

    void writeSheet(TSheet &sheet, bool selected)
    {
        RecordStream &s = m_stream;
        s.record(biff::BOF, bof(0x0010, m_book.isMac));
        const int calcMode = m_book.optionsDialog.calcMode;
        s.record(biff::CALCMODE, RecordData().u16(calcMode == 0 ? 0 : calcMode == 1 ? 1 : 0xFFFF));
        s.record(biff::CALCCOUNT, RecordData().u16(sheet.calcCount));
        s.record(biff::REFMODE, RecordData().u16(sheet.options & TSheet::soR1C1Mode ? 0 : 1));
        s.record(biff::ITERATION, RecordData().u16(sheet.options & TSheet::soIteration ? 1 : 0));
        s.record(biff::DELTA, RecordData().f64(sheet.delta));
        s.record(biff::SAVERECALC, RecordData().u16(m_book.saveRecalc ? 1 : 0));
        const TPrintSettings &p = sheet.printSettings;
        s.record(biff::PRINTHEADERS, RecordData().u16(p.printHeadings ? 1 : 0));
        s.record(biff::PRINTGRIDLINES, RecordData().u16(p.printGridlines ? 1 : 0));
        s.record(biff::GRIDSET, RecordData().u16(sheet.gridSet));
        s.record(biff::GUTS, RecordData().u16(sheet.gutters[0]).u16(sheet.gutters[1]).u16(sheet.gutters[2]).u16(sheet.gutters[3]));
        s.record(biff::DEFAULTROWHEIGHT, sheet.defaultRowHeight == 0 ? RecordData().u16(0).u16(255)
                                                                     : RecordData().u16(1).u16(sheet.defaultRowHeight));
        s.record(biff::WSBOOL, RecordData().u16(sheet.workspaceOptions));
        s.record(biff::HEADER, p.header.isEmpty() ? RecordData() : shortString(p.header, 2));
        s.record(biff::FOOTER, p.footer.isEmpty() ? RecordData() : shortString(p.footer, 2));
        s.record(biff::HCENTER, RecordData().u16(p.horizCenter ? 1 : 0));
        s.record(biff::VCENTER, RecordData().u16(p.vertCenter ? 1 : 0));
        s.record(biff::SETUP, RecordData().u16(p.paperSize).u16(p.scalingFactor).u16(p.startingPage).u16(p.fitWidth)
                                  .u16(p.fitHeight).u16(p.options).u16(p.resolution).u16(p.verticalResolution)
                                  .f64(p.headerMargin).f64(p.footerMargin).u16(p.copies));
        s.record(biff::PROTECT, RecordData().u16(sheet.options & TSheet::soProtected ? 1 : 0));
        if (sheet.defaultColWidth != 0)
            s.record(biff::DEFCOLWIDTH, RecordData().u16(sheet.defaultColWidth));
        s.record(biff::DIMENSIONS, RecordData().u32(sheet.firstRow).u32(sheet.lastRow + 1u).u16(sheet.firstCol)
                                       .u16(sheet.lastCol + 1).u16(0));
        writeCells(sheet);
        int window = 0x04A0;
        if (sheet.options & TSheet::soShowFormulas)
            window |= 0x0001;
        if (sheet.options & TSheet::soGridlines)
            window |= 0x0002;
        if (sheet.options & TSheet::soRowColHeadings)
            window |= 0x0004;
        if (sheet.options & TSheet::soShowZeros)
            window |= 0x0010;
        if (sheet.options & TSheet::soFrozenPanes)
            window |= 0x0108;
        if (selected)
            window |= 0x0200;
        s.record(biff::WINDOW2, RecordData().u16(window).u16(0).u16(0).u32(64).u16(sheet.zoomPreview).u16(100).u32(0));
        s.record(biff::SELECTION, RecordData().u8(3).u16(0).u16(0).u16(0).u16(1).u16(0).u16(0).u8(0).u8(0));
        s.record(biff::EOF_, QByteArray());
    }

    RecordStream m_stream;

private:
    RecordData font(const TXFont &f)
    {
        const int underline[] = {0x00, 0x01, 0x02, 0x21, 0x22};
        return RecordData()
            .u16(f.size * 20)
            .u16((f.style & TXFont::xfsItalic ? 0x02 : 0) | (f.style & TXFont::xfsStrikeOut ? 0x08 : 0))
            .u16(f.color)
            .u16(f.style & TXFont::xfsBold ? 700 : 400)
            .u16(static_cast<int>(f.subSuperScript))
            .u8(underline[static_cast<int>(f.underline)])
            .u8(0)
            .u8(f.charset)
            .u8(0)
            .raw(shortString(f.name, 1).bytes);
    }

    RecordData xf(const TCellFormat &f)
    {
        return RecordData()
            .u16(f.fontIndex)
            .u16(f.numberFormatIndex < 0 ? 0 : f.numberFormatIndex)
            .u16(f.protection)
            .u16(f.alignment)
            .u16(f.indentAttributes)
            .u16(f.borderLines)
            .u16(f.borderColors)
            .u32(f.borderFill)
            .u16(f.patternColors);
    }

    int xfOf(const TCell &c) const
    {
        if (c.formatIndex < 0)
            return 15;
        return m_book.defaults ? c.formatIndex + 21 : c.formatIndex;
    }

    // A cell record with its row, column and XF in place; the rest is the caller's.
    char *cellRecord(quint16 id, int length, const TCell &c, int xf)
    {
        char *p = m_stream.begin(id, length);
        qToLittleEndian<quint16>(static_cast<quint16>(c.row()), p);
        qToLittleEndian<quint16>(static_cast<quint16>(c.column()), p + 2);
        qToLittleEndian<quint16>(static_cast<quint16>(xf), p + 4);
        return p;
    }

    void flushRun()
    {
        if (m_run.empty())
            return;
        const int n = static_cast<int>(m_run.size());
        char *p = m_stream.begin(n == 1 ? biff::RK : biff::MULRK, n == 1 ? 10 : 6 * n + 6);
        qToLittleEndian<quint16>(static_cast<quint16>(m_runRow), p);
        qToLittleEndian<quint16>(static_cast<quint16>(m_runFirst), p + 2);
        p += 4;
        for (const auto &[xf, rk] : m_run) {
            qToLittleEndian<quint16>(static_cast<quint16>(xf), p);
            qToLittleEndian<quint32>(rk, p + 2);
            p += 6;
        }
        if (n > 1)
            qToLittleEndian<quint16>(static_cast<quint16>(m_runFirst + n - 1), p);
        m_run.clear();
    }

    void writeCells(TSheet &sheet)
    {
        m_run.clear();
        sheet.cells().forEach([&](const TCell &c) {
            if (!m_run.empty() && c.row() != m_runRow)
                flushRun();
            const int xf = xfOf(c);
            if (c.kind == CellKind::Integer || c.kind == CellKind::Float) {
                const double value = c.kind == CellKind::Integer ? c.integer : c.number;
                quint32 rk;
                const bool follows = m_run.empty() || c.column() == m_runFirst + static_cast<int>(m_run.size());
                if (encodeRk(value, rk) && follows) {
                    if (m_run.empty()) {
                        m_runRow = c.row();
                        m_runFirst = c.column();
                    } else if (m_run.size() >= 256) {
                        throw XlsError(QStringLiteral("RK Cache overflow"));
                    }
                    m_run.emplace_back(xf, rk);
                    return;
                }
                flushRun();
                char *p = cellRecord(biff::NUMBER, 14, c, xf);
                qToLittleEndian<double>(value, p + 6);
                return;
            }
            flushRun();
            switch (c.kind) {
            case CellKind::String:
                qToLittleEndian<quint32>(static_cast<quint32>(c.integer), cellRecord(biff::LABELSST, 10, c, xf) + 6);
                break;
            case CellKind::Blank:
                cellRecord(biff::BLANK, 6, c, xf);
                break;
            case CellKind::Boolean:
            case CellKind::Error: {
                int value = c.integer;
                if (c.kind == CellKind::Error) {
                    const int codes[] = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};
                    if (value < 1 || value > 7)
                        throw XlsError(QStringLiteral("Invalid error value in cell %1:%2").arg(c.row()).arg(c.column()));
                    value = codes[value - 1];
                }
                m_stream.record(biff::BOOLERR, RecordData().u16(c.row()).u16(c.column()).u16(xf).u8(value)
                                                   .u8(c.kind == CellKind::Error ? 1 : 0));
                break;
            }
            default:
                break; // formulas are not written
            }
        });
        flushRun();
    }

    TXlsWorkbook &m_book;
    std::vector<std::pair<int, quint32>> m_run;
    int m_runRow = 0;
    int m_runFirst = 0;
};

} // namespace

void TXlsWorkbook::write()
{
    checkWritable();
    compound::Writer file(filename, QStringLiteral("Workbook"));
    writeTo(file);
}

void TXlsWorkbook::write(QIODevice &device)
{
    checkWritable();
    compound::Writer file(device, QStringLiteral("Workbook"));
    writeTo(file);
}

void TXlsWorkbook::checkWritable() const
{
    switch (m_version) {
    case TExcelVersion::xvExcel21:
    case TExcelVersion::xvExcel30:
        throw XlsError(QStringLiteral("Can not write Excel 2.1/3.0 files"));
    case TExcelVersion::xvExcel97:
        break;
    default:
        throw XlsError(QStringLiteral("Can not write Excel 4.0/5.0 files"));
    }
}

void TXlsWorkbook::writeTo(compound::Writer &file)
{
    Writer writer(*this);
    try {
        std::vector<qsizetype> boundSheetFields;
        writer.writeGlobals(boundSheetFields);
        for (size_t i = 0; i < sheets.size(); ++i) {
            TSheet &sheet = *sheets[i];
            sheet.computeUsedRange();
            writer.m_stream.patch32(boundSheetFields[i], static_cast<quint32>(writer.m_stream.bytes.size()));
            writer.writeSheet(sheet, static_cast<int>(i) == window.selectedTab);
        }
    } catch (...) {
        // What was written stays in the file.
        file.write(writer.m_stream.bytes.constData(), writer.m_stream.bytes.size());
        throw;
    }
    file.write(writer.m_stream.bytes.constData(), writer.m_stream.bytes.size());
    file.close();
}
