#pragma once

#include <QString>
#include <optional>

namespace paths {

// The path with one "/" appended unless it already ends in a separator.
QString ensureTrailingSeparator(const QString &path);
// The directory and the name joined by exactly one separator.
QString join(const QString &directory, const QString &name);
// A name that is absolute here: it begins with "/" or carries a drive letter ("C:...").
bool isAbsolute(const QString &name);

// Catalogues and SQL texts written on Windows use "\" and ignore letter case: the path itself
// when it names an existing file or directory, otherwise the first one found with "/" for "\"
// and each component matched without regard to case.
std::optional<QString> findExisting(const QString &path);
// findExisting, or the path unchanged when nothing is found.
QString resolveExisting(const QString &path);

} // namespace paths
