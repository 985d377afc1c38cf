#include "ResultExport.h"

#include "TextWriters.h"
#include "XlsResultWriter.h"
#include "db/Query.h"
#include "db/Table.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString extensionOf(const QString &name)
{
    const qsizetype separator = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > separator ? name.mid(dot).toUpper() : QString();
}

// The file as this system writes paths: "\" of names written on Windows as "/".
QString filePath(const QString &name)
{
    return QString(name).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

template <class Writer>
void writeTextFile(const Query &result, const QString &path)
{
    fileaccess::writeThroughTemporary(path, [&](fileaccess::TemporaryFile &file) {
        ByteSink sink(file);
        Writer writer(sink);
        writeResult(result, writer, QStringLiteral("Zapisywanie pliku %1").arg(QFileInfo(path).fileName()));
        sink.flush();
    });
}

void writeWorkbook(const Query &result, const QString &path)
{
    fileaccess::writeThroughTemporary(path, [&](fileaccess::TemporaryFile &file) {
        XlsResultWriter writer(file);
        writeResult(result, writer, QStringLiteral("Zapisywanie pliku %1").arg(QFileInfo(path).fileName()));
    });
}

void copyToTable(Query &result, const QString &name)
{
    Table table(result.database());
    table.setTableName(tableExportName(name));
    BatchMove move;
    move.source = &result;
    move.destination = &table;
    move.execute();
}

} // namespace

ExportKind exportKindOf(const QString &name)
{
    const QString extension = extensionOf(name);
    if (extension == QLatin1String(".XLS"))
        return ExportKind::Xls;
    if (extension == QLatin1String(".TXT"))
        return ExportKind::Txt;
    if (extension == QLatin1String(".CSV"))
        return ExportKind::Csv;
    return ExportKind::Table;
}

QString tableExportName(const QString &name)
{
    return name.contains(QLatin1Char('.')) ? name : name + QStringLiteral(".DB");
}

void writeExport(Query &result, const QString &name)
{
    if (name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\')))
        throw EConvertError(QStringLiteral("\r\nNazwa \"%1\" wskazuje folder, a nie plik: dopisz nazwę pliku").arg(name));
    switch (exportKindOf(name)) {
    case ExportKind::Xls: writeWorkbook(result, filePath(name)); break;
    case ExportKind::Txt: writeTextFile<TxtWriter>(result, filePath(name)); break;
    case ExportKind::Csv: writeTextFile<CsvWriter>(result, filePath(name)); break;
    case ExportKind::Table: copyToTable(result, name); break;
    }
}
