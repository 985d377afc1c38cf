#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>

// Text on report pages, measured at one fixed resolution so that line breaks, page breaks and the
// size a number is printed at are the same on every device.
namespace reporttext {

// The font of report text: Arial (or its metric twin) in points, 10 when none is given.
QFont font(double points, bool bold);

// The width in millimetres of a text in a font.
double widthMm(const QFont &font, const QString &text);
// The height in millimetres of one line of a font.
double lineHeightMm(const QFont &font);

// A text broken into lines of at most widthMm, between words where it can and anywhere in a word
// longer than a line; beyond maxLines the last line is cut at its end with "…".
QStringList wrapLines(const QFont &font, const QString &text, double widthMm, int maxLines);

// How a number, a date or a row number is printed in a box: at the band's size when it fits,
// smaller down to a floor, and below the floor as "#" marks filling the box.
struct Fit {
    double points = 0;   // the size it is printed at
    bool shrunk = false; // smaller than the band's size
    bool hidden = false; // "#" marks printed instead of the text
    int hashes = 0;      // how many marks fill the box
};

// Fits texts into boxes; widths are remembered per text shape (digits count alike, as the
// report font's digits are all equally wide), so that a column of a million numbers takes a
// handful of measurements.
class Fitter {
public:
    Fit fit(const QString &text, double bandPoints, double boxWidthMm);
    // The smallest size a number is printed at before it is given up for "#".
    static double floorPoints(double bandPoints);

private:
    double shapeWidth(const QString &text, double points);
    QHash<QPair<QString, double>, double> m_widths;
};

} // namespace reporttext
