#include "ReportPrinting.h"

#include "report/ReportDocument.h"

#include <QPrintDialog>
#include <QPrinter>

void printReportWithDialog(const ReportDocument &report, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report.pageLayout());
    printer.setDocName(report.title());
    printer.setCreator(QStringLiteral("Kwerix"));
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, report.pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // All pages, or the range chosen in the dialog.
    const int from = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0, to = printer.toPage() > 0 ? printer.toPage() - 1 : -1;
    // Printed to a file, the file is written as every other: whole, or not at all.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        report.writePdf(printer.outputFileName(), from, to);
    else
        report.print(printer, from, to);
}
