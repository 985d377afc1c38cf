#include "ReportPrinting.h"

#include "Guard.h"
#include "report/ReportDocument.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QToolBar>

namespace {

void setUp(QPrinter &printer, const ReportDocument &report)
{
    printer.setPageLayout(report.pageLayout());
    printer.setDocName(report.title());
    printer.setCreator(QStringLiteral("Kwerix"));
}

// The pages the printer asks for: all of them, or the range chosen in its dialog.
void printInto(QPrinter &printer, const ReportDocument &report)
{
    const int from = printer.fromPage(), to = printer.toPage();
    report.print(printer, from > 0 ? from - 1 : 0, to > 0 ? to - 1 : -1);
}

QString askPdfName(const ReportDocument &report, QWidget *parent)
{
    QString name = report.title().trimmed();
    name.replace(QRegularExpression(QStringLiteral(R"([/\\:*?"<>|])")), QStringLiteral("_"));
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Zapisz wydruk jako PDF"),
                                        (name.isEmpty() ? QStringLiteral("wydruk") : name) + QStringLiteral(".pdf"),
                                        QStringLiteral("Dokumenty PDF (*.pdf)"));
}

} // namespace

void showReportPreview(const ReportDocument &report, UiServices &ui, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, report);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Podgląd wydruku: %1").arg(report.title()));
    if (const QScreen *screen = QApplication::primaryScreen())
        dialog.resize(screen->availableGeometry().size() * 0.85);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter *target) { printInto(*target, report); });
    if (auto *toolbar = dialog.findChild<QToolBar *>()) {
        QAction *savePdf = toolbar->addAction(dialog.style()->standardIcon(QStyle::SP_DialogSaveButton),
                                              QStringLiteral("Zapisz jako PDF"));
        savePdf->setToolTip(QStringLiteral("Zapisuje wydruk w pliku PDF"));
        QObject::connect(savePdf, &QAction::triggered, &dialog, [&] {
            guarded(ui, [&] {
                const QString path = askPdfName(report, &dialog);
                if (!path.isEmpty())
                    report.writePdf(path);
            });
        });
    }
    dialog.exec();
}

void printReportWithDialog(const ReportDocument &report, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, report);
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, report.pageCount());
    if (dialog.exec() == QDialog::Accepted)
        printInto(printer, report);
}
