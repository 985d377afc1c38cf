#pragma once

#include "ReportLayout.h"
#include "ReportText.h"
#include "platform/Decimal.h"

#include <QDateTime>
#include <QPageLayout>
#include <QStringList>
#include <vector>

class DataSet;
class QImage;
class QPagedPaintDevice;
class QPainter;

// A cell of the report whose text holds what was looked for: a data field of a record, or a sum
// (record -1) on the last page.
struct ReportMatch {
    int page = 0;
    int record = -1;
    int control = 0; // index in its band's controls
    bool operator==(const ReportMatch &o) const
    {
        return page == o.page && record == o.record && control == o.control;
    }
};

// The band engine: a laid-out report over a data set, paginated and painted page by page into any
// paged device (the preview, a printer, a PDF file) with millimetre geometry at the device's own
// resolution. The page header and the column header open every page, the detail band follows
// once per record in the data set's order (its filter honoured), and the summary follows the last
// record. No row is split across pages and the summary is never lost: when it does not fit under
// the last row, it gets a page of its own. Nothing is painted outside the printable area; a
// number, date or row number is never cut (see ReportControl::whole).
class ReportDocument {
public:
    ReportDocument(ReportLayout layout, const DataSet &data, QDateTime printedAt);

    const ReportLayout &layout() const { return m_layout; }
    // The same report laid out again on another paper or turned the other way, with the same
    // millimetre geometry and margins.
    ReportDocument onPaper(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation) const;
    // The caption of the title, which also names the document for a printer's queue.
    QString title() const;
    QPageLayout pageLayout() const;
    int pageCount() const { return m_pages; }
    int rowsPerPage() const { return m_rowsPerPage; }
    // The page (from 0) that prints a record (from 0; the record count for the summary), and the
    // first record a page prints (the record count on a page that holds the summary alone).
    int pageOfRecord(int record) const;
    int firstRecordOn(int page) const;
    // The names of the columns that do not lie wholly within the printable width.
    QStringList columnsOutsidePage() const;
    // The names of the columns ("Lp." for the row numbers) with values printed smaller than the
    // band's font, and with values printed as "#" because they fit at no readable size.
    QStringList shrunkColumns() const { return m_shrunk; }
    QStringList hiddenColumns() const { return m_hidden; }
    // What the user is told before the report is shown or printed, a line each; empty when the
    // report prints as laid out.
    QStringList warnings() const;

    // The cells whose printed text holds the text, letter case aside, page by page and row by row;
    // none for an empty text.
    std::vector<ReportMatch> find(const QString &text) const;
    // Where a match lies on its page, in millimetres from the top left of the printable area.
    QRectF matchRect(const ReportMatch &match) const;

    // Paints one page, counted from 0, at the painter's origin (the top left of the printable
    // area).
    void paintPage(QPainter &painter, int page) const;
    // Paints every page (or those from first to last) into the device, a new page before each but
    // the first. The device must have this document's page layout.
    void print(QPagedPaintDevice &device, int first = 0, int last = -1) const;
    // Writes the report (or its pages from first to last) as a PDF file, through a temporary file
    // in the target's folder.
    void writePdf(const QString &path, int first = 0, int last = -1) const;
    // One page (counted from 0) painted white with its margins, at so many pixels a millimetre.
    QImage pageImage(int page, double pixelsPerMm) const;
    // Writes one page (counted from 0) as a PNG image at the resolution given, the same way.
    void writePng(const QString &path, int page, int dotsPerInch = 300) const;

private:
    struct Pixels;
    void paintBand(QPainter &painter, const Pixels &px, const ReportBand &band, double top, int page,
                   qsizetype row, int record) const;
    void paintControl(QPainter &painter, const Pixels &px, const ReportBand &band, const ReportControl &control,
                      double top, int page, qsizetype row, int record) const;
    void paintPageHeader(QPainter &painter, const Pixels &px, int page) const;
    // The title and the parameter summary: wrapped into lines when their controls wrap.
    QStringList headerLines(const ReportControl &control, int maxLines) const;
    static double lineHeight(const ReportControl &control);
    void paintHeaderLines(QPainter &painter, const Pixels &px, const ReportControl &control, const QStringList &lines,
                          double top) const;
    QString textOf(const ReportControl &control, int page, qsizetype row, int record) const;
    QString sumText(const ReportControl &control) const;
    QString columnName(const ReportControl &control) const;
    // The width a control has for its text: up to its end or the page's edge.
    double roomOf(const ReportControl &control) const;
    double rowTop(int page, int record) const;
    // The pages from first to last, the last page of the report for a last of -1.
    std::vector<int> pages(int first, int last) const;
    void paginate();
    void computeSums();
    void checkFits();

    ReportLayout m_layout;
    const DataSet &m_data;
    QDateTime m_printedAt;
    std::vector<numbers::DecimalSum> m_sums; // per field; summed fields only
    mutable reporttext::Fitter m_fitter;
    QStringList m_shrunk, m_hidden;
    QStringList m_titleLines, m_parameterLines;
    double m_pageHeaderHeight = 0;
    double m_parameterTop = 0;
    int m_rowsPerPage = 1;
    int m_pages = 1;
    bool m_summaryAlone = false; // the summary has the last page to itself
};
