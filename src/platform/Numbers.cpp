#include "Numbers.h"

#include "Errors.h"
#include "RegionalSettings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace numbers {
namespace {

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

std::optional<qint64> parseInteger(const QString &text, qint64 min, qint64 max, quint64 hexMax)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        negative = t[i++] == QLatin1Char('-');
    const bool hex = i + 1 < t.size() && t[i] == QLatin1Char('0')
        && (t[i + 1] == QLatin1Char('x') || t[i + 1] == QLatin1Char('X'));
    if (hex)
        i += 2;
    if (i >= t.size())
        return std::nullopt;
    const int base = hex ? 16 : 10;
    quint64 magnitude = 0;
    const quint64 limit = hex ? hexMax : static_cast<quint64>(max) + (negative ? 1 : 0);
    for (; i < t.size(); ++i) {
        const int digit = digitValue(t[i]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        if (magnitude > (limit - static_cast<quint64>(digit)) / static_cast<quint64>(base))
            return std::nullopt;
        magnitude = magnitude * static_cast<quint64>(base) + static_cast<quint64>(digit);
    }
    if (hex) {
        // Hexadecimal text gives the bit pattern: 0xFFFFFFFF is -1 as a 32-bit integer.
        qint64 value = hexMax == std::numeric_limits<quint32>::max()
            ? static_cast<qint64>(static_cast<qint32>(static_cast<quint32>(magnitude)))
            : static_cast<qint64>(magnitude);
        return negative ? -value : value;
    }
    const qint64 value = negative ? static_cast<qint64>(0 - magnitude) : static_cast<qint64>(magnitude);
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

EConvertError notInteger(const QString &text)
{
    return EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

} // namespace

std::optional<qint64> tryParseInt64(const QString &text)
{
    return parseInteger(text, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
                        std::numeric_limits<quint64>::max());
}

std::optional<int> tryParseInt(const QString &text)
{
    const auto value = parseInteger(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                                    std::numeric_limits<quint32>::max());
    if (!value)
        return std::nullopt;
    return static_cast<int>(*value);
}

int parseInt(const QString &text)
{
    const auto value = tryParseInt(text);
    if (!value)
        throw notInteger(text);
    return *value;
}

qint64 parseInt64(const QString &text)
{
    const auto value = tryParseInt64(text);
    if (!value)
        throw notInteger(text);
    return *value;
}

std::optional<double> tryParseFloat(const QString &text, QChar decimalSeparator)
{
    // Rebuild the text in the C locale's form, accepting only what the regional form allows.
    const QString t = text.trimmed();
    QByteArray c;
    c.reserve(t.size());
    qsizetype i = 0;
    auto takeSign = [&] {
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            c.append(static_cast<char>(t[i++].unicode()));
    };
    auto takeDigits = [&] {
        int count = 0;
        while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9')) {
            c.append(static_cast<char>(t[i++].unicode()));
            ++count;
        }
        return count;
    };
    takeSign();
    int digits = takeDigits();
    if (i < t.size() && t[i] == decimalSeparator) {
        ++i;
        c.append('.');
        digits += takeDigits();
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        c.append('e');
        takeSign();
        if (takeDigits() == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    const double value = std::strtod(c.constData(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> tryParseFloat(const QString &text)
{
    return tryParseFloat(text, RegionalSettings::current().decimalSeparator);
}

double parseFloat(const QString &text)
{
    const auto value = tryParseFloat(text);
    if (!value)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return *value;
}

QString formatFloat(double value, QChar decimalSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");

    // d.dddddddddddddde±x: 15 significant digits and the exponent of the first one.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    const QByteArray s(buffer);
    const int ePos = static_cast<int>(s.indexOf('e'));
    const bool negative = s.startsWith('-');
    QByteArray digits = s.mid(negative ? 1 : 0, ePos - (negative ? 1 : 0));
    digits.replace(".", "");
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);
    const int exponent = std::atoi(s.constData() + ePos + 1);

    QString text;
    if (negative)
        text += QLatin1Char('-');
    const int pointPos = exponent + 1; // digits before the decimal separator
    if (pointPos > 15 || pointPos < -3) {
        text += QLatin1Char(digits[0]);
        if (digits.size() > 1) {
            text += decimalSeparator;
            text += QString::fromLatin1(digits.mid(1));
        }
        text += QLatin1Char('E') + QString::number(exponent);
    } else if (pointPos <= 0) {
        text += QLatin1Char('0') + QString(decimalSeparator) + QString(-pointPos, QLatin1Char('0'))
            + QString::fromLatin1(digits);
    } else if (pointPos >= digits.size()) {
        text += QString::fromLatin1(digits) + QString(pointPos - digits.size(), QLatin1Char('0'));
    } else {
        text += QString::fromLatin1(digits.left(pointPos)) + decimalSeparator
            + QString::fromLatin1(digits.mid(pointPos));
    }
    return text;
}

QString formatFloat(double value)
{
    return formatFloat(value, RegionalSettings::current().decimalSeparator);
}

} // namespace numbers
