#include "ChartFile.h"

#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

void checkChartSize(const QSize &size)
{
    const auto fits = [](int side) { return side >= kMinChartSide && side <= kMaxChartSide; };
    if (!fits(size.width()) || !fits(size.height()) || qint64(size.width()) * size.height() > kMaxChartArea)
        throw EChartError(QStringLiteral("Rozmiar wykresu %1x%2 jest poza zakresem: każdy bok od %3 do %4 pikseli, "
                                         "razem najwyżej %5 pikseli, np. 5000x5000")
                              .arg(QString::number(size.width()), QString::number(size.height()), countText(kMinChartSide),
                                   countText(kMaxChartSide), countText(kMaxChartArea)));
}

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
    checkChartSize(size);
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
            svg.setTitle(drawnText(data.valueName));
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
