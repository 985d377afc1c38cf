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
    const int from = printer.fromPage(), to = printer.toPage();
    report.print(printer, from > 0 ? from - 1 : 0, to > 0 ? to - 1 : -1);
}
