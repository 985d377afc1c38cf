#include "Workbook.h"

#include "platform/CodePage.h"
#include "platform/Numbers.h"

#include <cstdlib>
#include <new>

// ---- shared strings ------------------------------------------------------------------------------

quint16 TSharedStrings::hashOf(const QString &text, bool wide)
{
    // Over the text's bytes: two per character for 16-bit text, the code page's byte for 8-bit.
    quint16 hash = 0;
    const auto mix = [&hash](unsigned char b) { hash = static_cast<quint16>(((hash << 5) | (hash >> 11)) ^ b); };
    for (const QChar c : text) {
        if (wide) {
            mix(static_cast<unsigned char>(c.unicode() & 0xFF));
            mix(static_cast<unsigned char>(c.unicode() >> 8));
            continue;
        }
        unsigned char byte = '?';
        cp1250::encodeChar(c.unicode(), byte);
        mix(byte);
    }
    return hash;
}

void TSharedStrings::indexAppended()
{
    // Entries read from a file are indexed only once a store needs the search.
    for (; m_indexed < count(); ++m_indexed) {
        const SharedString &e = m_entries[static_cast<size_t>(m_indexed)];
        int &slot = m_index[e.wide ? 1 : 0][e.text];
        if (slot == 0)
            slot = m_indexed + 1;
    }
}

int TSharedStrings::add(const QString &text, bool wide)
{
    ++m_total;
    if (!alwaysAppend)
        indexAppended();
    // The first entry of the same kind and text; the table keeps entry + 1, 0 for none yet.
    int *slot = alwaysAppend ? nullptr : &m_index[wide ? 1 : 0][text];
    if (slot && *slot > 0) {
        ++m_entries[static_cast<size_t>(*slot - 1)].refCount;
        return *slot - 1;
    }
    const int index = count();
    if (slot) {
        *slot = index + 1;
        m_indexed = index + 1;
    }
    SharedString entry;
    entry.hash = hashOf(text, wide);
    entry.refCount = 1;
    entry.wide = wide;
    entry.text = text;
    m_entries.push_back(std::move(entry));
    return index;
}

int TSharedStrings::append(SharedString entry)
{
    entry.hash = hashOf(entry.text, entry.wide);
    m_entries.push_back(std::move(entry));
    return count() - 1;
}

const SharedString &TSharedStrings::at(int index) const
{
    if (index < 0 || index >= count())
        throw XlsError(QStringLiteral("SST index out of range (%1:%2)").arg(index).arg(count()));
    return m_entries[static_cast<size_t>(index)];
}

SharedString &TSharedStrings::at(int index)
{
    return const_cast<SharedString &>(static_cast<const TSharedStrings *>(this)->at(index));
}

void TSharedStrings::clear()
{
    m_entries.clear();
    m_index[0].clear();
    m_index[1].clear();
    m_indexed = 0;
    m_total = 0;
}

// ---- cell store ----------------------------------------------------------------------------------

struct TCellStorage::Block {
    static constexpr size_t kBytes = size_t(2) << 20;
    static constexpr size_t kNodes = kBytes / sizeof(Level4);
    Level4 *nodes;
    size_t used = 0;

    Block() : nodes(static_cast<Level4 *>(std::aligned_alloc(kBytes, kBytes)))
    {
        if (!nodes)
            throw std::bad_alloc();
    }
    ~Block()
    {
        for (size_t i = 0; i < used; ++i)
            nodes[i].~Level4();
        std::free(nodes);
    }
    Block(const Block &) = delete;
    Block &operator=(const Block &) = delete;
};

TCellStorage::TCellStorage() : m_root(std::make_unique<Level1>()) {}
TCellStorage::~TCellStorage()
{
    forgetCellsWithoutFormulas();
}

void TCellStorage::forgetCellsWithoutFormulas()
{
    // Cells own nothing but their formula: without formulas their memory is freed unvisited.
    if (m_hasFormulas)
        return;
    for (const auto &block : m_blocks)
        block->used = 0;
}

TCellStorage::Level4 *TCellStorage::newLevel4()
{
    if (m_blocks.empty() || m_blocks.back()->used == Block::kNodes)
        m_blocks.push_back(std::make_unique<Block>());
    Block &block = *m_blocks.back();
    return new (&block.nodes[block.used++]) Level4();
}

TCell *TCellStorage::find(quint32 key) const
{
    if (key == m_lastKey && m_last)
        return m_last;
    const Level2 *l2 = m_root->nodes[(key >> 16) & 0xFF].get();
    const Level3 *l3 = l2 ? l2->nodes[(key >> 8) & 0xFF].get() : nullptr;
    Level4 *l4 = l3 ? l3->nodes[(key >> 4) & 0xF] : nullptr;
    TCell *cell = l4 && l4->cells[key & 0xF].kind != CellKind::None ? &l4->cells[key & 0xF] : nullptr;
    if (cell) {
        m_lastKey = key;
        m_last = cell;
    }
    return cell;
}

TCell &TCellStorage::put(TCell cell)
{
    m_hasFormulas = m_hasFormulas || cell.formula;
    const quint32 key = cell.key;
    auto &l2 = m_root->nodes[(key >> 16) & 0xFF];
    if (!l2)
        l2 = std::make_unique<Level2>();
    auto &l3 = l2->nodes[(key >> 8) & 0xFF];
    if (!l3)
        l3 = std::make_unique<Level3>();
    auto &l4 = l3->nodes[(key >> 4) & 0xF];
    if (!l4)
        l4 = newLevel4();
    TCell &slot = l4->cells[key & 0xF];
    if (slot.kind != CellKind::None)
        cell.formatIndex = slot.formatIndex;
    else
        ++m_count;
    slot = std::move(cell);
    m_lastKey = key;
    m_last = &slot;
    return slot;
}

void TCellStorage::clear()
{
    forgetCellsWithoutFormulas();
    m_hasFormulas = false;
    m_root = std::make_unique<Level1>();
    m_blocks.clear();
    m_lastKey = 0xFFFFFFFF;
    m_last = nullptr;
    m_count = 0;
}

// ---- sheets --------------------------------------------------------------------------------------

TSheet::TSheet(TXlsWorkbook &workbook, QString storedName) : m_workbook(workbook), m_name(std::move(storedName)) {}

QString TSheet::name() const
{
    return !m_name.isEmpty() && m_name[0].unicode() <= 1 ? m_name.mid(1) : m_name;
}

void TSheet::setName(const QString &name)
{
    const QString upper = name.toUpper();
    for (const auto &sheet : m_workbook.sheets) {
        if (sheet.get() != this && sheet->name().toUpper() == upper)
            throw XlsError(QStringLiteral("Sheet name \"%1\" allready exists").arg(upper));
    }
    m_name = !name.isEmpty() && name[0].unicode() <= 1 ? name : QString(QChar(0)) + name;
}

int TSheet::formatFor(int column, int row)
{
    for (RowEntry &entry : rows) {
        if (entry.row != row)
            continue;
        entry.firstCol = std::min(entry.firstCol, column);
        entry.lastCol = std::max(entry.lastCol, column);
        if (entry.xf != 15)
            return entry.xf;
        break;
    }
    for (const ColumnFormat &f : columnFormats) {
        if (column >= f.first && column <= f.last)
            return f.formatIndex;
    }
    return -1;
}

TCell &TSheet::putCell(TCell cell, int column, int row)
{
    cell.key = cellKey(column, row);
    return m_cells.put(std::move(cell));
}

TCell &TSheet::store(CellKind kind, int column, int row)
{
    TCell cell;
    cell.kind = kind;
    cell.key = cellKey(column, row);
    cell.formatIndex = formatFor(column & 0xFF, row);
    return m_cells.put(std::move(cell));
}

void TSheet::setAsInteger(int column, int row, qint32 value)
{
    store(CellKind::Integer, column, row).integer = value;
}

void TSheet::setAsFloat(int column, int row, double value)
{
    store(CellKind::Float, column, row).number = value;
}

void TSheet::setAsString(int column, int row, const QString &text)
{
    store(CellKind::String, column, row).integer = m_workbook.sharedStrings.add(text, false);
}

void TSheet::setAsWideString(int column, int row, const QString &text)
{
    store(CellKind::String, column, row).integer = m_workbook.sharedStrings.add(text, true);
}

void TSheet::setBlank(int column, int row)
{
    store(CellKind::Blank, column, row);
}

void TSheet::setBoolean(int column, int row, bool value)
{
    store(CellKind::Boolean, column, row).integer = value ? 1 : 0;
}

void TSheet::setError(int column, int row, int errorNumber)
{
    store(CellKind::Error, column, row).integer = errorNumber;
}

QString errorText(int errorNumber)
{
    switch (errorNumber) {
    case 1: return QStringLiteral("#NULL!");
    case 2: return QStringLiteral("#DIV/0!");
    case 3: return QStringLiteral("#VALUE!");
    case 4: return QStringLiteral("#REF!");
    case 5: return QStringLiteral("#NAME?");
    case 6: return QStringLiteral("#NUM!");
    case 7: return QStringLiteral("#N/A");
    default: return QStringLiteral("[int] No error value");
    }
}

QString TSheet::asString(int column, int row) const
{
    const TCell *c = cell(column, row);
    if (!c)
        return {};
    switch (c->kind) {
    case CellKind::Blank: return {};
    case CellKind::Integer: return QString::number(c->integer);
    case CellKind::Float:
    case CellKind::NumberFormula: return numbers::formatFloat(c->number);
    case CellKind::String: {
        if (c->integer < 0 || c->integer >= m_workbook.sharedStrings.count())
            return {};
        return m_workbook.sharedStrings.at(c->integer).text;
    }
    case CellKind::StringFormula: return c->formulaText();
    case CellKind::Boolean:
    case CellKind::BooleanFormula: return c->integer ? m_workbook.strTrue : m_workbook.strFalse;
    case CellKind::Error:
    case CellKind::ErrorFormula: return errorText(c->integer);
    case CellKind::ArrayFormula:
    case CellKind::None: return {};
    }
    return {};
}

void TSheet::computeUsedRange()
{
    if (m_cells.empty()) {
        firstCol = lastCol = firstRow = lastRow = 0;
        return;
    }
    int minCol = 255, maxCol = 0, minRow = 65535, maxRow = 0;
    m_cells.forEach([&](const TCell &c) {
        minCol = std::min(minCol, c.column());
        maxCol = std::max(maxCol, c.column());
        minRow = std::min(minRow, c.row());
        maxRow = std::max(maxRow, c.row());
    });
    firstCol = static_cast<quint16>(minCol);
    lastCol = static_cast<quint16>(maxCol);
    firstRow = static_cast<quint16>(minRow);
    lastRow = static_cast<quint16>(maxRow);
}

// ---- the workbook --------------------------------------------------------------------------------

const std::array<quint32, 65> &TXlsWorkbook::builtInPalette()
{
    static const std::array<quint32, 65> palette = {
        0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, // 0-7
        0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, // 8-15
        0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, // 16-23
        0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, // 24-31
        0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF, // 32-39
        0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99, // 40-47
        0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, // 48-55
        0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333, // 56-63
        0x000000,                                                                       // 64 automatic
    };
    return palette;
}

QStringList TXlsWorkbook::builtInNumberFormats()
{
    QStringList f = {
        "General", "0", "0.00", "#,##0", "#,##0.00", "\"$\"#,##0_);(\"$\"#,##0)", "\"$\"#,##0_);[Red](\"$\"#,##0)",
        "\"$\"#,##0.00_);(\"$\"#,##0.00)", "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)", "0%", "0.00%", "0.00E+00",
        "# ?/?", "# ?\?/?\?", "m/d/yy", "d-mmm-yy", "d-mmm", "mmm-yy", "h:mm AM/PM", "h:mm:ss AM/PM", "h:mm",
        "h:mm:ss", "m/d/yy h:mm"};
    while (f.size() < 37)
        f.append(QString());
    f << "#,##0 ;(#,##0)" << "#,##0 ;[Red](#,##0)" << "#,##0.00;(#,##0.00)" << "#,##0.00;[Red](#,##0.00)"
      << "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)" << "_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)"
      << "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)"
      << "_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"??_);_(@_)" << "mm:ss" << "[h]:mm:ss" << "mm:ss.0"
      << "##0.0E+0" << "@";
    return f;
}

TXlsWorkbook::TXlsWorkbook()
{
    resetContent();
    // The program's configuration of its workbook.
    sheets.front()->setName(QStringLiteral("Sheet 1"));
    cellFormats.front().patternColors = 0x2040;
}

void TXlsWorkbook::setVersion(TExcelVersion version)
{
    m_version = version;
}

TSheet &TXlsWorkbook::addSheet(const QString &storedName)
{
    ++m_sheetNumber;
    sheets.push_back(std::make_unique<TSheet>(*this, storedName));
    return *sheets.back();
}

TSheet &TXlsWorkbook::addSheet()
{
    return addSheet(QString(QChar(0)) + QStringLiteral("Sheet %1").arg(m_sheetNumber + 1));
}

const TXFont &TXlsWorkbook::font() const
{
    if (fonts.empty())
        throw XlsError(QStringLiteral("No Fonts"));
    return fonts.front();
}

void TXlsWorkbook::setFont(const TXFont &font)
{
    if (fonts.empty())
        throw XlsError(QStringLiteral("No Fonts"));
    fonts.front() = font;
}

void TXlsWorkbook::resetContent()
{
    defaults = true;
    palette = builtInPalette();
    sharedStrings.clear();
    sheets.clear();
    addSheet();
    numberFormats = builtInNumberFormats();
    cellFormats.clear();
    TCellFormat format;
    format.name = QStringLiteral("Format 0");
    format.patternColors = 0x20C0;
    cellFormats.push_back(format);
    fonts.assign(5, TXFont());
    otherRecords.clear();
}

void TXlsWorkbook::clear()
{
    resetContent();
}
