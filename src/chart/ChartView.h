#pragma once

#include "ChartData.h"

#include <QRectF>
#include <utility>

class QPainter;

// A text of the data (a label, a series' name) as the chart draws it: control characters (a NUL,
// a line break) as spaces, as an SVG file may hold none of them and a label shows one line.
QString drawnText(QString text);

// How a chart is drawn: the choices of the chart window.
struct ChartOptions {
    enum class Shape { Bars, Lines };
    enum class Arrangement { SideBySide, Stacked, Stacked100 };
    Shape shape = Shape::Bars;
    bool threeD = true;
    Arrangement arrangement = Arrangement::SideBySide;
    bool marks = false;
};

// The lowest and the highest value a chart draws (sums when stacked, 0 to 100 when stacked to
// 100 %), 0 among them.
std::pair<double, double> drawnRange(const ChartData &data, const ChartOptions &options);

// The visible ranges of the axes: automatic from the data, or moved by zoom and shifts.
struct ChartAxes {
    enum class Axis { Bottom, Left };
    double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
    bool automatic = true;

    // The automatic ranges: every category with half a category of room at each end, and every
    // value (sums when stacked, 0 to 100 when stacked to 100 %) with some room above.
    void fit(const ChartData &data, const ChartOptions &options);
    // Zooms around the middle of both axes: 110 shows 1/1.1 of each range, 90 shows 1/0.9 of it.
    void zoom(double percent);
    // Moves both ends of the axis by its visible length times percent / 100 (przesunOs).
    void shift(Axis axis, double percent);
};

// Draws a chart into any painter (a window, a printer page, a PDF, an image, an SVG) in the area
// given: a white back wall, axes with round tick values, the series as bars (side by side,
// stacked, stacked to 100 %) or lines, flat or in 3D (an oblique projection with depth: bars as
// boxes, lines as ribbons), value marks and a legend. Sizes follow the device's resolution, so
// that a printed chart looks as it does on screen.
class ChartView {
public:
    ChartView(const ChartData &data, const ChartOptions &options, const ChartAxes &axes);
    void paint(QPainter &painter, const QRectF &area) const;
    // The rectangle the values are drawn in, for an area (mouse panning maps by it).
    QRectF plotRect(QPainter &painter, const QRectF &area) const;
    // The ranges the axes are drawn with in an area: the automatic value axis leaves room for the
    // marks within the walls.
    ChartAxes axesShown(QPainter &painter, const QRectF &area) const;

    // Round tick values covering [min, max], about count of them: 1, 2 or 5 times a power of ten.
    static std::vector<double> ticks(double min, double max, int count);

private:
    struct Frame;
    Frame layOut(QPainter &painter, const QRectF &area) const;
    // Lengthens the value axis of the frame so that the marks of the highest and the lowest points
    // have the pixels given above and below them within the walls; false when it needs no change
    // (or the chart is too small for it).
    bool roomForMarks(Frame &f, double above, double below) const;
    void paintWalls(QPainter &painter, const Frame &frame) const;
    void paintAxes(QPainter &painter, const Frame &frame) const;
    void paintBars(QPainter &painter, const Frame &frame) const;
    void paintLines(QPainter &painter, const Frame &frame) const;
    void paintMarks(QPainter &painter, const Frame &frame) const;
    void paintLegend(QPainter &painter, const Frame &frame) const;
    // The categories [first, last) within the visible range of the bottom axis, and one more
    // at each end.
    std::pair<size_t, size_t> visibleCategories(const Frame &frame) const;
    // The value of a series at a category as drawn: a percentage of the category's total when
    // stacked to 100 %.
    double shownValue(size_t series, size_t category) const;
    QString legendName(const ChartSeries &series) const;
    // The colour a series is drawn in: its own for bars (white ones have their edge); lines take
    // the colours of the list without white.
    QColor colourOf(size_t series) const;
    // A mark's text of a sum: an amount as the grid writes it, other numbers in digit groups.
    QString markText(double value) const;

    const ChartData &m_data;
    ChartOptions m_options;
    ChartAxes m_axes;
    std::vector<double> m_totals; // per category, for stacking to 100 %
};
