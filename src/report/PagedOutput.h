#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

// Pages from first to last (counted from 0) in the order they are printed, each copies times: a
// whole set after another when collated, otherwise each page's copies together.
std::vector<int> printOrder(int first, int last, int copies, bool collate);

// Draws one page, given by its number, at the painter's origin (the top left of the printable area).
using PagePainter = std::function<void(QPainter &painter, int page)>;

// Paints the pages in order into the device, a new page before each but the first.
void paintPages(QPagedPaintDevice &device, const std::vector<int> &order, const PagePainter &paint);
// Writes the pages in order as a PDF file on the page layout, through a temporary file in the
// target's folder: the file is there whole or not at all.
void writePdfPages(const QString &path, const QString &title, const QPageLayout &layout, const std::vector<int> &order,
                   const PagePainter &paint);
