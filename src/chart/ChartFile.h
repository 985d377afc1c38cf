#pragma once

#include "ChartView.h"

#include <QImage>
#include <QSize>
#include <QString>

// The files a chart is written to.
enum class ChartFormat { Png, Svg, Pdf };

// The sizes of a chart file in pixels: each side from kMinChartSide to kMaxChartSide, at most
// kMaxChartArea in all. An image of the largest takes 100 MB while it is drawn; the largest chart
// (kMaxSeries series over kMaxCategories days) takes a few seconds to draw at that size, and its
// SVG some tens of MB, as a vector file grows with the picture's width and height.
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
