#include "TextHelpers.h"

#include "CodePage.h"
#include "Numbers.h"
#include "RegionalSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace text {

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

bool isValidUtf8(const char *bytes, qsizetype length)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    const auto *end = p + length;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        unsigned low = 0x80, high = 0xBF; // the allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p <= more || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i <= more; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF)
                return false;
        }
        p += more + 1;
    }
    return true;
}

const QString &plural(qint64 count, const QString &one, const QString &few, const QString &many)
{
    const qint64 n = count < 0 ? -count : count;
    if (n == 1)
        return one;
    const qint64 units = n % 10, tens = n % 100;
    return units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? few : many;
}

QString counted(qint64 count, const QString &one, const QString &few, const QString &many)
{
    return QString::number(count) + QLatin1Char(' ') + plural(count, one, few, many);
}

namespace {

bool isDigitPlace(char c)
{
    return c == '0' || c == '#';
}

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

void Picture::appendMagnitude(QByteArray &out, const numbers::Decimal &magnitude) const
{
    const int intDigits = magnitude.integerDigits();
    // Fraction places: a "#" place drops its digit when it and every digit after it are zeros.
    int keepFrac = 0;
    for (int i = m_intEnd, place = 0; i < m_pattern.size(); ++i) {
        if (!isDigitPlace(m_pattern[i]))
            continue;
        if (m_pattern[i] == '0' || place < magnitude.fractionDigits())
            keepFrac = place + 1;
        ++place;
    }
    if (m_intPlaces == 0) {
        for (int place = intDigits - 1; place >= 0; --place)
            out.append(magnitude.digitAt(place));
    }
    int intPlace = m_intPlaces - 1; // the place of the next integer digit place, 0 the units
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
            if (i == m_firstIntPlace) {
                for (int place = intDigits - 1; place > intPlace; --place)
                    out.append(magnitude.digitAt(place)); // digits beyond the places
            }
            if (intPlace < intDigits)
                out.append(magnitude.digitAt(intPlace));
            else if (c == '0')
                out.append('0');
            --intPlace;
        } else {
            if (fracPlace < keepFrac)
                out.append(magnitude.digitAt(-1 - fracPlace));
            ++fracPlace;
        }
    }
}

void Picture::appendNumber(QByteArray &out, const numbers::Decimal &value) const
{
    const numbers::Decimal rounded = value.rounded(m_fracPlaces);
    char buffer[128];
    QByteArray text = QByteArray::fromRawData(buffer, 0);
    text.reserve(sizeof buffer);
    appendMagnitude(text, rounded.magnitude());
    if (rounded.negative()) {
        out.append('-');
        for (const char c : std::as_const(text)) {
            if (c != ' ')
                out.append(c);
        }
        return;
    }
    qsizetype first = 0;
    while (first < text.size() && text[first] == ' ')
        ++first;
    out.append(text.constData() + first, text.size() - first);
}

void Picture::appendNumber(QByteArray &out, double value) const
{
    if (!std::isfinite(value)) {
        char text[numbers::kGeneralFloatChars];
        out.append(text, numbers::appendGeneralFloat(text, value, m_separator));
        return;
    }
    appendNumber(out, numbers::Decimal::of(value));
}

void Picture::rightAlign(QByteArray &out, qsizetype start) const
{
    const qsizetype length = out.size() - start;
    if (length < width())
        out.insert(start, width() - length, ' ');
}

void Picture::appendAmount(QByteArray &out, const numbers::Decimal &value) const
{
    const qsizetype start = out.size();
    appendNumber(out, value);
    rightAlign(out, start);
}

void Picture::appendAmount(QByteArray &out, double value) const
{
    const qsizetype start = out.size();
    appendNumber(out, value);
    rightAlign(out, start);
}

QString formatNumber(const QString &picture, double value)
{
    QByteArray out;
    Picture(picture, kSeparatorMark).appendNumber(out, value);
    return withSeparator(out, RegionalSettings::current().decimalSeparator);
}

QString formatNumber(const QString &picture, const numbers::Decimal &value)
{
    QByteArray out;
    Picture(picture, kSeparatorMark).appendNumber(out, value);
    return withSeparator(out, RegionalSettings::current().decimalSeparator);
}

QString formatAmount(const QString &picture, double value)
{
    QByteArray out;
    Picture(picture, kSeparatorMark).appendAmount(out, value);
    return withSeparator(out, RegionalSettings::current().decimalSeparator);
}

} // namespace text
