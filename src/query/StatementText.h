#pragma once

#include <QString>
#include <QStringList>

// The rules of query texts that hold no state: marker lines naming other stored queries, the
// joined text a statement is judged by, the export name of a "_DAJ" title.

// Marker lines: "+_DAJ" or "+_LIC" (any case) in the first five characters.
bool isMarkerLine(const QString &line);
bool isExportMarkerLine(const QString &line);
QStringList withoutMarkerLines(QStringList lines);
// The title of the stored query a marker line names: from its 2nd to its next-to-last character
// ("+_DAJKURSY;" names "_DAJKURSY").
QString markerTitle(const QString &line);
// The name a "+_DAJ" line exports under: what follows the five marker characters, without the last.
QString markerExportName(const QString &line);
// The lines, each followed by CR LF.
QString joinLines(const QStringList &lines);
// The length a joined text is measured against: a statement shorter than this does not run, and
// the text of a stored query runs only when longer.
constexpr int kStatementLength = 8;
// The name a title's result is exported under: what follows "_DAJ" (any case) at its start.
QString exportNameOf(const QString &title);
