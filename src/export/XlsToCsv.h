#pragma once

#include <QString>
#include <QStringList>

class TXlsWorkbook;

// The text of a cell as the CSV files of the program write it: a text holding ";", a double quote,
// CR or LF between double quotes with inner quotes doubled, any other text as it is.
QString csvCell(const QString &text);

// Converts the first sheet of the workbook named (as typed) below the catalogue directory into a
// semicolon-separated text file: one line per row of the used range, ";" after every cell,
// Windows-1250 with CR LF. The output is the name before its first "." followed by ".csv",
// relative to the working folder. Returns the output path.
QString przepiszXlsDoCsv(TXlsWorkbook &xls, const QString &catalogueDirectory, const QString &name);
