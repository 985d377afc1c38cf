#include "Paths.h"

#include "FileAccess.h"

#include <QDir>

namespace paths {
namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// The entry of directory whose name equals name without regard to case.
std::optional<QString> findEntryIgnoringCase(const QString &directory, const QString &name)
{
    const QString folded = name.toCaseFolded();
    const QStringList entries = QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.toCaseFolded() == folded)
            return entry;
    }
    return std::nullopt;
}

} // namespace

QString ensureTrailingSeparator(const QString &path)
{
    if (!path.isEmpty() && isSeparator(path.back()))
        return path;
    return path + QLatin1Char('/');
}

QString join(const QString &directory, const QString &name)
{
    qsizetype start = 0;
    while (start < name.size() && isSeparator(name[start]))
        ++start;
    return ensureTrailingSeparator(directory) + name.mid(start);
}

bool isAbsolute(const QString &name)
{
    return name.startsWith(QLatin1Char('/')) || (name.size() >= 2 && name[1] == QLatin1Char(':'));
}

std::optional<QString> findExisting(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    if (fileaccess::exists(path))
        return path;
    QString unixPath = path;
    unixPath.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (unixPath != path && fileaccess::exists(unixPath))
        return unixPath;

    const bool absolute = unixPath.startsWith(QLatin1Char('/'));
    QString found = absolute ? QStringLiteral("/") : QString();
    const QStringList parts = unixPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QString directory = found.isEmpty() ? QStringLiteral(".") : found;
        const QString exact = found + part;
        if (part == QLatin1String(".") || part == QLatin1String("..") || fileaccess::exists(exact)) {
            found = exact + QLatin1Char('/');
            continue;
        }
        const auto entry = findEntryIgnoringCase(directory, part);
        if (!entry)
            return std::nullopt;
        found += *entry + QLatin1Char('/');
    }
    found.chop(1);
    if (found.isEmpty() || !fileaccess::exists(found))
        return std::nullopt;
    return found;
}

QString resolveExisting(const QString &path)
{
    return findExisting(path).value_or(path);
}

} // namespace paths
