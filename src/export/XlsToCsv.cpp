#include "XlsToCsv.h"

#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "xls/Workbook.h"

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
    QStringList lines;
    xls.filename = paths::resolveExisting(paths::ensureTrailingSeparator(catalogueDirectory) + name);
    xls.read();
    const TSheet &sheet = xls.sheet(0);
    // A sheet its file declares empty has no rows, though its last row reads as 65535.
    if (!sheet.declaredEmpty && sheet.lastRow >= sheet.firstRow) {
        for (int row = sheet.firstRow; row <= sheet.lastRow; ++row) {
            QString line;
            for (int column = sheet.firstCol; column <= sheet.lastCol; ++column)
                line += csvCell(sheet.asString(column, row)) + QLatin1Char(';');
            lines.append(line);
        }
    }
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    QString output = (dot > 0 ? name.left(dot) : QString()) + QStringLiteral(".csv");
    output.replace(QLatin1Char('\\'), QLatin1Char('/'));
    textfile::writeLines(output, lines);
    return output;
}
