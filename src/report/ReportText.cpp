#include "ReportText.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>

#include <cmath>

namespace reporttext {
namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kMeasuringDpi = 600;
constexpr double kPerMm = kMeasuringDpi / kMmPerInch;
// Sizes are tried in steps of a quarter point.
constexpr double kStep = 0.25;

const QPaintDevice &measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        image.setDotsPerMeterX(qRound(kPerMm * 1000));
        image.setDotsPerMeterY(image.dotsPerMeterX());
        return image;
    }();
    return device;
}

QFontMetricsF metrics(const QFont &font)
{
    return QFontMetricsF(font, &measuringDevice());
}

// The text with every digit as "0": texts of one shape are equally wide.
QString shapeOf(const QString &text)
{
    QString shape = text;
    for (QChar &c : shape) {
        if (c.isDigit())
            c = QLatin1Char('0');
    }
    return shape;
}

} // namespace

QFont font(double points, bool bold)
{
    // Reports use a handful of fonts; each is resolved once.
    static QHash<QPair<double, bool>, QFont> fonts;
    const auto key = qMakePair(points > 0 ? points : 10.0, bold);
    auto it = fonts.find(key);
    if (it == fonts.end()) {
        QFont f(QStringLiteral("Arial"));
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(key.first);
        f.setBold(bold);
        it = fonts.insert(key, f);
    }
    return *it;
}

double widthMm(const QFont &font, const QString &text)
{
    return metrics(font).horizontalAdvance(text) / kPerMm;
}

double lineHeightMm(const QFont &font)
{
    return metrics(font).height() / kPerMm;
}

QStringList wrapLines(const QFont &font, const QString &text, double widthMm, int maxLines)
{
    QStringList lines;
    if (text.isEmpty())
        return lines;
    const double width = widthMm * kPerMm;
    QTextLayout layout(text, font, const_cast<QPaintDevice *>(&measuringDevice()));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (static_cast<int>(lines.size()) == maxLines - 1) {
            // The last line takes the rest of the text, cut at its end.
            lines.append(metrics(font).elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, width));
            break;
        }
        QString part = text.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && part.back().isSpace())
            part.chop(1);
        lines.append(part);
    }
    layout.endLayout();
    return lines;
}

double Fitter::floorPoints(double bandPoints)
{
    return std::min(bandPoints, std::max(4.0, 0.6 * bandPoints));
}

double Fitter::shapeWidth(const QString &text, double points)
{
    const auto key = qMakePair(shapeOf(text), points);
    auto it = m_widths.find(key);
    if (it == m_widths.end())
        it = m_widths.insert(key, widthMm(font(points, false), key.first));
    return *it;
}

Fit Fitter::fit(const QString &text, double bandPoints, double boxWidthMm)
{
    Fit fit;
    fit.points = bandPoints;
    const double needed = shapeWidth(text, bandPoints);
    if (needed <= boxWidthMm)
        return fit;
    const double floor = floorPoints(bandPoints);
    // Widths grow with the size almost in proportion: the first guess is nearly right.
    double points = std::floor(bandPoints * boxWidthMm / needed / kStep) * kStep;
    while (points >= floor && shapeWidth(text, points) > boxWidthMm)
        points -= kStep;
    if (points >= floor) {
        fit.points = points;
        fit.shrunk = true;
        return fit;
    }
    fit.hidden = true;
    fit.hashes = std::max(0, static_cast<int>(std::floor(boxWidthMm / shapeWidth(QStringLiteral("#"), bandPoints))));
    return fit;
}

} // namespace reporttext
