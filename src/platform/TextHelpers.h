#pragma once

#include <QByteArray>
#include <QString>

// Text helpers shared by the result grid, the exports and the report.
namespace text {

// |x| * 10^d rounded to the nearest integer (ties to even), divided by 10^d, with the sign of x.
double roundTo(double x, int decimals);
// s repeated n times; empty for n <= 0.
QString repeatText(const QString &s, int n);
// The last w characters of p repeated w times followed by s: s right-aligned in w characters.
QString padLeft(const QString &s, int w, const QString &p);
// The first w characters of s followed by p repeated w times: s left-aligned in w characters.
QString padRight(const QString &s, int w, const QString &p);
// s centred in w characters with p; an odd remainder goes to the left; s unchanged when longer.
QString centerText(const QString &s, const QString &p, int w);
// s without blanks.
QString removeBlanks(const QString &s);

// The decimal picture format: "0" a digit always written, "#" a digit written only when
// significant, the first "." the regional decimal separator, any other character written where it
// stands. Integer digits beyond the picture's places all go to its first digit place. The amount
// is a non-negative count of ten-thousandths, rounded (half up) to the places after ".".
QString formatPicture(const QString &picture, qint64 amountTenThousandths);

// An amount (signed count of ten-thousandths) in a picture, right-aligned to the picture's length:
// blanks for zero with blankZero; a negative amount as "-" and its formatted magnitude without
// blanks. Like padLeft, a longer text keeps only its last characters.
QString formatAmount(const QString &picture, bool blankZero, qint64 amountTenThousandths);

// A decimal picture made ready once, for writers that format many numbers: the same texts as
// formatPicture and formatAmount, as Windows-1250 bytes with a one-byte decimal separator.
class Picture {
public:
    Picture(const QString &picture, char decimalSeparator);
    int width() const { return static_cast<int>(m_pattern.size()); }
    void appendPicture(QByteArray &out, qint64 amountTenThousandths) const;
    // formatAmount's text; with whole, a text longer than the picture is kept whole instead of
    // keeping only its last characters.
    void appendAmount(QByteArray &out, qint64 amountTenThousandths, bool blankZero, bool whole) const;

private:
    QByteArray m_pattern;
    char m_separator;
    int m_point = -1, m_intEnd = 0, m_intPlaces = 0, m_fracPlaces = 0, m_firstIntPlace = -1;
};

// The value times 10,000 as the nearest 64-bit integer (ties to even), saturating at the limits.
qint64 toTenThousandths(double value);

} // namespace text
