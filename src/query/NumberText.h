#pragma once

#include <QString>

class Field;

// The grids' text of a floating-point value: empty for zero and null; otherwise rounded to two
// decimals, digits in groups of three ("1 234 567,50", negative "-1234567,50"), right-aligned in
// 15 characters. A longer text is shown whole.
QString tekstLiczby(const Field &field, qsizetype row);
QString tekstLiczby(double value);
