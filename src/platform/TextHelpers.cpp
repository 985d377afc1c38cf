#include "TextHelpers.h"

#include "RegionalSettings.h"

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

bool isDigitPlace(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#');
}

qint64 powerOfTen(int n)
{
    qint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

QString formatPicture(const QString &picture, qint64 amount)
{
    const qsizetype point = picture.indexOf(QLatin1Char('.'));
    const qsizetype intEnd = point < 0 ? picture.size() : point;
    int intPlaces = 0, fracPlaces = 0, firstIntPlace = -1;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        if (!isDigitPlace(picture[i]))
            continue;
        if (i < intEnd) {
            if (firstIntPlace < 0)
                firstIntPlace = static_cast<int>(i);
            ++intPlaces;
        } else {
            ++fracPlaces;
        }
    }

    // Round the ten-thousandths to the picture's decimals, half up; places past the fourth are 0.
    const int decimals = std::min(fracPlaces, 4);
    const qint64 divisor = powerOfTen(4 - decimals);
    const qint64 scaled = amount / divisor + ((amount % divisor) * 2 >= divisor ? 1 : 0);
    const qint64 fracScale = powerOfTen(decimals);
    const QString intDigits = scaled / fracScale == 0 ? QString() : QString::number(scaled / fracScale);
    const QString fracDigits = (decimals == 0 ? QString() : QString::number(scaled % fracScale).rightJustified(decimals, QLatin1Char('0')))
        + QString(fracPlaces - decimals, QLatin1Char('0'));

    // Fraction places: a "#" place drops its digit when it and every digit after it are zeros.
    qsizetype lastSignificant = fracDigits.size() - 1;
    while (lastSignificant >= 0 && fracDigits[lastSignificant] == QLatin1Char('0'))
        --lastSignificant;
    int keepFrac = 0;
    int place = 0;
    for (qsizetype i = intEnd; i < picture.size(); ++i) {
        if (!isDigitPlace(picture[i]))
            continue;
        if (picture[i] == QLatin1Char('0') || place <= lastSignificant)
            keepFrac = place + 1;
        ++place;
    }

    QString out;
    const QChar separator = RegionalSettings::current().decimalSeparator;
    int intPlace = 0; // counts the integer places from the left
    int fracPlace = 0;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        const QChar c = picture[i];
        if (i == point) {
            if (keepFrac > 0)
                out += separator;
            continue;
        }
        if (!isDigitPlace(c)) {
            out += c;
            continue;
        }
        if (i < intEnd) {
            // Place intPlace takes the digit intPlaces - intPlace positions from the right.
            const int fromRight = intPlaces - intPlace;
            const qsizetype digitIndex = intDigits.size() - fromRight;
            if (i == firstIntPlace && digitIndex > 0)
                out += intDigits.left(digitIndex); // digits beyond the places
            if (digitIndex >= 0)
                out += intDigits[digitIndex];
            else if (c == QLatin1Char('0'))
                out += QLatin1Char('0');
            ++intPlace;
        } else {
            if (fracPlace < keepFrac)
                out += fracDigits[fracPlace];
            ++fracPlace;
        }
    }
    if (intPlaces == 0 && !intDigits.isEmpty())
        out.prepend(intDigits);
    return out;
}

QString formatAmount(const QString &picture, bool blankZero, qint64 amount)
{
    const int width = static_cast<int>(picture.size());
    if (amount == 0 && blankZero)
        return QString(width, QLatin1Char(' '));
    if (amount >= 0)
        return padLeft(formatPicture(picture, amount), width, QStringLiteral(" "));
    const qint64 magnitude = amount == std::numeric_limits<qint64>::min() ? std::numeric_limits<qint64>::max() : -amount;
    return padLeft(QLatin1Char('-') + removeBlanks(formatPicture(picture, magnitude)), width, QStringLiteral(" "));
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
