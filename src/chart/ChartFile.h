#pragma once

#include "ChartView.h"

#include <QImage>
#include <QSize>
#include <QString>

// The files a chart is written to.
enum class ChartFormat { Png, Svg, Pdf };

// The chart drawn into an image of the size given, at 96 dots per inch.
QImage chartImage(const ChartView &view, const QSize &size);

// Draws the chart with its automatic axes into a file of the size given (pixels at 96 dots per
// inch; a PDF page of that size), through a temporary file in the target's folder.
void writeChartFile(const ChartData &data, const ChartOptions &options, const QString &path, ChartFormat format,
                    const QSize &size);
