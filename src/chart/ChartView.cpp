#include "ChartView.h"

#include "platform/Numbers.h"
#include "platform/TextHelpers.h"
#include "query/NumberText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPaintDevice>
#include <QPaintEngine>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kBarGroupShare = 0.7; // of a category's width
const QColor kWallLine(0x80, 0x80, 0x80);
const QColor kGridLine(0xd0, 0xd0, 0xd0);
const QColor kFloor(0xec, 0xec, 0xec);
const QColor kMarkFill(0xff, 0xff, 0xe1);
const QColor kWall(Qt::white);

// The colours of line series: the list without white, which would not stand out from the wall.
const std::vector<QColor> &lineColours()
{
    static const std::vector<QColor> colours = [] {
        std::vector<QColor> list = seriesColours();
        list.erase(std::remove(list.begin(), list.end(), kWall), list.end());
        return list;
    }();
    return colours;
}

// The fill of a bar too thin for its edge: its colour, or its edge's where it is the wall's.
QColor thinFill(const QColor &colour)
{
    return colour == kWall ? colour.darker(160) : colour;
}

QFont chartFont(double points = 8)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

// A value as a mark or a tick shows it: digits in groups of three, at most the decimals given, the
// regional separator.
QString valueText(double value, int places = 2)
{
    // Rounding to more places than a double has would not round at all.
    const double scale = std::pow(10.0, places), rounded = std::round(value * scale) / scale;
    const QString plain = numbers::formatFloat(std::isfinite(rounded) ? rounded : value);
    if (plain.contains(QLatin1Char('E')))
        return plain;
    const qsizetype digitsFrom = plain.startsWith(QLatin1Char('-')) ? 1 : 0;
    qsizetype digitsTo = digitsFrom;
    while (digitsTo < plain.size() && plain[digitsTo].isDigit())
        ++digitsTo;
    QString grouped = plain;
    for (qsizetype at = digitsTo - 3; at > digitsFrom; at -= 3)
        grouped.insert(at, QLatin1Char(' '));
    return grouped;
}

QPolygonF quad(QPointF a, QPointF b, QPointF c, QPointF d)
{
    return QPolygonF({a, b, c, d});
}

// The decimals the ticks' texts need to differ: as many as their step has, and two at least, as
// the marks show.
int tickPlaces(const std::vector<double> &ticks)
{
    const double step = ticks.size() < 2 ? 1 : ticks[1] - ticks[0];
    return step > 0 ? static_cast<int>(std::clamp(std::ceil(-std::log10(step) - 1e-9), 2.0, 400.0)) : 2;
}

} // namespace

QString drawnText(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return text;
}

// ---- axes ------------------------------------------------------------------------------------------

std::pair<double, double> drawnRange(const ChartData &data, const ChartOptions &options)
{
    double low = 0, high = 0;
    const bool stacked = options.shape == ChartOptions::Shape::Bars && options.arrangement != ChartOptions::Arrangement::SideBySide;
    for (size_t c = 0; c < data.xs.size(); ++c) {
        double positive = 0, negative = 0;
        for (const ChartSeries &series : data.series) {
            const double v = series.values[c];
            if (stacked) {
                (v >= 0 ? positive : negative) += v;
            } else {
                high = std::max(high, v);
                low = std::min(low, v);
            }
        }
        if (stacked && options.arrangement == ChartOptions::Arrangement::Stacked100) {
            const double total = positive - negative;
            if (total > 0) {
                high = std::max(high, positive / total * 100);
                low = std::min(low, negative / total * 100);
            }
        } else if (stacked) {
            high = std::max(high, positive);
            low = std::min(low, negative);
        }
    }
    return {low, high};
}

void ChartAxes::fit(const ChartData &data, const ChartOptions &options)
{
    automatic = true;
    xMin = data.xs.empty() ? 0 : data.xs.front() - 0.5;
    xMax = data.xs.empty() ? 1 : data.xs.back() + 0.5;
    const auto [low, high] = drawnRange(data, options);
    const double room = (high - low) * 0.05;
    yMax = high > 0 ? high + room : high;
    yMin = low < 0 ? low - room : low;
    if (yMax <= yMin)
        yMax = yMin + 1;
}

void ChartAxes::zoom(double percent)
{
    const auto scale = [percent](double &min, double &max) {
        const double middle = (min + max) / 2, half = (max - min) / 2 * 100 / percent;
        min = middle - half;
        max = middle + half;
    };
    scale(xMin, xMax);
    scale(yMin, yMax);
    automatic = false;
}

void ChartAxes::shift(Axis axis, double percent)
{
    double &min = axis == Axis::Bottom ? xMin : yMin;
    double &max = axis == Axis::Bottom ? xMax : yMax;
    const double by = (max - min) * percent / 100;
    min += by;
    max += by;
    automatic = false;
}

// ---- layout ----------------------------------------------------------------------------------------

struct ChartView::Frame {
    double u = 1;    // one screen pixel, in the device's units
    // A device that keeps what is drawn (SVG, PDF, a printer) gets a series as one path, which
    // makes a file one element per series instead of one per piece; pixels get the pieces, which
    // they fill many times faster than a path of them.
    bool paths = false;
    QRectF front;    // where the values are drawn
    QPointF depth;   // from the front to the back wall; none when flat
    QRectF legend;
    QFont font;
    double xMin, xMax, yMin, yMax;
    // Category labels: level, on two rows (every other one lower), or turned by 90 degrees.
    enum class Labels { Level, Staggered, Turned } labels = Labels::Level;
    double labelLength = 0; // the longest a turned label may be
    std::vector<std::pair<double, QString>> ticks; // the values of the left axis and their texts

    double px(double x) const { return front.left() + (x - xMin) / (xMax - xMin) * front.width(); }
    double py(double y) const { return front.bottom() - (y - yMin) / (yMax - yMin) * front.height(); }
    // One unit of the X axis in the device's units.
    double unit() const { return front.width() / (xMax - xMin); }
    // The front and the back wall: what the series may draw on.
    QRectF walls() const { return front.united(front.translated(depth)); }
};

ChartView::ChartView(const ChartData &data, const ChartOptions &options, const ChartAxes &axes)
    : m_data(data), m_options(options), m_axes(axes)
{
    m_totals.assign(data.xs.size(), 0.0);
    for (const ChartSeries &series : data.series) {
        for (size_t c = 0; c < series.values.size(); ++c)
            m_totals[c] += std::fabs(series.values[c]);
    }
}

std::vector<double> ChartView::ticks(double min, double max, int count)
{
    std::vector<double> values;
    const double raw = (max - min) / std::max(count, 1);
    if (!(max > min) || count < 1 || !(raw > 0) || !std::isfinite(raw))
        return values;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= raw)
            break;
    }
    // As the step is at least a count-th of the range, count + 1 ticks cover it; counted rather
    // than added up, so that a step lost in the rounding of large values cannot loop forever.
    const double first = std::ceil(min / step);
    for (int i = 0; i <= count + 1; ++i) {
        const double v = (first + i) * step;
        if (v > max + step * 1e-9)
            break;
        values.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
    }
    return values;
}

QColor ChartView::colourOf(size_t series) const
{
    return m_options.shape == ChartOptions::Shape::Lines ? lineColours()[series % lineColours().size()]
                                                         : m_data.series[series].colour;
}

QString ChartView::legendName(const ChartSeries &series) const
{
    return drawnText(series.key.isEmpty() ? m_data.valueName : series.name);
}

ChartView::Frame ChartView::layOut(QPainter &painter, const QRectF &area) const
{
    Frame f;
    f.u = painter.device() ? painter.device()->logicalDpiY() / 96.0 : 1.0;
    f.paths = painter.paintEngine() && painter.paintEngine()->type() != QPaintEngine::Raster;
    f.font = chartFont();
    f.xMin = m_axes.xMin;
    f.xMax = m_axes.xMax;
    f.yMin = m_axes.yMin;
    f.yMax = m_axes.yMax;
    const QFontMetricsF metrics(f.font, painter.device());
    const double gap = 10 * f.u;

    // Names are shortened to a quarter of the width, so that a long one leaves the chart its room.
    double legendWidth = 0;
    for (const ChartSeries &series : m_data.series)
        legendWidth = std::min(std::max(legendWidth, metrics.horizontalAdvance(legendName(series))), area.width() / 4);
    const bool legend = legendWidth > 0;
    if (legend) {
        legendWidth += 26 * f.u;
        const double height = m_data.series.size() * metrics.height() * 1.3 + 10 * f.u;
        f.legend = QRectF(area.right() - gap - legendWidth, area.top() + gap, legendWidth,
                          std::min(height, area.height() - 2 * gap));
    }
    double labelWidth = 0;
    const auto tickTexts = [&] {
        const std::vector<double> values = ticks(f.yMin, f.yMax, 8);
        f.ticks.clear();
        labelWidth = 0;
        for (const double tick : values) {
            f.ticks.emplace_back(tick, valueText(tick, tickPlaces(values)));
            labelWidth = std::max(labelWidth, metrics.horizontalAdvance(f.ticks.back().second));
        }
    };
    tickTexts();
    const double top = area.top() + gap + (m_options.marks ? metrics.height() * 1.5 : 0);
    const auto place = [&](double labelHeight) {
        QRectF plot(QPointF(area.left() + gap + labelWidth + 6 * f.u, top),
                    QPointF(area.right() - gap - (legend ? legendWidth + gap : 0), area.bottom() - gap - labelHeight - 6 * f.u));
        if (plot.width() < 10 || plot.height() < 10)
            plot = area;
        const double d = m_options.threeD ? std::min(plot.width(), plot.height()) * 0.045 : 0;
        f.depth = QPointF(d, -d);
        f.front = QRectF(plot.left(), plot.top() + d, plot.width() - d, plot.height() - d);
    };
    place(metrics.height());
    // Dates are turned; text labels stay level where they fit their category, take two rows
    // where they fit two, and are turned (and shortened to a quarter of the height) otherwise.
    double widest = 0;
    for (const QString &label : m_data.labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    if (m_data.xKind == ChartData::XKind::Date) {
        f.labels = Frame::Labels::Turned;
        f.labelLength = metrics.horizontalAdvance(QStringLiteral("00.00.0000"));
    } else if (m_data.xKind == ChartData::XKind::Text && widest + 6 * f.u > f.unit()) {
        const bool twoRows = widest + 6 * f.u <= 2 * f.unit();
        f.labels = twoRows ? Frame::Labels::Staggered : Frame::Labels::Turned;
        f.labelLength = std::min(widest, area.height() / 4);
    }
    const double labelHeight = f.labels == Frame::Labels::Staggered ? 2 * metrics.height()
        : f.labels == Frame::Labels::Turned                         ? f.labelLength
                                                                    : metrics.height();
    if (f.labels != Frame::Labels::Level)
        place(labelHeight);
    // A mark's box, its gap to the point and a pixel or two to spare; one above is moved up by
    // half the depth.
    const double markRoom = metrics.height() + 9 * f.u;
    if (m_options.marks && m_axes.automatic && roomForMarks(f, markRoom + f.depth.y() / 2, markRoom)) {
        tickTexts();
        place(labelHeight);
    }
    return f;
}

bool ChartView::roomForMarks(Frame &f, double above, double below) const
{
    // A mark stands above its point, or below the end of a bar under the zero line. Room of a
    // share of the walls' height is a share of the value axis's length.
    const auto [low, high] = drawnRange(m_data, m_options);
    const bool anyBelow = m_options.shape == ChartOptions::Shape::Bars && low < 0;
    const double top = above / f.front.height(), bottom = anyBelow ? below / f.front.height() : 0;
    if (!(top > 0 && top + bottom < 0.5))
        return false;
    const double span = (high - (anyBelow ? low : f.yMin)) / (1 - top - bottom);
    const double yMax = std::max(f.yMax, high + top * span), yMin = anyBelow ? std::min(f.yMin, low - bottom * span) : f.yMin;
    if (yMax == f.yMax && yMin == f.yMin)
        return false;
    f.yMax = yMax;
    f.yMin = yMin;
    return true;
}

QRectF ChartView::plotRect(QPainter &painter, const QRectF &area) const
{
    return layOut(painter, area).front;
}

ChartAxes ChartView::axesShown(QPainter &painter, const QRectF &area) const
{
    const Frame f = layOut(painter, area);
    ChartAxes shown = m_axes;
    shown.yMin = f.yMin;
    shown.yMax = f.yMax;
    return shown;
}

// ---- painting --------------------------------------------------------------------------------------

void ChartView::paint(QPainter &painter, const QRectF &area) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);
    const Frame frame = layOut(painter, area);
    painter.setFont(frame.font);
    paintWalls(painter, frame);
    paintAxes(painter, frame);
    painter.save();
    // Series stay within the walls when zoomed or shifted.
    painter.setClipRect(frame.walls());
    if (m_options.shape == ChartOptions::Shape::Bars)
        paintBars(painter, frame);
    else
        paintLines(painter, frame);
    if (m_options.marks)
        paintMarks(painter, frame);
    painter.restore();
    paintLegend(painter, frame);
    painter.restore();
}

void ChartView::paintWalls(QPainter &painter, const Frame &f) const
{
    const QRectF &front = f.front;
    const QRectF back = front.translated(f.depth);
    painter.setPen(QPen(kWallLine, f.u));
    if (!f.depth.isNull()) {
        painter.setBrush(kFloor);
        painter.drawPolygon(quad(front.bottomLeft(), front.bottomRight(), back.bottomRight(), back.bottomLeft()));
        painter.drawPolygon(quad(front.bottomLeft(), front.topLeft(), back.topLeft(), back.bottomLeft()));
    }
    painter.setBrush(kWall);
    painter.drawRect(back);
    painter.setPen(QPen(kGridLine, f.u));
    for (const auto &tick : f.ticks) {
        const double y = f.py(tick.first);
        painter.drawLine(QPointF(back.left(), y + f.depth.y()), QPointF(back.right(), y + f.depth.y()));
        if (!f.depth.isNull())
            painter.drawLine(QPointF(front.left(), y), QPointF(back.left(), y + f.depth.y()));
    }
    painter.setBrush(Qt::NoBrush);
}

void ChartView::paintAxes(QPainter &painter, const Frame &f) const
{
    const QFontMetricsF metrics(f.font, painter.device());
    painter.setPen(QPen(Qt::black, f.u));
    painter.drawLine(f.front.bottomLeft(), f.front.topLeft());
    painter.drawLine(f.front.bottomLeft(), f.front.bottomRight());
    for (const auto &[tick, text] : f.ticks) {
        const double y = f.py(tick);
        painter.drawLine(QPointF(f.front.left() - 4 * f.u, y), QPointF(f.front.left(), y));
        painter.drawText(QRectF(0, y - metrics.height(), f.front.left() - 6 * f.u, 2 * metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }
    // Category labels: every one that has room, thinned where they would run into each other.
    const bool turned = f.labels == Frame::Labels::Turned;
    double widest = metrics.height();
    for (const QString &label : m_data.labels)
        widest = std::max(widest, turned ? metrics.height() : metrics.horizontalAdvance(label));
    const bool staggered = f.labels == Frame::Labels::Staggered;
    const int every = staggered ? 1 : std::max(1, static_cast<int>(std::ceil((widest + 6 * f.u) / std::max(1e-9, f.unit()))));
    // Counted in doubles: the X values may lie beyond the range of an int.
    const double first = std::max(0.0, std::ceil(f.xMin) - (m_data.xs.empty() ? 0 : m_data.xs.front()));
    const auto [from, to] = visibleCategories(f);
    for (size_t c = from; c < to; ++c) {
        const double x = f.px(m_data.xs[c]);
        if (x < f.front.left() - 0.5 || x > f.front.right() + 0.5 || std::fmod(static_cast<double>(c) - first, every) != 0)
            continue;
        painter.drawLine(QPointF(x, f.front.bottom()), QPointF(x, f.front.bottom() + 4 * f.u));
        const QString label = drawnText(m_data.labels[static_cast<qsizetype>(c)]);
        if (turned) {
            const QString shown = metrics.elidedText(label, Qt::ElideRight, f.labelLength + f.u);
            const double length = metrics.horizontalAdvance(shown);
            painter.save();
            painter.translate(x, f.front.bottom() + 6 * f.u);
            painter.rotate(-90);
            painter.drawText(QRectF(-length, -metrics.height() / 2, length, metrics.height()), Qt::AlignRight | Qt::AlignVCenter,
                             shown);
            painter.restore();
        } else {
            const double row = staggered && c % 2 == 1 ? metrics.height() : 0;
            painter.drawText(QRectF(x - widest / 2 - 3 * f.u, f.front.bottom() + 6 * f.u + row, widest + 6 * f.u, metrics.height()),
                             Qt::AlignHCenter | Qt::AlignTop, label);
        }
    }
}

double ChartView::shownValue(size_t series, size_t category) const
{
    const double v = m_data.series[series].values[category];
    if (m_options.shape == ChartOptions::Shape::Bars && m_options.arrangement == ChartOptions::Arrangement::Stacked100)
        return m_totals[category] > 0 ? v / m_totals[category] * 100 : 0;
    return v;
}

namespace {

// Bars a few pixels wide, drawn in whole pixels and at least one pixel wide, so that a bar
// narrower than a pixel still shows. Many fall into one pixel column, each group (a bar of its
// own side by side, a category's stack) over the groups before it. Every group spans the zero
// line, so what the later groups of a column cover is one stretch, and only what they leave
// uncovered is painted.
class ThinBars {
public:
    ThinBars(QPainter &painter, double pixel, const std::vector<ChartSeries> &series, bool paths)
        : m_painter(painter), m_pixel(pixel), m_series(series), m_paths(paths ? series.size() : 0)
    {
        // Bars of neighbouring columns may share a pixel column.
        for (QPainterPath &path : m_paths)
            path.setFillRule(Qt::WindingFill);
    }

    void add(const QRectF &bar, size_t series)
    {
        const QRectF snapped(std::floor(bar.left()), bar.top(), std::max(m_pixel, std::round(bar.width())), bar.height());
        if (!m_column.empty() && snapped.left() != m_column.front().rect.left())
            flush();
        m_column.push_back({snapped, series, m_group});
    }
    // The bars added so far are a group; the next ones begin another.
    void endGroup() { ++m_group; }

    void finish()
    {
        flush();
        for (size_t s = 0; s < m_paths.size(); ++s) {
            if (!m_paths[s].isEmpty())
                m_painter.fillPath(m_paths[s], thinFill(m_series[s].colour));
        }
    }

private:
    struct Bar {
        QRectF rect;
        size_t series;
        int group;
    };
    // A stretch of a pixel column, top to bottom.
    struct Stretch {
        double top = 0, bottom = 0;
        bool empty = true;
        void add(double from, double to)
        {
            top = empty ? from : std::min(top, from);
            bottom = empty ? to : std::max(bottom, to);
            empty = false;
        }
    };

    // Paints what the bars of the column gathered last leave to be seen, the last group first.
    void flush()
    {
        Stretch covered, group;
        int groupIndex = m_column.empty() ? 0 : m_column.back().group;
        for (auto it = m_column.rbegin(); it != m_column.rend(); ++it) {
            const QRectF &bar = it->rect;
            if (it->group != groupIndex) {
                covered.add(group.top, group.bottom);
                group = Stretch();
                groupIndex = it->group;
            }
            group.add(bar.top(), bar.bottom());
            if (covered.empty) {
                piece(*it, bar.top(), bar.bottom());
                continue;
            }
            if (bar.top() < covered.top)
                piece(*it, bar.top(), std::min(bar.bottom(), covered.top));
            if (bar.bottom() > covered.bottom)
                piece(*it, std::max(bar.top(), covered.bottom), bar.bottom());
        }
        m_column.clear();
    }
    void piece(const Bar &bar, double top, double bottom)
    {
        const QRectF shown(bar.rect.left(), top, bar.rect.width(), bottom - top);
        if (m_paths.empty())
            m_painter.fillRect(shown, thinFill(m_series[bar.series].colour));
        else
            m_paths[bar.series].addRect(shown);
    }

    QPainter &m_painter;
    double m_pixel;
    const std::vector<ChartSeries> &m_series;
    std::vector<QPainterPath> m_paths; // per series, on a device that keeps paths
    std::vector<Bar> m_column;
    int m_group = 0;
};

} // namespace

void ChartView::paintBars(QPainter &painter, const Frame &f) const
{
    const size_t count = m_data.series.size();
    const bool sideBySide = m_options.arrangement == ChartOptions::Arrangement::SideBySide;
    const double group = f.unit() * kBarGroupShare;
    const double width = sideBySide ? group / std::max<size_t>(1, count) : group;
    // Narrow bars are shallow boxes: no deeper than they are wide, so that they stay boxes and
    // do not lean over their neighbours. Bars only a few pixels wide are plain fills.
    const QPointF boxDepth = f.depth.isNull() ? f.depth : f.depth * std::min(1.0, width / f.depth.x());
    const bool detailed = width >= 3 * f.u;
    painter.setRenderHint(QPainter::Antialiasing, detailed);
    // Categories from left to right, and within one from the bottom of the stack up (or from
    // the left): each box then covers the sides and tops of those it stands before.
    const auto [first, last] = visibleCategories(f);
    ThinBars thin(painter, f.u, m_data.series, f.paths);
    for (size_t c = first; c < last; ++c) {
        double positive = 0, negative = 0;
        for (size_t s = 0; s < count; ++s) {
            const double v = shownValue(s, c);
            if (v == 0)
                continue;
            double from = 0, to = v;
            if (!sideBySide) {
                double &base = v >= 0 ? positive : negative;
                from = base;
                to = base + v;
                base = to;
            }
            const double left = f.px(m_data.xs[c]) - group / 2 + (sideBySide ? s * width : 0);
            const QRectF bar(QPointF(left, std::min(f.py(from), f.py(to))), QPointF(left + width, std::max(f.py(from), f.py(to))));
            const QColor colour = m_data.series[s].colour;
            if (!detailed) {
                thin.add(bar, s);
                if (sideBySide)
                    thin.endGroup();
                continue;
            }
            painter.setPen(QPen(colour.darker(160), f.u * 0.75));
            if (!f.depth.isNull()) {
                // A box: its top lighter, its side as its front.
                painter.setBrush(colour);
                painter.drawPolygon(quad(bar.topRight(), bar.bottomRight(), bar.bottomRight() + boxDepth, bar.topRight() + boxDepth));
                painter.setBrush(colour.lighter(125));
                painter.drawPolygon(quad(bar.topLeft(), bar.topRight(), bar.topRight() + boxDepth, bar.topLeft() + boxDepth));
            }
            painter.setBrush(colour);
            painter.drawRect(bar);
        }
        thin.endGroup();
    }
    thin.finish();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
}

std::pair<size_t, size_t> ChartView::visibleCategories(const Frame &f) const
{
    // The categories are consecutive whole numbers from the first one on.
    if (m_data.xs.empty())
        return {0, 0};
    const double first = std::floor(f.xMin - m_data.xs.front()) - 1, last = std::ceil(f.xMax - m_data.xs.front()) + 2;
    const double count = static_cast<double>(m_data.xs.size());
    return {static_cast<size_t>(std::clamp(first, 0.0, count)), static_cast<size_t>(std::clamp(last, 0.0, count))};
}

namespace {

// Adds a point to a line; one that goes on level from the two before it replaces the last.
void extend(QPolygonF &line, const QPointF &point)
{
    const qsizetype n = line.size();
    if (n >= 2 && line[n - 1].y() == point.y() && line[n - 2].y() == point.y())
        line[n - 1] = point;
    else
        line.append(point);
}

// The points of a line as a pixel grid shows them: of the points that fall into one pixel column
// only the highest and the lowest are kept, in their order, and one of them alone when they lie
// within a pixel of each other; a level stretch keeps its ends. The line between the points kept
// covers the pixels the dropped ones would, so a line over thousands of points costs no more
// than its width in pixels, and a level one next to nothing.
QPolygonF pixelLine(const QPolygonF &points, double pixel)
{
    QPolygonF kept;
    for (qsizetype from = 0, to = 0; from < points.size(); from = to) {
        const double column = std::floor(points[from].x() / pixel);
        qsizetype top = from, bottom = from;
        for (to = from + 1; to < points.size() && std::floor(points[to].x() / pixel) == column; ++to) {
            top = points[to].y() < points[top].y() ? to : top;
            bottom = points[to].y() > points[bottom].y() ? to : bottom;
        }
        extend(kept, points[std::min(top, bottom)]);
        if (points[bottom].y() - points[top].y() >= pixel)
            extend(kept, points[std::max(top, bottom)]);
    }
    return kept;
}

// Both edges of a band of even thickness along a line: each point is moved along the mean of
// the normals of its two segments, lengthened so that each edge stays parallel to its segment;
// sharp turns are limited so that a spike keeps a blunt tip.
std::pair<QPolygonF, QPolygonF> bandEdges(const QPolygonF &line, double thickness)
{
    QPolygonF upper, lower;
    const auto normal = [&](qsizetype i) {
        const QPointF d = line[i + 1] - line[i];
        const double length = std::hypot(d.x(), d.y());
        return length > 0 ? QPointF(d.y(), -d.x()) / length : QPointF(0, -1);
    };
    const qsizetype last = line.size() - 1;
    for (qsizetype i = 0; i <= last && last > 0; ++i) {
        const QPointF before = normal(std::max<qsizetype>(0, i - 1)), after = normal(std::min(i, last - 1));
        QPointF n = before + after;
        const double cosHalf = std::hypot(n.x(), n.y()) / 2;
        n = cosHalf > 1e-9 ? n / (2 * cosHalf) / std::max(cosHalf, 0.5) : after;
        upper.append(line[i] + n * thickness / 2);
        lower.append(line[i] - n * thickness / 2);
    }
    return {upper, lower};
}

// A line in the painter's pen: one polyline as a path, or segment by segment, as one wide
// polyline over hundreds of points is slow to stroke into pixels.
void strokeLine(QPainter &painter, const QPolygonF &line, bool asPath)
{
    if (asPath) {
        painter.drawPolyline(line);
        return;
    }
    QVector<QLineF> segments;
    segments.reserve(line.size());
    for (qsizetype i = 0; i + 1 < line.size(); ++i)
        segments.append(QLineF(line[i], line[i + 1]));
    painter.drawLines(segments);
}

// Lines of many points drawn into pixels column by column, the one drawn last first. In each
// pixel column a line covers a stretch within half its pen's width; widened by half the width,
// it is filled as one rectangle, less what the lines drawn after it cover there and what lies
// outside the walls. That is the line a square pen would stroke, without stroking thousands of
// short wide segments onto pixels that later lines paint over (seconds for the largest charts).
class LineColumns {
public:
    LineColumns(QPainter &painter, double pixel, const QRectF &walls)
        : m_painter(painter), m_pixel(pixel), m_walls(walls), m_first(std::floor(walls.left() / pixel)),
          m_covered(static_cast<size_t>(std::floor(walls.right() / pixel) - m_first) + 1)
    {
    }

    // A line under those added before it.
    void add(const QPolygonF &line, double width, const QColor &colour)
    {
        if (line.isEmpty())
            return;
        const double first = std::floor(line.first().x() / m_pixel);
        const size_t count = static_cast<size_t>(std::floor(line.last().x() / m_pixel) - first) + 1;
        std::vector<Stretch> stretches(count);
        stretches[0].add(line.first().y());
        for (qsizetype i = 0; i + 1 < line.size(); ++i) {
            const QPointF a = line[i], b = line[i + 1];
            const double dx = b.x() - a.x();
            const auto yAt = [&](double x) { return dx > 0 ? a.y() + (b.y() - a.y()) * (x - a.x()) / dx : b.y(); };
            // The part of the segment over each column it crosses.
            for (double column = std::floor(a.x() / m_pixel); column <= std::floor(b.x() / m_pixel); ++column) {
                Stretch &stretch = stretches[static_cast<size_t>(column - first)];
                stretch.add(yAt(std::max(a.x(), column * m_pixel)));
                stretch.add(yAt(std::min(b.x(), (column + 1) * m_pixel)));
            }
        }
        const size_t reach = static_cast<size_t>(width / m_pixel / 2);
        for (size_t column = 0; column < count; ++column) {
            Stretch widened;
            for (size_t near = column - std::min(column, reach); near <= std::min(count - 1, column + reach); ++near)
                widened.add(stretches[near]);
            const double at = first + static_cast<double>(column) - m_first;
            if (at >= 0 && at < static_cast<double>(m_covered.size()))
                fill(static_cast<size_t>(at), std::max(widened.top - width / 2, m_walls.top()),
                     std::min(widened.bottom + width / 2, m_walls.bottom()), colour);
        }
    }

private:
    struct Stretch {
        double top = std::numeric_limits<double>::infinity(), bottom = -std::numeric_limits<double>::infinity();
        void add(double y)
        {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        void add(const Stretch &other)
        {
            top = std::min(top, other.top);
            bottom = std::max(bottom, other.bottom);
        }
    };

    // Paints what later lines leave of a stretch of a column, and counts it as covered.
    void fill(size_t column, double top, double bottom, const QColor &colour)
    {
        if (!(top < bottom))
            return;
        std::vector<std::pair<double, double>> &covered = m_covered[column]; // in order, apart
        const double x = (m_first + static_cast<double>(column)) * m_pixel;
        double from = top;
        for (const auto &[coveredTop, coveredBottom] : covered) {
            if (coveredTop > from)
                m_painter.fillRect(QRectF(x, from, m_pixel, std::min(bottom, coveredTop) - from), colour);
            from = std::max(from, coveredBottom);
            if (from >= bottom)
                break;
        }
        if (from < bottom)
            m_painter.fillRect(QRectF(x, from, m_pixel, bottom - from), colour);
        // The stretch joins the ones it meets.
        auto begin = std::lower_bound(covered.begin(), covered.end(), top, [](const auto &c, double y) { return c.second < y; });
        auto end = std::upper_bound(begin, covered.end(), bottom, [](double y, const auto &c) { return y < c.first; });
        if (begin != end) {
            top = std::min(top, begin->first);
            bottom = std::max(bottom, std::prev(end)->second);
        }
        covered.insert(covered.erase(begin, end), {top, bottom});
    }

    QPainter &m_painter;
    double m_pixel;
    QRectF m_walls;
    double m_first;
    std::vector<std::vector<std::pair<double, double>>> m_covered; // per column of the walls
};

// A band filled with a quadrilateral per segment (the outline as a whole would cross itself at
// every turn), as one path or one by one, and its edges and ends (thin, so quick to stroke).
void paintBand(QPainter &painter, const QPolygonF &upper, const QPolygonF &lower, const QColor &fill, const QPen &edge,
               bool asPath)
{
    if (upper.isEmpty())
        return;
    QPainterPath body;
    body.setFillRule(Qt::WindingFill);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    for (qsizetype i = 0; i + 1 < upper.size(); ++i) {
        const QPolygonF piece = quad(upper[i], upper[i + 1], lower[i + 1], lower[i]);
        if (asPath)
            body.addPolygon(piece);
        else
            painter.drawPolygon(piece);
    }
    if (asPath)
        painter.drawPath(body);
    painter.setPen(edge);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(upper);
    painter.drawPolyline(lower);
    painter.drawLines({QLineF(upper.first(), lower.first()), QLineF(upper.last(), lower.last())});
}

} // namespace

void ChartView::paintLines(QPainter &painter, const Frame &f) const
{
    const size_t count = m_data.series.size();
    // Points a few pixels apart make a thicket in which smoothing and edges cannot be seen:
    // they are drawn plainly, which is many times faster.
    const bool dense = f.unit() < 6 * f.u;
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    painter.setBrush(Qt::NoBrush);
    const auto [first, last] = visibleCategories(f);
    const auto lineOf = [&, first = first, last = last](size_t s) {
        // Each series on its own slice of the depth.
        const QPointF slice = f.depth * ((count - s - 0.5) / count);
        QPolygonF points;
        for (size_t c = first; c < last; ++c)
            points.append(QPointF(f.px(m_data.xs[c]), f.py(shownValue(s, c))) + slice);
        return pixelLine(points, f.u);
    };
    // In 3D a ribbon of even thickness along the line, so that no slope thins it; its side is the
    // same band set back along the depth by less than its thickness, darker, so that the two read
    // as one solid ribbon.
    const double depthLength = std::hypot(f.depth.x(), f.depth.y());
    const double width = f.depth.isNull() ? 3 * f.u : std::clamp(depthLength / count, 4 * f.u, 9 * f.u);
    const QPointF side = f.depth.isNull() ? QPointF() : f.depth * (width * 0.45 / depthLength);
    if (dense && !f.paths) {
        LineColumns columns(painter, f.u, f.walls());
        for (size_t s = count; s-- > 0;) {
            const QPolygonF line = lineOf(s);
            columns.add(line, width, colourOf(s));
            if (!f.depth.isNull())
                columns.add(line.translated(side), width, colourOf(s).darker(130));
        }
    }
    for (size_t s = 0; s < count && !(dense && !f.paths); ++s) {
        const QColor colour = colourOf(s);
        const QPolygonF line = lineOf(s);
        const auto stroke = [&](const QPolygonF &shown, const QColor &in) {
            painter.setPen(QPen(in, width, Qt::SolidLine, dense ? Qt::FlatCap : Qt::RoundCap, dense ? Qt::BevelJoin : Qt::RoundJoin));
            strokeLine(painter, shown, f.paths);
        };
        if (f.depth.isNull()) {
            stroke(line, colour);
        } else if (dense) {
            stroke(line.translated(side), colour.darker(130));
            stroke(line, colour);
        } else {
            const auto [upper, lower] = bandEdges(line, width);
            paintBand(painter, upper.translated(side), lower.translated(side), colour.darker(130), QPen(colour.darker(170), f.u),
                      f.paths);
            paintBand(painter, upper, lower, colour, QPen(colour.darker(150), f.u), f.paths);
        }
    }
    painter.setRenderHint(QPainter::Antialiasing);
}

namespace {

// Where the marks drawn later lie, in a grid of cells half as wide as the narrowest mark and half
// as tall as any: a mark that leaves no cell centre free would be covered, or is outside the
// area. Every mark kept takes a cell, so that no more are drawn than the grid has cells.
class MarkCover {
public:
    MarkCover(const QRectF &area, const QSizeF &cell)
        : m_area(area), m_cell(cell), m_columns(cellsAlong(area.width(), cell.width())),
          m_rows(cellsAlong(area.height(), cell.height())), m_taken(static_cast<size_t>(m_columns) * m_rows, false)
    {
    }

    // Whether a cell centre within the box is free.
    bool anyFree(const QRectF &box) const
    {
        bool any = false;
        eachCell(box, [&](size_t at) { any = any || !m_taken[at]; });
        return any;
    }
    // Takes the free cell centres within the box; false when there were none.
    bool take(const QRectF &box)
    {
        bool any = false;
        eachCell(box, [&](size_t at) {
            any = any || !m_taken[at];
            m_taken[at] = true;
        });
        return any;
    }

private:
    template <class F>
    void eachCell(const QRectF &box, F &&f) const
    {
        const auto [left, right] = centres(box.left() - m_area.left(), box.right() - m_area.left(), m_cell.width(), m_columns);
        const auto [top, bottom] = centres(box.top() - m_area.top(), box.bottom() - m_area.top(), m_cell.height(), m_rows);
        for (int row = top; row <= bottom; ++row) {
            for (int column = left; column <= right; ++column)
                f(static_cast<size_t>(row) * m_columns + column);
        }
    }
    static int cellsAlong(double length, double cell) { return std::max(1, static_cast<int>(std::ceil(length / cell))); }
    // The cells [first, last] of a line whose centres lie between from and to.
    static std::pair<int, int> centres(double from, double to, double cell, int count)
    {
        const double first = std::ceil(from / cell - 0.5), last = std::floor(to / cell - 0.5);
        return {static_cast<int>(std::clamp(first, 0.0, static_cast<double>(count))),
                static_cast<int>(std::clamp(last, -1.0, static_cast<double>(count - 1)))};
    }

    QRectF m_area;
    QSizeF m_cell;
    int m_columns, m_rows;
    std::vector<bool> m_taken;
};

// The widest a mark can be when no value's magnitude is beyond the largest: as many of its
// widest characters as the text of the largest has, and two decimals (E notation has at most 15
// digits, a sign and an exponent).
double widestMark(const QFontMetricsF &metrics, double largest, double pixel)
{
    const qsizetype characters = largest < 1e15 ? valueText(-largest).size() + 3 : 22;
    double widestCharacter = 0;
    for (const QChar c : QStringLiteral("0123456789 -E") + valueText(0.5))
        widestCharacter = std::max(widestCharacter, metrics.horizontalAdvance(c));
    return static_cast<double>(characters) * widestCharacter + 6 * pixel;
}

} // namespace

QString ChartView::markText(double value) const
{
    return isNumericType(m_data.valueType) && !isIntegerType(m_data.valueType) ? amountText(value) : valueText(value);
}

void ChartView::paintMarks(QPainter &painter, const Frame &f) const
{
    const QFontMetricsF metrics(f.font, painter.device());
    const bool stacked = m_options.shape == ChartOptions::Shape::Bars && m_options.arrangement != ChartOptions::Arrangement::SideBySide;
    const size_t count = m_data.series.size();
    const double group = f.unit() * kBarGroupShare, height = metrics.height() + 2 * f.u;
    const auto [first, last] = visibleCategories(f);
    // The ends of the stacks above and below zero, taken back series by series from the last, so
    // that each segment's mark stands at its own segment.
    std::vector<double> positive(last - first, 0.0), negative(last - first, 0.0);
    double largest = 0;
    for (size_t s = 0; s < count; ++s) {
        for (size_t c = first; c < last; ++c) {
            const double v = shownValue(s, c);
            (v >= 0 ? positive : negative)[c - first] += v;
            largest = std::max(largest, std::fabs(m_data.series[s].values[c]));
        }
    }
    const double widest = widestMark(metrics, largest, f.u);
    // From the last mark drawn to the first, each kept only where those after it leave it seen.
    const QRectF area = f.walls();
    MarkCover cover(area, QSizeF(metrics.horizontalAdvance(QLatin1Char('0')) / 2 + 3 * f.u, height / 2));
    std::vector<std::pair<QRectF, QString>> kept;
    for (size_t s = count; s-- > 0;) {
        const ChartSeries &series = m_data.series[s];
        double lastValue = std::numeric_limits<double>::quiet_NaN(), width = 0;
        QString text;
        for (size_t c = last; c-- > first;) {
            const double v = shownValue(s, c), value = series.values[c];
            double end = v;
            if (stacked) {
                double &stackEnd = (v >= 0 ? positive : negative)[c - first];
                end = stackEnd;
                stackEnd -= v;
            }
            // A point without rows has no value to mark, nor has a segment of no height a place.
            if (!series.hasRows(c) || (stacked && v == 0))
                continue;
            double x = f.px(m_data.xs[c]);
            if (m_options.shape == ChartOptions::Shape::Bars && !stacked)
                x += -group / 2 + (s + 0.5) * group / std::max<size_t>(1, count);
            // Within its segment of a stack where the segment is taller than the mark, so that the
            // marks of a stack's low segments do not run into each other; otherwise below the end
            // of a bar under zero, above any other point.
            const double start = f.py(end - v), stop = f.py(end);
            const bool inside = stacked && std::fabs(start - stop) >= height + 4 * f.u;
            const bool below = m_options.shape == ChartOptions::Shape::Bars && v < 0;
            const double centre = inside ? x : x + f.depth.x() / 2;
            const double markTop = inside ? (start + stop - height) / 2
                : below                   ? stop + 5 * f.u
                                          : stop + f.depth.y() / 2 - metrics.height() - 6 * f.u;
            // Its text is made only where even the widest mark would leave a cell seen; a series'
            // marks often repeat a value (a day without sales).
            if (!cover.anyFree(QRectF(centre - widest / 2, markTop, widest, height)))
                continue;
            if (value != lastValue) {
                lastValue = value;
                text = markText(value);
                width = metrics.horizontalAdvance(text) + 6 * f.u;
            }
            const QRectF box(centre - width / 2, markTop, width, height);
            if (cover.take(box))
                kept.emplace_back(box, text);
        }
    }
    painter.setPen(QPen(Qt::black, f.u * 0.75));
    painter.setBrush(kMarkFill);
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
        painter.drawRect(it->first);
        painter.drawText(it->first, Qt::AlignCenter, it->second);
    }
    painter.setBrush(Qt::NoBrush);
}

void ChartView::paintLegend(QPainter &painter, const Frame &f) const
{
    if (f.legend.isEmpty())
        return;
    const QFontMetricsF metrics(f.font, painter.device());
    painter.setPen(QPen(Qt::black, f.u));
    painter.setBrush(Qt::white);
    painter.drawRect(f.legend);
    const double line = metrics.height() * 1.3;
    double y = f.legend.top() + 5 * f.u;
    const size_t room = static_cast<size_t>(std::max(1.0, std::floor((f.legend.bottom() - y) / line)));
    for (size_t s = 0; s < m_data.series.size(); ++s) {
        const ChartSeries &series = m_data.series[s];
        if (s + 1 == room && room < m_data.series.size()) {
            // The last line that fits says how many more there are.
            painter.setPen(QPen(Qt::black, f.u));
            painter.drawText(QRectF(f.legend.left() + 6 * f.u, y, f.legend.width() - 12 * f.u, line), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("… i ") + text::counted(static_cast<qint64>(m_data.series.size() - s), QStringLiteral("inna"), QStringLiteral("inne"), QStringLiteral("innych")));
            break;
        }
        const QRectF swatch(f.legend.left() + 6 * f.u, y + (line - 10 * f.u) / 2, 10 * f.u, 10 * f.u);
        painter.setBrush(colourOf(s));
        painter.setPen(QPen(Qt::black, f.u * 0.75));
        painter.drawRect(swatch);
        const QRectF name(swatch.right() + 6 * f.u, y, f.legend.right() - swatch.right() - 8 * f.u, line);
        painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(legendName(series), Qt::ElideRight, name.width()));
        y += line;
    }
    painter.setBrush(Qt::NoBrush);
}
