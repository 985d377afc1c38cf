#pragma once

#include <QString>

// Messages of the session's commands that more than one place shows.
namespace messages {

// An error box: a command needs a current entry of the list and there is none.
inline QString noQuerySelected()
{
    return QStringLiteral("\r\nMusisz najpierw wybrać zapytanie");
}

// An error box: the title's query text file does not exist.
inline QString missingQueryText(const QString &title)
{
    return QStringLiteral("\r\nBrak pliku z treścią SQL ") + title;
}

} // namespace messages
