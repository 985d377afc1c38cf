#include "Errors.h"

#include <cstring>
#include <new>

// A NUL quoted from a cell is shown as the symbol for it: a message is never cut there.
Exception::Exception(QString message)
    : m_message(std::move(message).replace(QChar(0), QChar(0x2400))), m_utf8(m_message.toUtf8())
{
}

EFCreateError::EFCreateError(const QString &path, const QString &reason)
    : Exception(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason))
{
}

EFOpenError::EFOpenError(const QString &path, const QString &reason)
    : Exception(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason))
{
}

EIniFileException::EIniFileException(const QString &path)
    : Exception(QStringLiteral("Unable to write to %1").arg(path))
{
}

QString systemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString foreignErrorText(const std::exception &e)
{
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return QStringLiteral("Za mało pamięci, aby dokończyć tę pracę");
    return QString::fromLocal8Bit(e.what());
}

QString standardErrorText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
