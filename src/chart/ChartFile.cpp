#include "ChartFile.h"

#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

QImage chartImage(const ChartView &view, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(96 / 0.0254));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    {
        QPainter painter(&image);
        view.paint(painter, QRectF(QPointF(0, 0), size));
    }
    return image;
}

void writeChartFile(const ChartData &data, const ChartOptions &options, const QString &path, ChartFormat format,
                    const QSize &size)
{
    ChartAxes axes;
    axes.fit(data, options);
    const ChartView view(data, options, axes);
    fileaccess::writeThroughTemporary(path, [&](fileaccess::TemporaryFile &file) {
        switch (format) {
        case ChartFormat::Png: {
            const QImage image = chartImage(view, size);
            if (!image.save(&file, "PNG"))
                throw EFCreateError(path, QStringLiteral("the image could not be written"));
            break;
        }
        case ChartFormat::Svg: {
            QSvgGenerator svg;
            svg.setOutputDevice(&file);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            svg.setResolution(96);
            svg.setTitle(data.valueName);
            QPainter painter(&svg);
            view.paint(painter, QRectF(QPointF(0, 0), size));
            break;
        }
        case ChartFormat::Pdf: {
            QPdfWriter pdf(&file);
            pdf.setCreator(QStringLiteral("Kwerix"));
            pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(size) * 25.4 / 96, QPageSize::Millimeter), QPageLayout::Portrait,
                                          QMarginsF()));
            pdf.setResolution(300);
            QPainter painter(&pdf);
            view.paint(painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
            break;
        }
        }
    });
}
