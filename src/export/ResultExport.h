#pragma once

#include <QString>

class Query;

// The kinds of file a result is exported to, told by the extension of the name: the part from the
// last dot after the last path separator, without regard to case.
enum class ExportKind { Xls, Txt, Csv, Table };
ExportKind exportKindOf(const QString &name);

// The name of a table export: ".DB" appended when the name has no dot anywhere (also in a folder).
QString tableExportName(const QString &name);

// Writes the open result under the name, by its kind: an XLS workbook, a TXT or CSV text file, or a
// table file made by the batch move (".DBF" dBASE, anything else Paradox). Files are written
// through a temporary file in the target folder: a failure leaves no half-written file and an
// existing file is replaced only by a complete one. The result stays open.
void writeExport(Query &result, const QString &name);
