#pragma once

#include "ChartView.h"

#include <QImage>
#include <QSize>
#include <QString>

// The files a chart is written to.
enum class ChartFormat { Png, Svg, Pdf };

// The sizes of a chart file in pixels: each side from kMinChartSide to kMaxChartSide, at most
// kMaxChartArea in all. An image of the largest takes 100 MB while it is drawn and a second or two
// to draw; the drawing costs of a vector file grow with its width.
constexpr int kMinChartSide = 100;
constexpr int kMaxChartSide = 10000;
constexpr qint64 kMaxChartArea = 25'000'000;

// EChartError saying so for a size beyond those limits.
void checkChartSize(const QSize &size);

// The chart drawn into an image of the size given, at 96 dots per inch.
QImage chartImage(const ChartView &view, const QSize &size);

// Draws the chart with its automatic axes into a file of the size given (pixels at 96 dots per
// inch; a PDF page of that size), through a temporary file in the target's folder; a size beyond
// the limits is refused before anything is drawn or written.
void writeChartFile(const ChartData &data, const ChartOptions &options, const QString &path, ChartFormat format,
                    const QSize &size);
