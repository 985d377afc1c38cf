#include "ReportDocument.h"

#include "db/DataSet.h"
#include "PagedOutput.h"
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

#include <cmath>

namespace {

constexpr double kMmPerInch = 25.4;
// The page header's title and parameter summary wrap to at most these many lines.
constexpr int kTitleLines = 3, kParameterLines = 6;
// Between the time of printing and the page number.
constexpr double kHeaderGap = 2;

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
    checkFits();
}

QString ReportDocument::title() const
{
    return m_layout.pageHeader.controls.empty() ? QString() : m_layout.pageHeader.controls.front().text;
}

ReportDocument ReportDocument::onPaper(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation) const
{
    ReportLayout layout = m_layout;
    layout.paper = paper;
    layout.portrait = orientation == QPageLayout::Portrait;
    return ReportDocument(std::move(layout), m_data, m_printedAt);
}

QPageLayout ReportDocument::pageLayout() const
{
    return QPageLayout(QPageSize(m_layout.paper), m_layout.portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                       QMarginsF(ReportLayout::kMargin, ReportLayout::kMargin, ReportLayout::kMargin, ReportLayout::kMargin),
                       QPageLayout::Millimeter);
}

QStringList ReportDocument::columnsOutsidePage() const
{
    QStringList names;
    for (const ReportControl &control : m_layout.detail.controls) {
        if (control.kind == ReportControl::Kind::DataField && control.rect.width() > 0
            && control.rect.right() > m_layout.printableWidth() + 1e-9)
            names.append(columnName(control));
    }
    return names;
}

QString ReportDocument::columnName(const ReportControl &control) const
{
    return control.kind == ReportControl::Kind::RecordNumber ? QStringLiteral("Lp.")
                                                             : m_data.field(control.field)->fieldName();
}

double ReportDocument::roomOf(const ReportControl &control) const
{
    return std::min(control.rect.right(), m_layout.printableWidth()) - control.rect.left();
}

void ReportDocument::checkFits()
{
    const auto note = [](QStringList &names, const QString &name) {
        if (!names.contains(name))
            names.append(name);
    };
    const auto check = [&](const ReportControl &control, const ReportBand &band, const QString &text) {
        const reporttext::Fit fit = m_fitter.fit(text, band.fontPoints, roomOf(control));
        if (fit.hidden)
            note(m_hidden, columnName(control));
        else if (fit.shrunk)
            note(m_shrunk, columnName(control));
    };
    for (const ReportControl &control : m_layout.detail.controls) {
        if (!control.whole || roomOf(control) <= 0)
            continue;
        if (control.kind == ReportControl::Kind::RecordNumber) {
            // All digits are equally wide: the last number is the widest.
            check(control, m_layout.detail, textOf(control, 0, -1, m_data.recordCount() - 1));
            continue;
        }
        for (int record = 0; record < m_data.recordCount(); ++record)
            check(control, m_layout.detail, textOf(control, 0, m_data.rowOf(record), record));
    }
    for (const ReportControl &control : m_layout.summary.controls) {
        if (control.whole && roomOf(control) > 0)
            check(control, m_layout.summary, textOf(control, 0, -1, -1));
    }
    // A column named as hidden is not named again as printed smaller.
    for (const QString &name : std::as_const(m_hidden))
        m_shrunk.removeAll(name);
}

QStringList ReportDocument::warnings() const
{
    QStringList lines;
    const auto add = [&](const QString &what, const QStringList &names) {
        if (!names.isEmpty())
            lines.append(what + names.join(QStringLiteral(", ")));
    };
    add(QStringLiteral("Kolumny poza szerokością strony: "), columnsOutsidePage());
    add(QStringLiteral("Wartości wydrukowane mniejszą czcionką, bo nie mieszczą się w kolumnach: "), m_shrunk);
    add(QStringLiteral("Wartości zastąpione znakami \"#\", bo nie mieszczą się w kolumnach: "), m_hidden);
    return lines;
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
    const ReportControl &title = m_layout.pageHeader.controls.at(0);
    const ReportControl &parameters = m_layout.pageHeader.controls.at(3);
    m_titleLines = headerLines(title, kTitleLines);
    m_parameterLines = headerLines(parameters, kParameterLines);
    const double titleBottom = title.rect.top() + std::max<qsizetype>(1, m_titleLines.size()) * lineHeight(title);
    m_parameterTop = std::max(parameters.rect.top(), titleBottom);
    const double parametersBottom = m_parameterTop + m_parameterLines.size() * lineHeight(parameters);
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

int ReportDocument::pageOfRecord(int record) const
{
    if (record >= m_data.recordCount())
        return m_pages - 1;
    return std::max(0, record) / m_rowsPerPage;
}

int ReportDocument::firstRecordOn(int page) const
{
    return std::min(m_data.recordCount(), std::clamp(page, 0, m_pages - 1) * m_rowsPerPage);
}

double ReportDocument::rowTop(int page, int record) const
{
    return m_pageHeaderHeight + m_layout.columnHeader.height + (record - page * m_rowsPerPage) * m_layout.detail.height;
}

std::vector<ReportMatch> ReportDocument::find(const QString &text) const
{
    std::vector<ReportMatch> matches;
    if (text.isEmpty())
        return matches;
    const auto look = [&](const ReportBand &band, ReportControl::Kind kind, int page, qsizetype row, int record) {
        for (size_t i = 0; i < band.controls.size(); ++i) {
            const ReportControl &control = band.controls[i];
            if (control.kind == kind && roomOf(control) > 0
                && textOf(control, page, row, record).contains(text, Qt::CaseInsensitive))
                matches.push_back({page, record, static_cast<int>(i)});
        }
    };
    for (int record = 0; record < m_data.recordCount(); ++record)
        look(m_layout.detail, ReportControl::Kind::DataField, pageOfRecord(record), m_data.rowOf(record), record);
    look(m_layout.summary, ReportControl::Kind::Sum, m_pages - 1, -1, -1);
    return matches;
}

QRectF ReportDocument::matchRect(const ReportMatch &match) const
{
    const bool sum = match.record < 0;
    const ReportBand &band = sum ? m_layout.summary : m_layout.detail;
    const ReportControl &control = band.controls.at(static_cast<size_t>(match.control));
    // The summary follows the last page's rows, when it has any.
    const double top = rowTop(match.page, sum ? std::max(match.page * m_rowsPerPage, m_data.recordCount()) : match.record);
    return QRectF(control.rect.left(), top + control.rect.top(), roomOf(control), band.height - control.rect.top());
}

std::vector<int> ReportDocument::pages(int first, int last) const
{
    if (last < 0 || last >= m_pages)
        last = m_pages - 1;
    return printOrder(std::max(0, first), last, 1, true);
}

void ReportDocument::print(QPagedPaintDevice &device, int first, int last) const
{
    paintPages(device, pages(first, last), [this](QPainter &painter, int page) { paintPage(painter, page); });
}

void ReportDocument::writePdf(const QString &path, int first, int last) const
{
    writePdfPages(path, title(), pageLayout(), pages(first, last),
                  [this](QPainter &painter, int page) { paintPage(painter, page); });
}

QImage ReportDocument::pageImage(int page, double pixelsPerMm) const
{
    const QSizeF size = m_layout.pageSize() * pixelsPerMm;
    QImage image(std::max(1, qRound(size.width())), std::max(1, qRound(size.height())), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(pixelsPerMm * 1000));
    image.setDotsPerMeterY(qRound(pixelsPerMm * 1000));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(ReportLayout::kMargin * pixelsPerMm, ReportLayout::kMargin * pixelsPerMm);
    paintPage(painter, std::clamp(page, 0, m_pages - 1));
    return image;
}

void ReportDocument::writePng(const QString &path, int page, int dotsPerInch) const
{
    const QImage image = pageImage(page, dotsPerInch / kMmPerInch);
    fileaccess::writeThroughTemporary(path, [&](fileaccess::TemporaryFile &file) {
        if (!image.save(&file, "PNG"))
            throw EFCreateError(path, file.errorString());
    });
}

void ReportDocument::paintPage(QPainter &painter, int page) const
{
    const Pixels px{painter.device()->logicalDpiY() / kMmPerInch};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Nothing reaches the margins: a column beyond the page's edge is cut there. The frame lines on
    // the edges stay, a pixel wide.
    painter.setClipRect(px(QRectF(0, 0, m_layout.printableWidth(), m_layout.printableHeight())).adjusted(0, 0, 1, 1),
                        Qt::IntersectClip);
    paintPageHeader(painter, px, page);
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

void ReportDocument::paintPageHeader(QPainter &painter, const Pixels &px, int page) const
{
    const ReportBand &band = m_layout.pageHeader;
    const ReportControl &title = band.controls.at(0);
    const ReportControl &printedAt = band.controls.at(1);
    const ReportControl &pageNumber = band.controls.at(2);
    const ReportControl &parameters = band.controls.at(3);
    const double width = m_layout.printableWidth();
    painter.setPen(QPen(Qt::black, 0));

    paintHeaderLines(painter, px, title, m_titleLines, title.rect.top());
    paintHeaderLines(painter, px, parameters, m_parameterLines, m_parameterTop);

    const QFont small = reporttext::font(printedAt.fontPoints, false);
    painter.setFont(small);
    const QString time = textOf(printedAt, page, -1, -1);
    const QString number = textOf(pageNumber, page, -1, -1);
    painter.drawText(px(QRectF(0, printedAt.rect.top(), width, printedAt.rect.height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, time);
    // The page number ends at its place, or further right when the time of printing would touch it.
    const double numberEnd = std::max(pageNumber.rect.left(), reporttext::widthMm(small, time) + kHeaderGap
                                                                   + reporttext::widthMm(small, number));
    painter.drawText(px(QRectF(0, pageNumber.rect.top(), numberEnd, pageNumber.rect.height())),
                     Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip, number);
}

QStringList ReportDocument::headerLines(const ReportControl &control, int maxLines) const
{
    // A text that does not wrap keeps one line, cut at its end.
    return reporttext::wrapLines(reporttext::font(control.fontPoints, control.bold), control.text,
                                 m_layout.printableWidth(), control.wordWrap ? maxLines : 1);
}

double ReportDocument::lineHeight(const ReportControl &control)
{
    return reporttext::lineHeightMm(reporttext::font(control.fontPoints, control.bold));
}

void ReportDocument::paintHeaderLines(QPainter &painter, const Pixels &px, const ReportControl &control,
                                      const QStringList &lines, double top) const
{
    // The lines were broken to fit the width: aligned as the control is, none loses its beginning.
    painter.setFont(reporttext::font(control.fontPoints, control.bold));
    const double height = lineHeight(control);
    const int flags = static_cast<int>(control.alignment | Qt::AlignTop) | Qt::TextDontClip;
    for (int i = 0; i < lines.size(); ++i) {
        const QRectF line = px(QRectF(0, top + i * height, m_layout.printableWidth(), height));
        if (control.opaque)
            painter.fillRect(painter.boundingRect(line, flags, lines[i]), Qt::white);
        painter.drawText(line, flags, lines[i]);
    }
}

void ReportDocument::paintBand(QPainter &painter, const Pixels &px, const ReportBand &band, double top, int page,
                               qsizetype row, int record) const
{
    const QRectF area = px(QRectF(0, top, m_layout.printableWidth(), band.height));
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
    if (control.kind == ReportControl::Kind::VerticalRule) {
        const double x = px(control.rect.left());
        painter.drawLine(QPointF(x, px(top)), QPointF(x, px(top + band.height)));
        return;
    }
    const double room = roomOf(control);
    if (room <= 0)
        return;
    QString text = textOf(control, page, row, record);
    if (text.isEmpty())
        return;
    double points = control.fontPoints > 0 ? control.fontPoints : band.fontPoints;
    if (control.whole) {
        const reporttext::Fit fit = m_fitter.fit(text, points, room);
        points = fit.points;
        if (fit.hidden)
            text = QString(fit.hashes, QLatin1Char('#'));
    }
    const QFont font = reporttext::font(points, control.bold);
    if (painter.font() != font)
        painter.setFont(font);
    // A row's text sits in the middle of its control, between its top and the band's bottom; it
    // is cut at the control's end (or the page's), never drawn over its neighbour.
    QRectF rect(control.rect.left(), control.rect.top(), room, band.height - control.rect.top());
    rect.translate(0, top);
    painter.drawText(px(rect), static_cast<int>(control.alignment | Qt::AlignVCenter), text);
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
