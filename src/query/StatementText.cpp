#include "StatementText.h"

namespace {

bool startsWithNoCase(const QString &text, const char *prefix)
{
    return text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

} // namespace

bool isExportMarkerLine(const QString &line)
{
    return startsWithNoCase(line, "+_DAJ");
}

bool isMarkerLine(const QString &line)
{
    return isExportMarkerLine(line) || startsWithNoCase(line, "+_LIC");
}

QStringList withoutMarkerLines(QStringList lines)
{
    lines.removeIf(isMarkerLine);
    return lines;
}

QString markerTitle(const QString &line)
{
    return line.mid(1, std::max<qsizetype>(0, line.size() - 2));
}

QString markerExportName(const QString &line)
{
    return line.mid(5, std::max<qsizetype>(0, line.size() - 6));
}

QString joinLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QString exportNameOf(const QString &title)
{
    return startsWithNoCase(title, "_DAJ") ? title.mid(4) : QString();
}
