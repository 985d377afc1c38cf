#include "ChartView.h"

#include "platform/Numbers.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBarGroupShare = 0.7; // of a category's width
const QColor kWallLine(0x80, 0x80, 0x80);
const QColor kGridLine(0xd0, 0xd0, 0xd0);
const QColor kFloor(0xec, 0xec, 0xec);
const QColor kMarkFill(0xff, 0xff, 0xe1);

QFont chartFont(double points = 8)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

// A value as a mark or a tick shows it: digits in groups of three, at most two decimals, the
// regional separator.
QString valueText(double value)
{
    const QString plain = numbers::formatFloat(std::round(value * 100) / 100);
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

} // namespace

// ---- axes ------------------------------------------------------------------------------------------

void ChartAxes::fit(const ChartData &data, const ChartOptions &options)
{
    automatic = true;
    xMin = data.xs.empty() ? 0 : data.xs.front() - 0.5;
    xMax = data.xs.empty() ? 1 : data.xs.back() + 0.5;
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
    QRectF front;    // where the values are drawn
    QPointF depth;   // from the front to the back wall; none when flat
    QRectF legend;
    QFont font;
    double xMin, xMax, yMin, yMax;
    // Category labels: level, on two rows (every other one lower), or turned by 90 degrees.
    enum class Labels { Level, Staggered, Turned } labels = Labels::Level;
    double labelLength = 0; // the longest a turned label may be

    double px(double x) const { return front.left() + (x - xMin) / (xMax - xMin) * front.width(); }
    double py(double y) const { return front.bottom() - (y - yMin) / (yMax - yMin) * front.height(); }
    // One unit of the X axis in the device's units.
    double unit() const { return front.width() / (xMax - xMin); }
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
    if (!(max > min) || count < 1)
        return values;
    const double raw = (max - min) / count;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= raw)
            break;
    }
    for (double v = std::ceil(min / step) * step; v <= max + step * 1e-9; v += step)
        values.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
    return values;
}

QString ChartView::legendName(const ChartSeries &series) const
{
    return series.key.isEmpty() ? m_data.valueName : series.name;
}

ChartView::Frame ChartView::layOut(QPainter &painter, const QRectF &area) const
{
    Frame f;
    f.u = painter.device() ? painter.device()->logicalDpiY() / 96.0 : 1.0;
    f.font = chartFont();
    f.xMin = m_axes.xMin;
    f.xMax = m_axes.xMax;
    f.yMin = m_axes.yMin;
    f.yMax = m_axes.yMax;
    const QFontMetricsF metrics(f.font, painter.device());
    const double gap = 10 * f.u;

    double legendWidth = 0;
    for (const ChartSeries &series : m_data.series)
        legendWidth = std::max(legendWidth, metrics.horizontalAdvance(legendName(series)));
    const bool legend = legendWidth > 0;
    if (legend) {
        legendWidth += 26 * f.u;
        const double height = m_data.series.size() * metrics.height() * 1.3 + 10 * f.u;
        f.legend = QRectF(area.right() - gap - legendWidth, area.top() + gap, legendWidth,
                          std::min(height, area.height() - 2 * gap));
    }
    double labelWidth = 0;
    for (const double tick : ticks(f.yMin, f.yMax, 8))
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(valueText(tick)));
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
    if (f.labels == Frame::Labels::Staggered)
        place(2 * metrics.height());
    else if (f.labels == Frame::Labels::Turned)
        place(f.labelLength);
    return f;
}

QRectF ChartView::plotRect(QPainter &painter, const QRectF &area) const
{
    return layOut(painter, area).front;
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
    painter.setClipRect(frame.front.united(frame.front.translated(frame.depth)));
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
    painter.setBrush(Qt::white);
    painter.drawRect(back);
    painter.setPen(QPen(kGridLine, f.u));
    for (const double tick : ticks(f.yMin, f.yMax, 8)) {
        const double y = f.py(tick);
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
    for (const double tick : ticks(f.yMin, f.yMax, 8)) {
        const double y = f.py(tick);
        painter.drawLine(QPointF(f.front.left() - 4 * f.u, y), QPointF(f.front.left(), y));
        const QString text = valueText(tick);
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
    const int first = std::max(0, static_cast<int>(std::ceil(f.xMin)) - static_cast<int>(m_data.xs.empty() ? 0 : m_data.xs.front()));
    for (size_t c = 0; c < m_data.xs.size(); ++c) {
        const double x = f.px(m_data.xs[c]);
        if (x < f.front.left() - 0.5 || x > f.front.right() + 0.5 || (static_cast<int>(c) - first) % every != 0)
            continue;
        painter.drawLine(QPointF(x, f.front.bottom()), QPointF(x, f.front.bottom() + 4 * f.u));
        const QString &label = m_data.labels[static_cast<qsizetype>(c)];
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
// narrower than a pixel still shows. Side by side, many fall into one pixel column, each over
// the ones before it; as all stand on the zero line, only what a later bar leaves uncovered is
// painted.
class ThinBars {
public:
    ThinBars(QPainter &painter, double pixel, bool overlapping) : m_painter(painter), m_pixel(pixel), m_overlapping(overlapping) {}
    void add(const QRectF &bar, const QColor &colour)
    {
        const QRectF snapped(std::floor(bar.left()), bar.top(), std::max(m_pixel, std::round(bar.width())), bar.height());
        if (!m_overlapping) {
            m_painter.fillRect(snapped, colour);
            return;
        }
        if (!m_column.empty() && snapped.left() != m_column.front().first.left())
            flush();
        m_column.emplace_back(snapped, colour);
    }

    // Paints the pixel column gathered last.
    void flush()
    {
        double coveredTop = 0, coveredBottom = 0;
        bool covered = false;
        for (auto it = m_column.rbegin(); it != m_column.rend(); ++it) {
            const QRectF &bar = it->first;
            if (!covered) {
                m_painter.fillRect(bar, it->second);
            } else {
                if (bar.top() < coveredTop)
                    m_painter.fillRect(QRectF(bar.left(), bar.top(), bar.width(), coveredTop - bar.top()), it->second);
                if (bar.bottom() > coveredBottom)
                    m_painter.fillRect(QRectF(bar.left(), coveredBottom, bar.width(), bar.bottom() - coveredBottom), it->second);
            }
            coveredTop = covered ? std::min(coveredTop, bar.top()) : bar.top();
            coveredBottom = covered ? std::max(coveredBottom, bar.bottom()) : bar.bottom();
            covered = true;
        }
        m_column.clear();
    }

private:
    QPainter &m_painter;
    double m_pixel;
    bool m_overlapping;
    std::vector<std::pair<QRectF, QColor>> m_column;
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
    ThinBars thin(painter, f.u, sideBySide);
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
                thin.add(bar, colour);
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
    }
    thin.flush();
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

QVector<QLineF> segmentsOf(const QPolygonF &points)
{
    QVector<QLineF> segments;
    segments.reserve(points.size());
    for (qsizetype i = 0; i + 1 < points.size(); ++i)
        segments.append(QLineF(points[i], points[i + 1]));
    return segments;
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

// A band drawn segment by segment: a fill of the whole outline at once is slow where it
// crosses itself.
void paintBand(QPainter &painter, const QPolygonF &upper, const QPolygonF &lower, const QColor &fill, const QPen &edge)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    for (qsizetype i = 0; i + 1 < upper.size(); ++i)
        painter.drawPolygon(quad(upper[i], upper[i + 1], lower[i + 1], lower[i]));
    painter.setPen(edge);
    painter.drawPolyline(upper);
    painter.drawPolyline(lower);
    if (!upper.isEmpty()) {
        painter.drawLine(upper.first(), lower.first());
        painter.drawLine(upper.last(), lower.last());
    }
}

} // namespace

void ChartView::paintLines(QPainter &painter, const Frame &f) const
{
    const size_t count = m_data.series.size();
    // Points a few pixels apart make a thicket in which smoothing and edges cannot be seen:
    // they are drawn plainly, which is many times faster.
    const bool dense = f.unit() < 6 * f.u;
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    const double depthLength = std::hypot(f.depth.x(), f.depth.y());
    for (size_t s = 0; s < count; ++s) {
        const QColor colour = m_data.series[s].colour;
        QPolygonF points;
        for (size_t c = 0; c < m_data.xs.size(); ++c)
            points.append(QPointF(f.px(m_data.xs[c]), f.py(shownValue(s, c))));
        if (f.depth.isNull()) {
            // Segment by segment: one wide polyline over hundreds of points is slow to stroke.
            painter.setPen(QPen(colour, 3 * f.u, Qt::SolidLine, dense ? Qt::FlatCap : Qt::RoundCap));
            painter.drawLines(segmentsOf(points));
            continue;
        }
        // Each series on its own slice of the depth, as a ribbon of even thickness along its
        // line, so that no slope thins it; its side is the same band set back along the depth
        // by less than its thickness, darker, so that the two read as one solid ribbon.
        const QPolygonF line = points.translated(f.depth * ((count - s - 0.5) / count));
        const double thickness = std::clamp(depthLength / count, 4 * f.u, 9 * f.u);
        const QPointF side = f.depth * (thickness * 0.45 / depthLength);
        if (dense) {
            painter.setPen(QPen(colour.darker(130), thickness, Qt::SolidLine, Qt::FlatCap));
            painter.drawLines(segmentsOf(line.translated(side)));
            painter.setPen(QPen(colour, thickness, Qt::SolidLine, Qt::FlatCap));
            painter.drawLines(segmentsOf(line));
            continue;
        }
        const auto [upper, lower] = bandEdges(line, thickness);
        paintBand(painter, upper.translated(side), lower.translated(side), colour.darker(130), QPen(colour.darker(170), f.u));
        paintBand(painter, upper, lower, colour, QPen(colour.darker(150), f.u));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
}

void ChartView::paintMarks(QPainter &painter, const Frame &f) const
{
    const QFontMetricsF metrics(f.font, painter.device());
    const bool stacked = m_options.shape == ChartOptions::Shape::Bars && m_options.arrangement != ChartOptions::Arrangement::SideBySide;
    const size_t count = m_data.series.size();
    const double group = f.unit() * kBarGroupShare;
    std::vector<double> positive(m_data.xs.size(), 0.0);
    for (size_t s = 0; s < count; ++s) {
        for (size_t c = 0; c < m_data.xs.size(); ++c) {
            const double v = shownValue(s, c);
            double x = f.px(m_data.xs[c]);
            double top = v;
            if (stacked) {
                positive[c] += std::max(0.0, v);
                top = positive[c];
            } else if (m_options.shape == ChartOptions::Shape::Bars) {
                x += -group / 2 + (s + 0.5) * group / std::max<size_t>(1, count);
            }
            const QString text = valueText(m_data.series[s].values[c]);
            const double width = metrics.horizontalAdvance(text) + 6 * f.u;
            const QRectF box(x - width / 2 + f.depth.x() / 2, f.py(top) + f.depth.y() / 2 - metrics.height() - 6 * f.u, width,
                             metrics.height() + 2 * f.u);
            painter.setPen(QPen(Qt::black, f.u * 0.75));
            painter.setBrush(kMarkFill);
            painter.drawRect(box);
            painter.drawText(box, Qt::AlignCenter, text);
        }
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
                             QStringLiteral("… i %1 innych").arg(m_data.series.size() - s));
            break;
        }
        const QRectF swatch(f.legend.left() + 6 * f.u, y + (line - 10 * f.u) / 2, 10 * f.u, 10 * f.u);
        painter.setBrush(series.colour);
        painter.setPen(QPen(Qt::black, f.u * 0.75));
        painter.drawRect(swatch);
        painter.drawText(QRectF(swatch.right() + 6 * f.u, y, f.legend.right() - swatch.right() - 8 * f.u, line),
                         Qt::AlignLeft | Qt::AlignVCenter, legendName(series));
        y += line;
    }
    painter.setBrush(Qt::NoBrush);
}
