#include "Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace numbers {
namespace {

constexpr int kMaxScale = 36;

__int128 powerOfTen(int n)
{
    __int128 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// The decimal digits of a magnitude, most significant first; returns their count.
int digitsOf(unsigned __int128 magnitude, char *out)
{
    char reversed[Decimal::kMaxDigits];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + static_cast<int>(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    std::reverse_copy(reversed, reversed + n, out);
    return n;
}

} // namespace

Decimal Decimal::of(double value)
{
    Decimal d;
    if (value == 0)
        return d;
    d.m_negative = value < 0;
    char text[40];
    const char *end = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific).ptr;
    const char *e = std::find(static_cast<const char *>(text), end, 'e');
    for (const char *c = text; c < e; ++c) {
        if (*c != '.')
            d.m_digits[d.m_count++] = *c;
    }
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
    d.m_point = exponent + 1;
    while (d.m_count > 0 && d.m_digits[d.m_count - 1] == '0')
        --d.m_count;
    return d;
}

Decimal Decimal::ofScaled(__int128 value, int scale)
{
    Decimal d;
    if (value == 0)
        return d;
    d.m_negative = value < 0;
    const unsigned __int128 magnitude = d.m_negative ? -static_cast<unsigned __int128>(value)
                                                     : static_cast<unsigned __int128>(value);
    d.m_count = digitsOf(magnitude, d.m_digits);
    d.m_point = d.m_count - scale;
    while (d.m_count > 0 && d.m_digits[d.m_count - 1] == '0')
        --d.m_count;
    return d;
}

Decimal Decimal::ofInteger(qint64 value)
{
    return ofScaled(value, 0);
}

Decimal Decimal::rounded(int places) const
{
    // The digit that decides is the first one dropped, at index point + places.
    const int keep = m_point + places;
    if (keep >= m_count)
        return *this;
    Decimal r;
    if (keep < 0)
        return r; // below a tenth of the last place: zero
    r = *this;
    r.m_count = keep;
    const char decider = m_digits[keep];
    bool up = decider > '5';
    if (decider == '5') {
        const bool more = std::any_of(m_digits + keep + 1, m_digits + m_count, [](char c) { return c != '0'; });
        const bool odd = keep > 0 && (m_digits[keep - 1] - '0') % 2 == 1;
        up = more || odd;
    }
    if (up) {
        int i = keep - 1;
        while (i >= 0 && r.m_digits[i] == '9')
            --i;
        if (i < 0) {
            // 9.99 to 10.0, or 0.5 (keep 0) to 1 in the last place.
            r.m_digits[0] = '1';
            r.m_count = 1;
            ++r.m_point;
            return r;
        }
        ++r.m_digits[i];
        r.m_count = i + 1;
    }
    while (r.m_count > 0 && r.m_digits[r.m_count - 1] == '0')
        --r.m_count;
    if (r.m_count == 0)
        return Decimal();
    return r;
}

Decimal Decimal::magnitude() const
{
    Decimal m = *this;
    m.m_negative = false;
    return m;
}

char Decimal::digitAt(int place) const
{
    const int index = m_point - 1 - place;
    return index >= 0 && index < m_count ? m_digits[index] : '0';
}

bool Decimal::toScaled(int scale, __int128 &units) const
{
    units = 0;
    if (isZero())
        return true;
    const int length = m_point + scale; // digits of the units
    if (fractionDigits() > scale || length > 38)
        return false;
    for (int i = 0; i < length; ++i)
        units = units * 10 + (i < m_count ? m_digits[i] - '0' : 0);
    if (m_negative)
        units = -units;
    return true;
}

double Decimal::toDouble() const
{
    if (isZero())
        return 0;
    char text[Decimal::kMaxDigits + 16];
    char *at = text;
    if (m_negative)
        *at++ = '-';
    at = std::copy(m_digits, m_digits + m_count, at);
    *at++ = 'e';
    at = std::to_chars(at, text + sizeof text, m_point - m_count).ptr;
    double value = 0;
    std::from_chars(text, at, value);
    return value;
}

void DecimalSum::add(double value)
{
    if (!std::isfinite(value) || !m_exact) {
        addInexact(value);
        return;
    }
    add(Decimal::of(value));
}

void DecimalSum::add(qint64 value)
{
    add(Decimal::ofInteger(value));
}

void DecimalSum::add(const Decimal &value)
{
    if (m_exact) {
        __int128 units = 0, sum = 0;
        if ((value.fractionDigits() <= m_scale || rescale(value.fractionDigits())) && value.toScaled(m_scale, units)
            && !__builtin_add_overflow(m_units, units, &sum)) {
            m_units = sum;
            return;
        }
    }
    addInexact(value.toDouble());
}

bool DecimalSum::rescale(int scale)
{
    if (scale > kMaxScale)
        return false;
    __int128 scaled = 0;
    if (__builtin_mul_overflow(m_units, powerOfTen(scale - m_scale), &scaled))
        return false;
    m_units = scaled;
    m_scale = scale;
    return true;
}

void DecimalSum::addInexact(double value)
{
    if (m_exact) {
        m_exact = false;
        m_sum = decimal().toDouble();
        m_units = 0;
    }
    // Neumaier's summation: the rounding error of each addition is carried along.
    const double t = m_sum + value;
    if (std::fabs(m_sum) >= std::fabs(value))
        m_compensation += (m_sum - t) + value;
    else
        m_compensation += (value - t) + m_sum;
    m_sum = t;
}

bool DecimalSum::finite() const
{
    return m_exact || std::isfinite(m_sum);
}

Decimal DecimalSum::decimal() const
{
    return Decimal::ofScaled(m_units, m_scale);
}

double DecimalSum::value() const
{
    if (m_exact)
        return decimal().toDouble();
    return std::isfinite(m_sum) ? m_sum + m_compensation : m_sum;
}

} // namespace numbers
