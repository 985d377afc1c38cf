#pragma once

#include "catalogue/QueryCatalogue.h"
#include "db/FieldType.h"

#include <QPageSize>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

// A printable control of a report band. Places and sizes are in millimetres from the band's
// top left corner, which lies on the page's left margin.
struct ReportControl {
    enum class Kind {
        Label,        // fixed text
        PrintedAt,    // date and time of printing
        PageNumber,   // "str. " and the page number
        RecordNumber, // number of the detail row, 1 for the first record
        DataField,    // a field of the current record
        Sum,          // the sum of a field over the printed records
        VerticalRule, // a vertical line as tall as the band
    };
    Kind kind = Kind::Label;
    QRectF rect;
    Qt::Alignment alignment = Qt::AlignLeft;
    QString text;       // caption of a label, prefix of a page number
    int field = -1;     // the result field of a data field or sum
    QString mask;       // display mask of a number; empty for the field's own text
    double fontPoints = 0; // 0: the band's font
    bool bold = false;
    bool sizedToText = false; // the width follows the text, anchored at its alignment's edge
    bool wordWrap = false;
    bool opaque = false;      // a white background under the text
    // A number, a date or a row number: printed whole or not at all. When it is wider than its
    // control it is printed smaller, and below the smallest size as "#" marks; texts are cut at
    // their control's end instead.
    bool whole = false;

    bool operator==(const ReportControl &o) const;
};

struct ReportBand {
    enum class Kind { PageHeader, ColumnHeader, Detail, Summary };
    struct Frame {
        bool top = false, bottom = false, left = false, right = false;
        bool operator==(const Frame &o) const
        {
            return top == o.top && bottom == o.bottom && left == o.left && right == o.right;
        }
    };
    Kind kind = Kind::Detail;
    double height = 0;
    double fontPoints = 10;
    Frame frame;
    std::vector<ReportControl> controls;
};

// A tabular report as the builder lays it out: A4 (or the paper chosen for printing) with margins
// of 10 mm, a page header, a column header repeated on every page, one detail band per record and
// a summary after the last one.
struct ReportLayout {
    static constexpr double kMargin = 10;

    bool portrait = false;
    QPageSize::PageSizeId paper = QPageSize::A4;
    ReportBand pageHeader, columnHeader, detail, summary;

    // The page's width and height in millimetres, turned as the orientation says.
    QSizeF pageSize() const;
    // The printable width and height, between the margins.
    double printableWidth() const;
    double printableHeight() const;
    const ReportBand &band(ReportBand::Kind kind) const;
};

// What the catalogue holds for a report of one title: its print layout and, per result field in
// field order, the stored width and sum texts (nothing where a key is missing).
struct ReportSettings {
    PrintLayout layout;
    std::vector<StoredField> fields;
};

// A layout that cannot be printed (a row height, font size or column width out of its range) is
// refused with the message naming the title, the key and the value.
ReportSettings readReportSettings(const QueryCatalogue &catalogue, const QString &title,
                                  const std::vector<FieldDef> &fields);

// Lays out the report of a result with the fields given: one column per field in field order at
// the widths of the settings, a header row, a detail row, row numbers, sums and rules. The caption
// is the title with its date markers already replaced; parameters is the parameter summary.
ReportLayout layOutReport(const std::vector<FieldDef> &fields, const ReportSettings &settings, const QString &caption,
                          const QString &parameters);

// The width of a column: the stored integer, 20 when missing, empty or not a number.
int columnWidth(const StoredField &stored);
// Whether a column is summed: a stored "T"; when nothing is stored, every field but text fields
// and fields named KOD (in upper case).
bool isSummed(const FieldDef &field, const StoredField &stored);
// The display mask of a column in the detail band and in the summary: "##0.0000" for fields whose
// name begins with "KURS" as written; otherwise "### ### ##0.00" for floating-point fields, and
// in the summary for currency fields too; empty for the field's own text.
QString detailMask(const FieldDef &field);
QString summaryMask(const FieldDef &field);
