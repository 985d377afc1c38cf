#include "XlsToCsv.h"

#include "ResultWriter.h"
#include "TextWriters.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/RegionalSettings.h"
#include "xls/Workbook.h"

#include <QFile>

#include <charconv>

namespace {

char separatorByte()
{
    unsigned char byte = ',';
    cp1250::encodeChar(RegionalSettings::current().decimalSeparator.unicode(), byte);
    return static_cast<char>(byte);
}

// The cells of the first sheet as CSV lines, written straight into the bytes.
class SheetLines {
public:
    SheetLines(const TXlsWorkbook &book, const TSheet &sheet)
        : m_book(book), m_sheet(sheet), m_codec(cp1250::codec()), m_separator(separatorByte())
    {
    }

    void appendCell(QByteArray &out, int column, int row)
    {
        const TCell *cell = m_sheet.cell(column, row);
        const qsizetype start = out.size();
        if (!cell) {
        } else if (cell->kind == CellKind::Integer) {
            char digits[16];
            out.append(digits, std::to_chars(digits, digits + sizeof digits, cell->integer).ptr - digits);
        } else if (cell->kind == CellKind::Float || cell->kind == CellKind::NumberFormula) {
            char digits[numbers::kGeneralFloatChars];
            out.append(digits, numbers::appendGeneralFloat(digits, cell->number, m_separator));
        } else if (cell->kind == CellKind::String && cell->integer >= 0 && cell->integer < m_book.sharedStrings.count()) {
            m_codec.appendEncoded(out, m_book.sharedStrings.at(cell->integer).text);
        } else {
            out.append(cp1250::encode(m_sheet.asString(column, row)));
        }
        quoteCsvCell(out, start);
        out.append(';');
    }

private:
    const TXlsWorkbook &m_book;
    const TSheet &m_sheet;
    const SingleByteCodec &m_codec;
    char m_separator;
};

} // namespace

QString csvCell(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\r'))
        && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString przepiszXlsDoCsv(TXlsWorkbook &xls, const QString &catalogueDirectory, const QString &name)
{
    xls.filename = paths::resolveExisting(paths::ensureTrailingSeparator(catalogueDirectory) + name);
    xls.read();
    const TSheet &sheet = xls.sheet(0);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    QString output = (dot > 0 ? name.left(dot) : QString()) + QStringLiteral(".csv");
    output.replace(QLatin1Char('\\'), QLatin1Char('/'));
    fileaccess::writeThroughTemporary(output, [&](fileaccess::TemporaryFile &file) {
        ByteSink sink(file);
        SheetLines lines(xls, sheet);
        // A sheet its file declares empty has no rows, though its last row reads as 65535.
        if (!sheet.declaredEmpty && sheet.lastRow >= sheet.firstRow) {
            for (int row = sheet.firstRow; row <= sheet.lastRow; ++row) {
                for (int column = sheet.firstCol; column <= sheet.lastCol; ++column)
                    lines.appendCell(sink.buffer(), column, row);
                sink.buffer().append("\r\n", 2);
                sink.flushIfFull();
            }
        }
        sink.flush();
    });
    return output;
}
