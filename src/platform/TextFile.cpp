#include "TextFile.h"

#include "CodePage.h"
#include "Errors.h"
#include "FileAccess.h"

#include <QFile>

namespace textfile {

QStringList splitLines(const QString &text)
{
    QStringList lines;
    const QChar *p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = p[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(QString(p + start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && p[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(QString(p + start, n - start));
    return lines;
}

QStringList readLines(const QString &path)
{
    return splitLines(cp1250::decode(fileaccess::readAll(path)));
}

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray bytes;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    bytes.reserve(size);
    for (const QString &line : lines) {
        bytes += cp1250::encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    const QString error = fileaccess::replaceContent(path, bytes);
    if (!error.isEmpty())
        throw EFCreateError(path, error);
}

void writeLines(const QString &path, const QStringList &lines)
{
    writeBytes(path, encodeLines(lines));
}

void appendLines(const QString &path, const QStringList &lines)
{
    const QString error = fileaccess::append(path, encodeLines(lines));
    if (!error.isEmpty())
        throw EFCreateError(path, error);
}

} // namespace textfile
