#include "TextHelpers.h"

#include "CodePage.h"
#include "RegionalSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace text {

double roundTo(double x, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::nearbyint(std::fabs(x) * scale) / scale;
    return std::copysign(rounded, x);
}

QString repeatText(const QString &s, int n)
{
    return n <= 0 ? QString() : s.repeated(n);
}

QString padLeft(const QString &s, int w, const QString &p)
{
    if (w <= 0)
        return {};
    return (repeatText(p, w) + s).right(w);
}

QString padRight(const QString &s, int w, const QString &p)
{
    if (w <= 0)
        return {};
    return (s + repeatText(p, w)).left(w);
}

QString centerText(const QString &s, const QString &p, int w)
{
    if (s.size() > w)
        return s;
    QString result = s + repeatText(p, static_cast<int>((w - s.size()) / 2));
    if (p.isEmpty())
        return result;
    while (result.size() < w)
        result.prepend(p);
    return result;
}

QString removeBlanks(const QString &s)
{
    QString result = s;
    result.remove(QLatin1Char(' '));
    return result;
}

namespace {

bool isDigitPlace(char c)
{
    return c == '0' || c == '#';
}

constexpr qint64 kPowersOfTen[] = {1, 10, 100, 1000, 10000};

// A picture whose separator is a placeholder byte, for callers that put in a separator of any
// character afterwards.
constexpr char kSeparatorMark = '\x01';

QString withSeparator(const QByteArray &bytes, QChar separator)
{
    QString text = cp1250::decode(bytes);
    text.replace(QLatin1Char(kSeparatorMark), separator);
    return text;
}

} // namespace

Picture::Picture(const QString &picture, char decimalSeparator)
    : m_pattern(cp1250::encode(picture)), m_separator(decimalSeparator)
{
    m_point = static_cast<int>(m_pattern.indexOf('.'));
    m_intEnd = m_point < 0 ? static_cast<int>(m_pattern.size()) : m_point;
    for (int i = 0; i < m_pattern.size(); ++i) {
        if (!isDigitPlace(m_pattern[i]))
            continue;
        if (i < m_intEnd) {
            if (m_firstIntPlace < 0)
                m_firstIntPlace = i;
            ++m_intPlaces;
        } else {
            ++m_fracPlaces;
        }
    }
}

void Picture::appendPicture(QByteArray &out, qint64 amount) const
{
    // Round the ten-thousandths to the picture's decimals, half up; places past the fourth are 0.
    const int decimals = std::min(m_fracPlaces, 4);
    const qint64 divisor = kPowersOfTen[4 - decimals];
    const qint64 scaled = amount / divisor + ((amount % divisor) * 2 >= divisor ? 1 : 0);
    const qint64 fracScale = kPowersOfTen[decimals];
    char intDigits[24];
    const int intLength = scaled / fracScale == 0
        ? 0
        : static_cast<int>(std::to_chars(intDigits, intDigits + sizeof intDigits, scaled / fracScale).ptr - intDigits);
    char fracDigits[64];
    qint64 fraction = scaled % fracScale;
    for (int d = decimals - 1; d >= 0; --d, fraction /= 10)
        fracDigits[d] = static_cast<char>('0' + fraction % 10);
    const int fracLength = std::min(m_fracPlaces, static_cast<int>(sizeof fracDigits));
    std::fill(fracDigits + decimals, fracDigits + fracLength, '0');

    // Fraction places: a "#" place drops its digit when it and every digit after it are zeros.
    int lastSignificant = fracLength - 1;
    while (lastSignificant >= 0 && fracDigits[lastSignificant] == '0')
        --lastSignificant;
    int keepFrac = 0;
    for (int i = m_intEnd, place = 0; i < m_pattern.size(); ++i) {
        if (!isDigitPlace(m_pattern[i]))
            continue;
        if (m_pattern[i] == '0' || place <= lastSignificant)
            keepFrac = place + 1;
        ++place;
    }

    if (m_intPlaces == 0)
        out.append(intDigits, intLength);
    int intPlace = 0; // counts the integer places from the left
    int fracPlace = 0;
    for (int i = 0; i < m_pattern.size(); ++i) {
        const char c = m_pattern[i];
        if (i == m_point) {
            if (keepFrac > 0)
                out.append(m_separator);
            continue;
        }
        if (!isDigitPlace(c)) {
            out.append(c);
            continue;
        }
        if (i < m_intEnd) {
            // Place intPlace takes the digit intPlaces - intPlace positions from the right.
            const int digitIndex = intLength - (m_intPlaces - intPlace);
            if (i == m_firstIntPlace && digitIndex > 0)
                out.append(intDigits, digitIndex); // digits beyond the places
            if (digitIndex >= 0)
                out.append(intDigits[digitIndex]);
            else if (c == '0')
                out.append('0');
            ++intPlace;
        } else {
            if (fracPlace < keepFrac)
                out.append(fracDigits[fracPlace]);
            ++fracPlace;
        }
    }
}

void Picture::appendAmount(QByteArray &out, qint64 amount, bool blankZero, bool whole) const
{
    const int width = static_cast<int>(m_pattern.size());
    if (amount == 0 && blankZero) {
        out.append(width, ' ');
        return;
    }
    char buffer[128];
    QByteArray text = QByteArray::fromRawData(buffer, 0);
    text.reserve(sizeof buffer);
    if (amount >= 0) {
        appendPicture(text, amount);
    } else {
        const qint64 magnitude = amount == std::numeric_limits<qint64>::min() ? std::numeric_limits<qint64>::max() : -amount;
        QByteArray digits;
        appendPicture(digits, magnitude);
        text.append('-');
        for (const char c : std::as_const(digits)) {
            if (c != ' ')
                text.append(c);
        }
    }
    // Right-aligned to the picture's width; a longer text keeps its last characters, or stays
    // whole for writers that must not cut a number.
    if (text.size() < width)
        out.append(width - text.size(), ' ');
    out.append(whole || text.size() <= width ? text : text.right(width));
}

QString formatPicture(const QString &picture, qint64 amountTenThousandths)
{
    QByteArray out;
    Picture(picture, kSeparatorMark).appendPicture(out, amountTenThousandths);
    return withSeparator(out, RegionalSettings::current().decimalSeparator);
}

QString formatAmount(const QString &picture, bool blankZero, qint64 amountTenThousandths)
{
    QByteArray out;
    Picture(picture, kSeparatorMark).appendAmount(out, amountTenThousandths, blankZero, false);
    return withSeparator(out, RegionalSettings::current().decimalSeparator);
}

qint64 toTenThousandths(double value)
{
    const double scaled = std::nearbyint(value * 10000.0);
    if (std::isnan(scaled))
        return 0;
    if (scaled >= 9.2233720368547758e18)
        return std::numeric_limits<qint64>::max();
    if (scaled <= -9.2233720368547758e18)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(scaled);
}

} // namespace text
