#pragma once

#include <QString>
#include <optional>

// Conversions between numbers and text as the user's regional settings write them.
namespace numbers {

// Decimal, or hexadecimal after "0x"/"0X", with an optional sign; blanks around are ignored.
std::optional<int> tryParseInt(const QString &text);
std::optional<qint64> tryParseInt64(const QString &text);
// Raises EConvertError "'text' is not a valid integer value".
int parseInt(const QString &text);
qint64 parseInt64(const QString &text);

// Digits with the given (default: regional) decimal separator and an optional exponent.
std::optional<double> tryParseFloat(const QString &text);
std::optional<double> tryParseFloat(const QString &text, QChar decimalSeparator);
// Raises EConvertError "'text' is not a valid floating point value".
double parseFloat(const QString &text);

// General format: up to 15 significant digits, the regional decimal separator, scientific
// notation ("1,5E-10", "1E20") for very large and very small magnitudes.
QString formatFloat(double value);
QString formatFloat(double value, QChar decimalSeparator);
// The same text as bytes written at out, which has room for kGeneralFloatChars; returns their
// number. The separator is one byte here.
constexpr int kGeneralFloatChars = 32;
int appendGeneralFloat(char *out, double value, char decimalSeparator);
// The value's significant digits rounded to 15 (no trailing zeros, at least one) and the exponent
// of the first: 1234.5 is "12345" and 3.
void significantDigits(double magnitude, char *digits, int &count, int &exponent);

} // namespace numbers
