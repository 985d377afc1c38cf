#pragma once

#include "platform/Errors.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// The in-memory XLS workbook: sheets of sparse cells, the shared string table, fonts, cell
// formats, number format texts, the palette and the workbook and sheet settings that the writer
// turns into records and the reader fills from them. Text is Unicode throughout; a string still
// remembers whether it was stored as 8-bit or as 16-bit text.

enum class TExcelVersion { xvNone, xvExcelUnknown, xvExcel21, xvExcel30, xvExcel40, xvExcel50, xvExcel97 };

// Raised for the workbook's own errors; the text is the one the user sees.
class QIODevice;
namespace compound {
class Writer;
}

class XlsError : public Exception {
public:
    using Exception::Exception;
};

// ---- fonts, formats, palette ---------------------------------------------------------------------

enum TExcelColor : int { xcBlack = 8, xcWhite = 9, xcAutomatic = 64 };

struct TXFont {
    enum Style { xfsBold = 1, xfsItalic = 2, xfsStrikeOut = 4 };
    enum SubSuperScript { xssNone, xssSuperscript, xssSubscript };
    enum Underline { xulNone, xulSingle, xulDouble, xulSingleAccount, xulDoubleAccount };
    QString name = QStringLiteral("Arial");
    int charset = 0;
    int color = xcBlack;
    int size = 10; // points
    int style = 0;
    SubSuperScript subSuperScript = xssNone;
    Underline underline = xulNone;
};

struct TCellFormat {
    QString name;
    int fontIndex = 0;
    int numberFormatIndex = -1; // written as 0, "General"
    // The XF record's remaining words as they are stored (BIFF8 layout).
    quint16 protection = 0x0001;  // locked
    quint16 alignment = 0x0020;   // general horizontal, bottom vertical
    quint16 indentAttributes = 0;
    quint16 borderLines = 0;
    quint16 borderColors = 0x2040; // border colours 64
    quint32 borderFill = 0x00102040;
    quint16 patternColors = 0x2041; // pattern colours 64 and 65
};

// ---- shared strings ------------------------------------------------------------------------------

// What a string read from a file may carry beside its characters.
struct StringExtras {
    QByteArray richText;     // formatting runs
    QByteArray extendedData; // phonetic data
};

struct SharedString {
    quint16 hash = 0;
    bool wide = false; // stored as 16-bit characters
    int refCount = 0;
    QString text;
    std::unique_ptr<StringExtras> extras;
};

class TSharedStrings {
public:
    // Adds a store of the text and returns its entry.
    int add(const QString &text, bool wide);
    // An entry taken over from a file as it stands.
    int append(SharedString entry);
    const SharedString &at(int index) const; // XlsError "SST index out of range (%d:%d)"
    SharedString &at(int index);
    int count() const { return static_cast<int>(m_entries.size()); }
    void reserve(qsizetype entries) { m_entries.reserve(static_cast<size_t>(entries)); }
    qint64 totalCount() const { return m_total; }
    void setTotalCount(qint64 total) { m_total = total; }
    void clear();
    bool alwaysAppend = false; // skips the search for an equal entry

    static quint16 hashOf(const QString &text, bool wide);

private:
    std::vector<SharedString> m_entries;
    void indexAppended();
    // The first entry (+ 1) of each text, one table for 8-bit and one for 16-bit entries, covering
    // the entries before m_indexed.
    std::array<QHash<QString, int>, 2> m_index;
    int m_indexed = 0;
    qint64 m_total = 0;
};

// ---- cells ---------------------------------------------------------------------------------------

enum class CellKind : unsigned char {
    None = 0, // an empty place in the store
    Blank = 1,
    Integer = 3,
    Float = 4,
    String = 5,
    Boolean = 6,
    Error = 7,
    NumberFormula = 8,
    StringFormula = 9,
    BooleanFormula = 10,
    ErrorFormula = 11,
    ArrayFormula = 12,
};

// What only formula cells carry.
struct FormulaData {
    QString text;       // a text result
    QByteArray formula; // the formula's bytes as read
};

struct TCell {
    union {
        qint32 integer = 0; // Integer; Boolean and Error values; string table index
        double number;      // Float and number formula results
    };
    std::unique_ptr<FormulaData> formula;
    quint32 key = 0; // row * 256 + column
    int formatIndex = -1;
    CellKind kind = CellKind::None;

    int row() const { return static_cast<int>(key >> 8); }
    int column() const { return static_cast<int>(key & 0xFF); }
    QString formulaText() const { return formula ? formula->text : QString(); }
};

inline quint32 cellKey(int column, int row)
{
    return static_cast<quint32>(row) * 256 + static_cast<quint32>(column & 0xFF);
}

// The sparse store: a four-level tree by the cell key (row high byte, row low byte, column high
// nibble, column low nibble), nodes made on demand, the cells held in the last level itself,
// visited in ascending key order.
class TCellStorage {
public:
    TCellStorage();
    ~TCellStorage();
    TCellStorage(const TCellStorage &) = delete;
    TCellStorage &operator=(const TCellStorage &) = delete;

    TCell *find(quint32 key) const;
    // Puts the cell in, replacing one at the same key, whose format index the new cell takes over.
    // Returns the cell in its place.
    TCell &put(TCell cell);
    void clear();
    bool empty() const { return m_count == 0; }
    int count() const { return m_count; }
    template <class Visit>
    void forEach(Visit visit) const;

private:
    struct Level4 { std::array<TCell, 16> cells; };
    struct Level3 { std::array<Level4 *, 16> nodes{}; };
    struct Level2 { std::array<std::unique_ptr<Level3>, 256> nodes; };
    struct Level1 { std::array<std::unique_ptr<Level2>, 256> nodes; };
    Level4 *newLevel4();
    void forgetCellsWithoutFormulas();
    std::unique_ptr<Level1> m_root;
    // The cells live in large blocks, many nodes each. (Huge pages are not asked for: where the
    // system defragments for them on demand, a page fault can stall for milliseconds.)
    struct Block;
    std::vector<std::unique_ptr<Block>> m_blocks;
    mutable quint32 m_lastKey = 0xFFFFFFFF;
    mutable TCell *m_last = nullptr;
    int m_count = 0;
    bool m_hasFormulas = false;
};

template <class Visit>
void TCellStorage::forEach(Visit visit) const
{
    for (const auto &l2 : m_root->nodes) {
        if (!l2)
            continue;
        for (const auto &l3 : l2->nodes) {
            if (!l3)
                continue;
            for (const auto &l4 : l3->nodes) {
                if (!l4)
                    continue;
                for (const TCell &cell : l4->cells) {
                    if (cell.kind != CellKind::None)
                        visit(cell);
                }
            }
        }
    }
}

// ---- sheets --------------------------------------------------------------------------------------

struct TPrintSettings {
    int copies = 1;
    int paperSize = 9; // A4
    int scalingFactor = 100;
    int startingPage = 1;
    int fitWidth = 1;
    int fitHeight = 1;
    quint16 options = 0x0002; // portrait
    double marginLeft = -1, marginRight = -1, marginTop = -1, marginBottom = -1;
    double headerMargin = 0, footerMargin = 0;
    int resolution = 600;
    int verticalResolution = 600;
    QString header, footer;
    bool printHeadings = false, printGridlines = false, horizCenter = false, vertCenter = false;
};

struct RowEntry {
    int row = 0, firstCol = 0, lastCol = 0, height = 255, options = 0, xf = 15;
};

class TXlsWorkbook;

class TSheet {
public:
    enum Option { soGridlines = 1, soRowColHeadings = 2, soProtected = 4, soR1C1Mode = 8, soIteration = 16,
                  soShowFormulas = 32, soFrozenPanes = 64, soShowZeros = 128 };

    TSheet(TXlsWorkbook &workbook, QString storedName);

    QString name() const; // without the kind character
    const QString &storedName() const { return m_name; }
    // XlsError "Sheet name "X" allready exists" when another sheet has the name.
    void setName(const QString &name);

    void setAsInteger(int column, int row, qint32 value);
    void setAsFloat(int column, int row, double value);
    void setAsString(int column, int row, const QString &text);     // an 8-bit string entry
    void setAsWideString(int column, int row, const QString &text); // a 16-bit string entry
    void setBlank(int column, int row);
    void setBoolean(int column, int row, bool value);
    void setError(int column, int row, int errorNumber);
    TCell &putCell(TCell cell, int column, int row);
    // The cell's value as text; empty for a missing cell.
    QString asString(int column, int row) const;
    const TCell *cell(int column, int row) const { return m_cells.find(cellKey(column, row)); }
    TCellStorage &cells() { return m_cells; }
    const TCellStorage &cells() const { return m_cells; }

    // Used range as last computed or read, each a 16-bit value.
    quint16 firstCol = 0, lastCol = 0, firstRow = 0, lastRow = 0;
    // The file's DIMENSIONS declared the sheet empty (first row equal to last row + 1).
    bool declaredEmpty = false;
    void computeUsedRange();

    int defaultColWidth = 8;
    int defaultRowHeight = 0;
    int options = soGridlines | soRowColHeadings | soShowZeros;
    int workspaceOptions = 0x0641;
    int calcCount = 100;
    double delta = 0.001;
    bool recalcFormulas = true;
    int zoom = 100, zoomPreview = 100;
    int fixedRows = 0, fixedCols = 0;
    int gridSet = 1;
    std::array<int, 4> gutters{};
    TPrintSettings printSettings;
    std::vector<RowEntry> rows;
    struct ColumnFormat { int first, last, formatIndex; };
    std::vector<ColumnFormat> columnFormats;
    // Records read from a file that the model keeps without interpreting them.
    std::vector<std::pair<quint16, QByteArray>> otherRecords;

private:
    int formatFor(int column, int row);
    TCell &store(CellKind kind, int column, int row);

    TXlsWorkbook &m_workbook;
    QString m_name;
    TCellStorage m_cells;
};

// ---- the workbook --------------------------------------------------------------------------------

class TXlsWorkbook {
public:
    TXlsWorkbook();

    QString filename;
    TExcelVersion version() const { return m_version; }
    void setVersion(TExcelVersion version);
    int maxRecordSize() const { return m_version >= TExcelVersion::xvExcel97 ? 8224 : 2080; }

    int codepage = 1200;
    QString userName;
    bool bookProtected = false, backup = false, refreshAll = false, writeUnicodeStrings = false, showFormulas = false,
         isMac = false, preserveMacros = false, readOnly = false;
    QChar funcArgSeparator = QLatin1Char(';');
    QString strTrue = QStringLiteral("TRUE"), strFalse = QStringLiteral("FALSE");
    struct {
        int left = 100, top = 100, width = 10000, height = 7000, selectedTab = 0;
        int options = 0x38; // horizontal and vertical scroll bars, tabs
    } window;
    struct {
        bool saveExtLinkVal = false;
        int calcCount = 0;
        int calcMode = 1; // automatic
        double delta = 0;
        int showObjects = 0;
        bool iteration = false, precisionAsDisplayed = false, r1c1Mode = false, recalcBeforeSave = false,
             uncalced = false;
    } optionsDialog;
    bool dateMode1904 = false;
    bool saveRecalc = true;
    bool revisionProtection = false;
    int countryDefault = 1, countryWindows = 0; // read from a file
    bool defaults = true;

    std::vector<TXFont> fonts;
    std::vector<TCellFormat> cellFormats;
    QStringList numberFormats; // index = format number; the first 50 are built in
    std::array<quint32, 65> palette{};
    TSharedStrings sharedStrings;
    std::vector<std::unique_ptr<TSheet>> sheets;
    // Workbook-level records read from a file and kept as they stand.
    std::vector<std::pair<quint16, QByteArray>> otherRecords;

    TSheet &sheet(int index) { return *sheets.at(static_cast<size_t>(index)); }
    TSheet &addSheet(); // named "Sheet " + running number
    TSheet &addSheet(const QString &storedName);
    const TXFont &font() const; // XlsError "No Fonts"
    void setFont(const TXFont &font);
    int runningSheetNumber() const { return m_sheetNumber; }

    void clear();
    void write(); // the writer, to filename
    void write(QIODevice &device);
    void read();  // the reader, after clear()

    static const std::array<quint32, 65> &builtInPalette();
    static QStringList builtInNumberFormats();

private:
    void resetContent();
    void checkWritable() const;
    void writeTo(compound::Writer &file);

    TExcelVersion m_version = TExcelVersion::xvExcel97;
    int m_sheetNumber = 0;
};

// The text of an error number 1 to 7 ("#NULL!" ... "#N/A"); 0 and others "[int] No error value".
QString errorText(int errorNumber);
