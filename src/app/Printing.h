#pragma once

#include "report/PagedOutput.h"

#include <QPageLayout>
#include <QString>

// What the print dialog is asked about.
struct PrintRequest {
    QString document; // names the job in the printer's queue
    int pageCount = 1;
    int currentPage = 0; // counted from 1; 0: no current page to offer
};

// What the print dialog settles.
struct PrintChoice {
    enum class Range { All, Pages, CurrentPage };
    QString printer; // the printer's name; empty: into the PDF file
    QString file;    // the PDF file
    Range range = Range::All;
    int from = 1, to = 1; // the pages of a range, counted from 1
    int copies = 1;
    bool collate = true;
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// Prints the pages in order on the printer chosen, or into the PDF file chosen. Copies are
// printed as the order lists them, one job copy each, so that every printer and the PDF file
// print them alike. Errors of the printer raise Exception with a Polish text.
void printPages(const PrintChoice &choice, const QPageLayout &layout, const QString &document,
                const std::vector<int> &order, const PagePainter &paint);
