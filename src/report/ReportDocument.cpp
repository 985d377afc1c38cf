#include "ReportDocument.h"

#include "db/DataSet.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/Numbers.h"
#include "platform/RegionalSettings.h"
#include "platform/TextHelpers.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace {

constexpr double kMmPerInch = 25.4;
// Band heights are measured at this resolution, so that pagination is the same on every device.
constexpr int kMeasuringDpi = 600;

QFont reportFont(double points, bool bold)
{
    // Reports use a handful of fonts; each is resolved once.
    static QHash<QPair<double, bool>, QFont> fonts;
    const auto key = qMakePair(points > 0 ? points : 10.0, bold);
    auto it = fonts.find(key);
    if (it == fonts.end()) {
        QFont font(QStringLiteral("Arial"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(key.first);
        font.setBold(bold);
        it = fonts.insert(key, font);
    }
    return *it;
}

// The height in millimetres of a text wrapped into a width in millimetres.
double wrappedHeight(const QFont &font, const QString &text, double widthMm)
{
    QImage device(1, 1, QImage::Format_Mono);
    device.setDotsPerMeterX(qRound(kMeasuringDpi / kMmPerInch * 1000));
    device.setDotsPerMeterY(device.dotsPerMeterX());
    const QFontMetricsF metrics(font, &device);
    const double perMm = kMeasuringDpi / kMmPerInch;
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, widthMm * perMm, 1e7), Qt::TextWordWrap, text);
    return std::max(bounds.height(), metrics.height()) / perMm;
}

} // namespace

// Millimetres to device pixels.
struct ReportDocument::Pixels {
    double perMm;
    double operator()(double mm) const { return mm * perMm; }
    QRectF operator()(const QRectF &mm) const
    {
        return QRectF(mm.x() * perMm, mm.y() * perMm, mm.width() * perMm, mm.height() * perMm);
    }
};


ReportDocument::ReportDocument(ReportLayout layout, const DataSet &data, QDateTime printedAt)
    : m_layout(std::move(layout)), m_data(data), m_printedAt(std::move(printedAt))
{
    computeSums();
    paginate();
}

QString ReportDocument::title() const
{
    return m_layout.pageHeader.controls.empty() ? QString() : m_layout.pageHeader.controls.front().text;
}

QPageLayout ReportDocument::pageLayout() const
{
    return QPageLayout(QPageSize(QPageSize::A4), m_layout.portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                       QMarginsF(ReportLayout::kMargin, ReportLayout::kMargin, ReportLayout::kMargin, ReportLayout::kMargin),
                       QPageLayout::Millimeter);
}

QStringList ReportDocument::columnsOutsidePage() const
{
    QStringList names;
    for (const ReportControl &control : m_layout.detail.controls) {
        if (control.kind == ReportControl::Kind::DataField && control.rect.left() >= m_layout.printableWidth())
            names.append(m_data.field(control.field)->fieldName());
    }
    return names;
}

void ReportDocument::computeSums()
{
    m_sums.assign(static_cast<size_t>(m_data.fieldCount()), numbers::DecimalSum());
    for (const ReportControl &control : m_layout.summary.controls) {
        if (control.kind != ReportControl::Kind::Sum)
            continue;
        const Field *field = m_data.field(control.field);
        const bool integers = isIntegerType(field->dataType()) && field->column().storage() == ColumnStore::Storage::Integer;
        numbers::DecimalSum &sum = m_sums[static_cast<size_t>(control.field)];
        for (int record = 0; record < m_data.recordCount(); ++record) {
            const qsizetype row = m_data.rowOf(record);
            if (field->isNullAt(row))
                continue;
            try {
                if (integers)
                    sum.add(field->asIntegerAt(row));
                else
                    sum.add(field->asFloatAt(row));
            } catch (const EConvertError &) {
                // A text column summed on request: texts that are no numbers add nothing.
            }
        }
    }
}

QString ReportDocument::sumText(const ReportControl &control) const
{
    const numbers::DecimalSum &sum = m_sums[static_cast<size_t>(control.field)];
    if (!control.mask.isEmpty())
        return sum.exact() ? text::formatNumber(control.mask, sum.decimal()) : text::formatNumber(control.mask, sum.value());
    // A sum of integers is written with all its digits, others as floating-point values are.
    if (sum.exact() && sum.decimal().isInteger())
        return text::formatNumber(QStringLiteral("0"), sum.decimal());
    return numbers::formatFloat(sum.value());
}

void ReportDocument::paginate()
{
    // The page header grows when the title or the parameter summary needs more lines.
    const double width = m_layout.printableWidth();
    const ReportControl &title = m_layout.pageHeader.controls.at(0);
    const ReportControl &parameters = m_layout.pageHeader.controls.at(3);
    const double titleBottom = title.rect.top() + wrappedHeight(reportFont(title.fontPoints, true), title.text, width);
    m_parameterTop = std::max(parameters.rect.top(), titleBottom);
    const double parametersBottom = parameters.text.isEmpty()
        ? m_parameterTop
        : m_parameterTop + wrappedHeight(reportFont(parameters.fontPoints, false), parameters.text, width);
    m_pageHeaderHeight = std::max(m_layout.pageHeader.height, parametersBottom);

    const double room = m_layout.printableHeight() - m_pageHeaderHeight - m_layout.columnHeader.height;
    m_rowsPerPage = std::max(1, static_cast<int>(std::floor(room / m_layout.detail.height + 1e-9)));
    const int records = m_data.recordCount();
    m_pages = std::max(1, (records + m_rowsPerPage - 1) / m_rowsPerPage);
    const int lastRows = records - (m_pages - 1) * m_rowsPerPage;
    m_summaryAlone = records > 0 && lastRows * m_layout.detail.height + m_layout.summary.height > room + 1e-9;
    if (m_summaryAlone)
        ++m_pages;
}

void ReportDocument::print(QPagedPaintDevice &device, int first, int last) const
{
    if (last < 0 || last >= m_pages)
        last = m_pages - 1;
    QPainter painter(&device);
    for (int page = std::max(0, first); page <= last; ++page) {
        if (page > first)
            device.newPage();
        paintPage(painter, page);
    }
}

void ReportDocument::writePdf(const QString &path) const
{
    fileaccess::writeThroughTemporary(path, [this](fileaccess::TemporaryFile &file) {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Kwerix"));
        writer.setTitle(title());
        writer.setPageLayout(pageLayout());
        print(writer);
    });
}

void ReportDocument::paintPage(QPainter &painter, int page) const
{
    const Pixels px{painter.device()->logicalDpiY() / kMmPerInch};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    paintBand(painter, px, m_layout.pageHeader, 0, page, -1, -1);
    double top = m_pageHeaderHeight;
    paintBand(painter, px, m_layout.columnHeader, top, page, -1, -1);
    top += m_layout.columnHeader.height;
    const int records = m_data.recordCount();
    const int begin = page * m_rowsPerPage;
    const int end = std::min(records, begin + m_rowsPerPage);
    for (int record = begin; record < end; ++record) {
        paintBand(painter, px, m_layout.detail, top, page, m_data.rowOf(record), record);
        top += m_layout.detail.height;
    }
    if (page == m_pages - 1)
        paintBand(painter, px, m_layout.summary, top, page, -1, -1);
    painter.restore();
}

void ReportDocument::paintBand(QPainter &painter, const Pixels &px, const ReportBand &band, double top, int page,
                               qsizetype row, int record) const
{
    const double height = band.kind == ReportBand::Kind::PageHeader ? m_pageHeaderHeight : band.height;
    const QRectF area = px(QRectF(0, top, m_layout.printableWidth(), height));
    painter.setPen(QPen(Qt::black, 0));
    if (band.frame.top)
        painter.drawLine(area.topLeft(), area.topRight());
    if (band.frame.bottom)
        painter.drawLine(area.bottomLeft(), area.bottomRight());
    if (band.frame.left)
        painter.drawLine(area.topLeft(), area.bottomLeft());
    if (band.frame.right)
        painter.drawLine(area.topRight(), area.bottomRight());
    for (const ReportControl &control : band.controls)
        paintControl(painter, px, band, control, top, page, row, record);
}

void ReportDocument::paintControl(QPainter &painter, const Pixels &px, const ReportBand &band,
                                  const ReportControl &control, double top, int page, qsizetype row, int record) const
{
    const double bandHeight = band.kind == ReportBand::Kind::PageHeader ? m_pageHeaderHeight : band.height;
    if (control.kind == ReportControl::Kind::VerticalRule) {
        const double x = px(control.rect.left());
        painter.drawLine(QPointF(x, px(top)), QPointF(x, px(top + bandHeight)));
        return;
    }
    const QString text = textOf(control, page, row, record);
    if (text.isEmpty())
        return;
    const QFont font = reportFont(control.fontPoints > 0 ? control.fontPoints : band.fontPoints, control.bold);
    if (painter.font() != font)
        painter.setFont(font);
    QRectF rect = control.rect;
    // Controls sized to their text take the room the band gives them, anchored where they stand.
    if (control.sizedToText) {
        const double width = m_layout.printableWidth();
        if (control.alignment & Qt::AlignHCenter)
            rect = QRectF(0, rect.top(), width, bandHeight - rect.top());
        else if (control.alignment & Qt::AlignRight)
            rect = QRectF(0, rect.top(), rect.left(), bandHeight - rect.top());
        else
            rect = QRectF(rect.left(), rect.top(), width - rect.left(), bandHeight - rect.top());
        if (control.opaque)
            rect.moveTop(m_parameterTop);
    } else {
        // A row's text sits in the middle of its control, between its top and the band's bottom.
        rect.setBottom(bandHeight);
    }
    rect.translate(0, top);
    const QRectF box = px(rect);
    const Qt::Alignment vertical = control.sizedToText ? Qt::AlignTop : Qt::AlignVCenter;
    const int flags = static_cast<int>(control.alignment | vertical) | (control.wordWrap ? Qt::TextWordWrap : 0);
    if (control.opaque)
        painter.fillRect(painter.boundingRect(box, flags, text), Qt::white);
    // Text wider than its column is cut at the column's edge, never drawn over its neighbour.
    painter.drawText(box, flags, text);
}

QString ReportDocument::textOf(const ReportControl &control, int page, qsizetype row, int record) const
{
    switch (control.kind) {
    case ReportControl::Kind::Label: return control.text;
    case ReportControl::Kind::PrintedAt: return RegionalSettings::current().formatDateTime(m_printedAt);
    case ReportControl::Kind::PageNumber: return control.text + QString::number(page + 1);
    case ReportControl::Kind::RecordNumber: return QString::number(record + 1);
    case ReportControl::Kind::DataField: {
        const Field *field = m_data.field(control.field);
        if (control.mask.isEmpty() || field->isNullAt(row))
            return field->displayTextAt(row);
        try {
            return text::formatNumber(control.mask, field->asFloatAt(row));
        } catch (const EConvertError &) {
            return field->displayTextAt(row); // a rate column of text that is no number
        }
    }
    case ReportControl::Kind::Sum: {
        return sumText(control);
    }
    case ReportControl::Kind::VerticalRule: break;
    }
    return {};
}
