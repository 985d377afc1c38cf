#include "Numbers.h"

#include "Errors.h"
#include "RegionalSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
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

namespace {

// Splits d.ddd...e±x text into its digits and exponent.
void splitScientific(const char *text, const char *end, char *digits, int &count, int &exponent)
{
    const char *e = std::find(text, end, 'e');
    count = 0;
    for (const char *c = text; c < e && count < 17; ++c) {
        if (*c != '.')
            digits[count++] = *c;
    }
    exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
}

} // namespace

namespace {

// Amounts and counts have few decimals: when the value is an integer of at most 15 digits divided
// by 10^decimals (decimals up to 4), exactly as the double is, those digits are its shortest text.
bool fewDecimalDigits(double magnitude, char *digits, int &count, int &exponent)
{
    static const double kScales[] = {1, 10, 100, 1000, 10000};
    if (magnitude >= 1e15 || magnitude < 1e-4)
        return false;
    for (int decimals = 0; decimals <= 4; ++decimals) {
        const double scaled = magnitude * kScales[decimals];
        const double whole = std::nearbyint(scaled);
        if (whole >= 1e15 || whole / kScales[decimals] != magnitude)
            continue;
        char text[20];
        const int length = static_cast<int>(std::to_chars(text, text + sizeof text, static_cast<qint64>(whole)).ptr - text);
        exponent = length - decimals - 1;
        count = length;
        std::copy(text, text + length, digits);
        while (count > 1 && digits[count - 1] == '0')
            --count;
        return true;
    }
    return false;
}

} // namespace

void significantDigits(double magnitude, char *digits, int &count, int &exponent)
{
    if (fewDecimalDigits(magnitude, digits, count, exponent))
        return;
    // The shortest text that reads back as the value is exact enough unless it has more than 15
    // digits and its dropped digits lie at a tie, where only the value's exact decimal expansion
    // tells which way 15 digits round; subnormal values have too few bits for the shortcut.
    char buffer[40];
    const bool subnormal = magnitude < std::numeric_limits<double>::min();
    const char *end = subnormal
        ? std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14).ptr
        : std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific).ptr;
    splitScientific(buffer, end, digits, count, exponent);
    if (count > 15) {
        const int tail = count == 16 ? (digits[15] - '0') * 10 : (digits[15] - '0') * 10 + (digits[16] - '0');
        if (tail >= 49 && tail <= 51) {
            end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14).ptr;
            splitScientific(buffer, end, digits, count, exponent);
        } else {
            count = 15;
            if (tail > 50) {
                int i = 14;
                while (i >= 0 && digits[i] == '9')
                    digits[i--] = '0';
                if (i >= 0) {
                    ++digits[i];
                } else {
                    digits[0] = '1';
                    ++exponent;
                }
            }
        }
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;
}

int appendGeneralFloat(char *out, double value, char decimalSeparator)
{
    char *at = out;
    const auto put = [&at](const char *text) {
        while (*text)
            *at++ = *text++;
    };
    if (std::isnan(value)) {
        put("NAN");
        return static_cast<int>(at - out);
    }
    if (std::isinf(value)) {
        put(value > 0 ? "INF" : "-INF");
        return static_cast<int>(at - out);
    }
    if (value == 0) {
        *at++ = '0';
        return 1;
    }
    const bool negative = value < 0;
    char digits[17];
    int count = 0, exponent = 0;
    significantDigits(std::fabs(value), digits, count, exponent);

    if (negative)
        *at++ = '-';
    const int pointPos = exponent + 1; // digits before the decimal separator
    if (pointPos > 15 || pointPos < -3) {
        *at++ = digits[0];
        if (count > 1) {
            *at++ = decimalSeparator;
            at = std::copy(digits + 1, digits + count, at);
        }
        *at++ = 'E';
        at = std::to_chars(at, at + 8, exponent).ptr;
    } else if (pointPos <= 0) {
        *at++ = '0';
        *at++ = decimalSeparator;
        at = std::fill_n(at, -pointPos, '0');
        at = std::copy(digits, digits + count, at);
    } else if (pointPos >= count) {
        at = std::copy(digits, digits + count, at);
        at = std::fill_n(at, pointPos - count, '0');
    } else {
        at = std::copy(digits, digits + pointPos, at);
        *at++ = decimalSeparator;
        at = std::copy(digits + pointPos, digits + count, at);
    }
    return static_cast<int>(at - out);
}

QString formatFloat(double value, QChar decimalSeparator)
{
    // The separator is written as a placeholder byte and put in afterwards: it may be any
    // character.
    char buffer[kGeneralFloatChars];
    const int length = appendGeneralFloat(buffer, value, '\x01');
    QString text = QString::fromLatin1(buffer, length);
    text.replace(QLatin1Char('\x01'), decimalSeparator);
    return text;
}

QString formatFloat(double value)
{
    return formatFloat(value, RegionalSettings::current().decimalSeparator);
}

} // namespace numbers
