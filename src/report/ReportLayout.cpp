#include "ReportLayout.h"

#include "platform/Errors.h"
#include "platform/Numbers.h"

namespace {

const QString kAmountMask = QStringLiteral("### ### ##0.00");
const QString kRateMask = QStringLiteral("##0.0000");

ReportControl rule(double x, double height)
{
    ReportControl c;
    c.kind = ReportControl::Kind::VerticalRule;
    c.rect = QRectF(x, 0, 0, height);
    return c;
}

ReportControl label(const QString &caption, const QRectF &rect, Qt::Alignment alignment = Qt::AlignLeft)
{
    ReportControl c;
    c.kind = ReportControl::Kind::Label;
    c.text = caption;
    c.rect = rect;
    c.alignment = alignment;
    return c;
}

// The fixed elements of the page: the title, the time of printing, the page number and the
// parameter summary.
ReportBand pageHeader(const QString &caption, const QString &parameters)
{
    ReportBand band;
    band.kind = ReportBand::Kind::PageHeader;
    band.height = 13.5;
    band.fontPoints = 10;

    ReportControl title = label(caption, QRectF(0, 3.7, 0, 5), Qt::AlignHCenter);
    title.fontPoints = 12;
    title.bold = true;
    title.sizedToText = true;
    title.wordWrap = true;
    band.controls.push_back(title);

    ReportControl printedAt;
    printedAt.kind = ReportControl::Kind::PrintedAt;
    printedAt.rect = QRectF(0, 0, 0, 3.5);
    printedAt.fontPoints = 8;
    printedAt.sizedToText = true;
    band.controls.push_back(printedAt);

    ReportControl page;
    page.kind = ReportControl::Kind::PageNumber;
    page.text = QStringLiteral("str. ");
    page.rect = QRectF(35.2, 0, 0, 3.5);
    page.alignment = Qt::AlignRight;
    page.fontPoints = 8;
    page.sizedToText = true;
    band.controls.push_back(page);

    ReportControl summary = label(parameters, QRectF(0, 9.3, 0, 3.5));
    summary.fontPoints = 8;
    summary.sizedToText = true;
    summary.wordWrap = true;
    summary.opaque = true;
    band.controls.push_back(summary);
    return band;
}

ReportBand rowBand(ReportBand::Kind kind, const PrintLayout &layout)
{
    ReportBand band;
    band.kind = kind;
    band.height = layout.rowHeight;
    band.fontPoints = layout.fontSize;
    return band;
}

bool isText(const FieldDef &field)
{
    return field.type == FieldType::ftString;
}

// Texts may be cut at their column's end; every other value is printed whole or not at all.
bool isCutText(const FieldDef &field)
{
    return field.type == FieldType::ftString || field.type == FieldType::ftMemo || field.type == FieldType::ftBlob
        || field.type == FieldType::ftUnknown;
}

} // namespace

bool ReportControl::operator==(const ReportControl &o) const
{
    return kind == o.kind && rect == o.rect && alignment == o.alignment && text == o.text && field == o.field
        && mask == o.mask && fontPoints == o.fontPoints && bold == o.bold && sizedToText == o.sizedToText
        && wordWrap == o.wordWrap && opaque == o.opaque && whole == o.whole;
}

QSizeF ReportLayout::pageSize() const
{
    const QSizeF size = QPageSize(paper).size(QPageSize::Millimeter);
    return portrait ? size : size.transposed();
}

double ReportLayout::printableWidth() const
{
    return pageSize().width() - 2 * kMargin;
}

double ReportLayout::printableHeight() const
{
    return pageSize().height() - 2 * kMargin;
}

const ReportBand &ReportLayout::band(ReportBand::Kind kind) const
{
    switch (kind) {
    case ReportBand::Kind::PageHeader: return pageHeader;
    case ReportBand::Kind::ColumnHeader: return columnHeader;
    case ReportBand::Kind::Detail: return detail;
    case ReportBand::Kind::Summary: return summary;
    }
    return detail;
}

ReportSettings readReportSettings(const QueryCatalogue &catalogue, const QString &title, const std::vector<FieldDef> &fields)
{
    ReportSettings settings;
    settings.layout = catalogue.readEntry(title).layout;
    settings.layout.fields.clear();
    QString problem = QueryCatalogue::rowProblem(title, settings.layout.fontSize, settings.layout.rowHeight);
    for (const FieldDef &field : fields) {
        settings.fields.push_back(catalogue.storedField(title, field.name));
        if (problem.isEmpty())
            problem = QueryCatalogue::columnWidthProblem(title, field.name, columnWidth(settings.fields.back()));
    }
    if (!problem.isEmpty())
        throw Exception(problem);
    return settings;
}

int columnWidth(const StoredField &stored)
{
    return numbers::tryParseInt(stored.width.value_or(QString())).value_or(20);
}

bool isSummed(const FieldDef &field, const StoredField &stored)
{
    if (stored.sum)
        return *stored.sum == QLatin1String("T");
    return !isText(field) && field.name.toUpper() != QLatin1String("KOD");
}

QString detailMask(const FieldDef &field)
{
    if (field.name.startsWith(QLatin1String("KURS")))
        return kRateMask;
    return field.type == FieldType::ftFloat ? kAmountMask : QString();
}

QString summaryMask(const FieldDef &field)
{
    if (field.name.startsWith(QLatin1String("KURS")))
        return kRateMask;
    return field.type == FieldType::ftFloat || field.type == FieldType::ftCurrency ? kAmountMask : QString();
}

ReportLayout layOutReport(const std::vector<FieldDef> &fields, const ReportSettings &settings, const QString &caption,
                          const QString &parameters)
{
    const PrintLayout &layout = settings.layout;
    ReportLayout report;
    report.portrait = layout.orientation == 1;
    report.pageHeader = pageHeader(caption, parameters);
    ReportBand &columns = report.columnHeader = rowBand(ReportBand::Kind::ColumnHeader, layout);
    ReportBand &detail = report.detail = rowBand(ReportBand::Kind::Detail, layout);
    ReportBand &summary = report.summary = rowBand(ReportBand::Kind::Summary, layout);
    columns.frame = {true, true, true, true};
    detail.frame.bottom = layout.rowLine;
    summary.frame.top = true;
    const double height = layout.rowHeight;

    double x = 10;
    if (layout.rowNumbers) {
        ReportControl number;
        number.kind = ReportControl::Kind::RecordNumber;
        number.rect = QRectF(0.26, 0, 7.3 - 0.26, 4);
        number.alignment = Qt::AlignRight;
        number.whole = true;
        detail.controls.push_back(number);
        columns.controls.push_back(rule(8, height));
        columns.controls.push_back(label(QStringLiteral("Lp."), QRectF(1, 1, 10, height)));
        detail.controls.push_back(rule(8, height));
    }
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldDef &field = fields[i];
        const StoredField stored = i < settings.fields.size() ? settings.fields[i] : StoredField{};
        const double width = columnWidth(stored);
        const bool first = i == 0;
        columns.controls.push_back(label(field.name, QRectF(x, 1, width, height)));
        if (!first) {
            columns.controls.push_back(rule(x - 2, height));
            detail.controls.push_back(rule(x - 2, height));
        }
        if (isSummed(field, stored)) {
            if (!first)
                summary.controls.push_back(rule(x - 2, height));
            ReportControl sum;
            sum.kind = ReportControl::Kind::Sum;
            sum.field = static_cast<int>(i);
            sum.rect = QRectF(x, 1, width, height);
            sum.alignment = Qt::AlignRight;
            sum.mask = summaryMask(field);
            sum.whole = true;
            summary.controls.push_back(sum);
        }
        ReportControl value;
        value.kind = ReportControl::Kind::DataField;
        value.field = static_cast<int>(i);
        value.rect = QRectF(x, 0, width, height);
        value.alignment = isText(field) ? Qt::AlignLeft : Qt::AlignRight;
        value.mask = detailMask(field);
        value.whole = !isCutText(field);
        detail.controls.push_back(value);
        x += std::round(width) + 5;
    }
    return report;
}
