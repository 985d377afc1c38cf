#include "Printing.h"

#include "gridtools/WaitCursor.h"
#include "platform/Errors.h"

#include <QPainter>
#include <QPrinter>

namespace {

void printOnPrinter(const PrintChoice &choice, const QPageLayout &layout, const QString &document,
                    const std::vector<int> &order, const PagePainter &paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(choice.printer);
    printer.setPageLayout(layout);
    printer.setDocName(document);
    printer.setCreator(QStringLiteral("Kwerix"));
    printer.setCopyCount(1);
    QPainter painter;
    if (!printer.isValid() || !painter.begin(&printer))
        throw Exception(QStringLiteral("\r\nNie można rozpocząć wydruku na drukarce %1.").arg(choice.printer));
    try {
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && !printer.newPage())
                throw Exception(QStringLiteral("\r\nDrukarka %1 przerwała wydruk.").arg(choice.printer));
            paint(painter, order[i]);
        }
    } catch (...) {
        printer.abort();
        painter.end();
        throw;
    }
    painter.end();
}

} // namespace

void printPages(const PrintChoice &choice, const QPageLayout &layout, const QString &document,
                const std::vector<int> &order, const PagePainter &paint)
{
    const WaitCursor wait;
    if (choice.printer.isEmpty())
        writePdfPages(choice.file, document, layout, order, paint);
    else
        printOnPrinter(choice, layout, document, order, paint);
}
