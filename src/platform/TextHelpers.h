#pragma once

#include "Decimal.h"

#include <QByteArray>
#include <QString>

// Text helpers shared by the result grid, the exports and the report.
namespace text {

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

// Whether the bytes are well-formed UTF-8: no stray, overlong or surrogate sequences, nothing
// beyond U+10FFFF.
bool isValidUtf8(const char *bytes, qsizetype length);

// The Polish noun that goes with a count: one for 1 ("1 kolumna"), few for counts ending in 2 to 4
// but not 12 to 14 ("22 kolumny"), many for the rest ("5 kolumn", "12 kolumn").
const QString &plural(qint64 count, const QString &one, const QString &few, const QString &many);
// The count and its noun: "256 kolumn".
QString counted(qint64 count, const QString &one, const QString &few, const QString &many);

// The decimal picture format: "0" a digit always written, "#" a digit written only when
// significant, the first "." the regional decimal separator, any other character written where it
// stands. Integer digits beyond the picture's places all go to its first digit place. A number is
// written with its own decimal digits (numbers::Decimal) rounded to the picture's places after
// ".", ties to even, and without the picture's leading blanks; a negative number as "-" and its
// digits without any blanks. Infinity and NaN are written as the general text writes them.
QString formatNumber(const QString &picture, double value);
QString formatNumber(const QString &picture, const numbers::Decimal &value);

// The number in the picture right-aligned to the picture's length; a longer text is written whole,
// never cut.
QString formatAmount(const QString &picture, double value);

// A decimal picture made ready once, for writers that format many numbers: the same texts as
// formatNumber and formatAmount, as Windows-1250 bytes with a one-byte decimal separator.
class Picture {
public:
    Picture(const QString &picture, char decimalSeparator);
    int width() const { return static_cast<int>(m_pattern.size()); }
    int fractionPlaces() const { return m_fracPlaces; }
    void appendNumber(QByteArray &out, double value) const;
    // value already rounded to the picture's places, or to be rounded by it.
    void appendNumber(QByteArray &out, const numbers::Decimal &value) const;
    void appendAmount(QByteArray &out, const numbers::Decimal &value) const;
    void appendAmount(QByteArray &out, double value) const;

private:
    void appendMagnitude(QByteArray &out, const numbers::Decimal &magnitude) const;
    void rightAlign(QByteArray &out, qsizetype start) const;

    QByteArray m_pattern;
    char m_separator;
    int m_point = -1, m_intEnd = 0, m_intPlaces = 0, m_fracPlaces = 0, m_firstIntPlace = -1;
};

} // namespace text
