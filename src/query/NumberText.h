#pragma once

#include <QString>

class Field;

// The grids' text of a floating-point value: empty for zero and null; otherwise its decimal digits
// rounded to two places (ties to even), in groups of three ("1 234 567,50", negative
// "-1234567,50"), right-aligned in 15 characters. A longer text is shown whole; magnitudes from
// 10^15 on, infinity and NaN as their general text.
QString tekstLiczby(const Field &field, qsizetype row);
QString tekstLiczby(double value);
// The same text without the padding, and zero written too ("0,00"): an amount standing alone, as
// a chart's mark.
QString amountText(double value);
