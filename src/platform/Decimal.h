#pragma once

#include <QtGlobal>

// Numbers as decimal digits, the form in which they are printed: rounding and summing happen on
// these digits, so that a printed amount is the value's own decimal, whatever its magnitude.
namespace numbers {

// A finite number: a sign and significant digits d1 d2 ... dn standing for 0.d1d2...dn times
// 10^point (point is the count of digits before the decimal point when it is positive).
class Decimal {
public:
    static constexpr int kMaxDigits = 40;

    Decimal() = default; // zero
    // The shortest digits that read back as the value: what the value is as a decimal. The value
    // must be finite.
    static Decimal of(double value);
    static Decimal ofInteger(qint64 value);
    // value times 10^-scale; value's magnitude below 10^39.
    static Decimal ofScaled(__int128 value, int scale);

    // Rounded to places after the point (none when places is 0), ties to the even digit. A result
    // of zero is never negative.
    Decimal rounded(int places) const;

    bool isZero() const { return m_count == 0; }
    bool negative() const { return m_negative; }
    Decimal magnitude() const;
    // Digits before the point; 0 for magnitudes below 1.
    int integerDigits() const { return m_point > 0 ? m_point : 0; }
    // The digit at a place: 0 the units, 1 the tens, -1 the tenths and so on.
    char digitAt(int place) const;
    // The places after the point up to the last significant digit.
    int fractionDigits() const { return m_count > m_point ? m_count - m_point : 0; }
    bool isInteger() const { return fractionDigits() == 0; }
    // The value as units of 10^-scale, when it has no more places than scale and fits in
    // 10^38; false otherwise.
    bool toScaled(int scale, __int128 &units) const;
    double toDouble() const;

private:
    char m_digits[kMaxDigits] = {};
    int m_count = 0;
    int m_point = 0;
    bool m_negative = false;
};

// A running sum of numbers that is exact while their digits allow (the sum of a column of
// amounts is the sum of their decimals, to the last place, however many rows), and otherwise a
// compensated floating-point sum.
class DecimalSum {
public:
    void add(double value);
    void add(qint64 value);
    void add(const Decimal &value);

    // A sum that met infinity or NaN, or exceeded the exact range, is no longer exact: value() is
    // then the nearest double.
    bool exact() const { return m_exact; }
    bool finite() const;
    // Exact sums only.
    Decimal decimal() const;
    double value() const;

private:
    void addInexact(double value);
    bool rescale(int scale);

    bool m_exact = true;
    __int128 m_units = 0;
    int m_scale = 0;
    double m_sum = 0, m_compensation = 0;
};

} // namespace numbers
