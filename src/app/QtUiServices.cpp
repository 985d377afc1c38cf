#include "QtUiServices.h"

#include "Guard.h"
#include "ReportPreview.h"
#include "fParamDlg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

QString captionOf(UiServices::Kind kind)
{
    switch (kind) {
    case UiServices::Kind::Error: return QStringLiteral("Błąd");
    case UiServices::Kind::Warning: return QStringLiteral("Ostrzeżenie");
    case UiServices::Kind::Information: return QStringLiteral("Informacja");
    case UiServices::Kind::Confirmation: return QStringLiteral("Potwierdzenie");
    }
    return QString();
}

namespace {

QMessageBox::Icon iconOf(UiServices::Kind kind)
{
    switch (kind) {
    case UiServices::Kind::Error: return QMessageBox::Critical;
    case UiServices::Kind::Warning: return QMessageBox::Warning;
    case UiServices::Kind::Information: return QMessageBox::Information;
    case UiServices::Kind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// A message box with Polish buttons; true when "&Tak" (or OK) was pressed.
bool show(QWidget *parent, QMessageBox::Icon icon, const QString &caption, const QString &text, bool yesNo)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    if (yesNo) {
        QPushButton *yes = box.addButton(QStringLiteral("&Tak"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("&Nie"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
    return true;
}

// The extension of a file filter's first pattern: "pdf" for "Dokumenty PDF (*.pdf)".
QString extensionOf(const QString &filter)
{
    return QRegularExpression(QStringLiteral(R"(\*\.(\w+))")).match(filter).captured(1);
}

// The printer set up as proposed: the printer named, when it is there, otherwise the PDF file.
void propose(QPrinter &printer, const PrintRequest &request, const PrintChoice &proposed)
{
    printer.setDocName(request.document);
    printer.setCreator(QStringLiteral("Kwerix"));
    // The file is proposed even when a printer is: the dialog shows it when the file is chosen.
    printer.setOutputFileName(proposed.file);
    if (!proposed.printer.isEmpty() && !QPrinterInfo::printerInfo(proposed.printer).isNull())
        printer.setPrinterName(proposed.printer);
    printer.setPageSize(QPageSize(proposed.paper));
    printer.setPageOrientation(proposed.orientation);
    printer.setCopyCount(proposed.copies);
    printer.setCollateCopies(proposed.collate);
}

PrintChoice chosen(const QPrinter &printer, const PrintChoice &proposed)
{
    PrintChoice choice;
    const bool file = printer.outputFormat() == QPrinter::PdfFormat;
    choice.printer = file ? QString() : printer.printerName();
    choice.file = file ? printer.outputFileName() : QString();
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        choice.range = PrintChoice::Range::Pages;
        break;
    case QPrinter::CurrentPage:
        choice.range = PrintChoice::Range::CurrentPage;
        break;
    case QPrinter::AllPages:
    case QPrinter::Selection:
        break;
    }
    choice.from = printer.fromPage();
    choice.to = printer.toPage();
    choice.copies = printer.copyCount();
    choice.collate = printer.collateCopies();
    // A paper of the printer's own size has no name to lay a report out for: the one proposed stays.
    const QPageSize::PageSizeId paper = printer.pageLayout().pageSize().id();
    choice.paper = paper == QPageSize::Custom ? proposed.paper : paper;
    choice.orientation = printer.pageLayout().orientation();
    return choice;
}

} // namespace

void QtUiServices::message(Kind kind, const QString &text)
{
    show(m_parent, iconOf(kind), captionOf(kind), text, false);
}

bool QtUiServices::ask(Kind kind, const QString &text)
{
    return show(m_parent, iconOf(kind), captionOf(kind), text, true);
}

bool QtUiServices::question(const QString &caption, const QString &text)
{
    return show(m_parent, QMessageBox::Question, caption, text, true);
}

std::optional<QString> QtUiServices::input(const QString &caption, const QString &prompt, const QString &value)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Anuluj"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QDate> QtUiServices::date(const QString &description, const QDate &initial)
{
    TfrmParamDlg dialog(description, initial, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.date();
}

void QtUiServices::error(const QString &text)
{
    show(m_parent, QMessageBox::Critical, QApplication::applicationName(), text, false);
}

void QtUiServices::openWithDesktop(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::optional<QString> QtUiServices::saveFileName(const QString &caption, const QString &suggested, const QString &filter)
{
    QFileDialog dialog(m_parent, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets the one of the filter chosen.
    dialog.setDefaultSuffix(extensionOf(filter));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString &chosen) { dialog.setDefaultSuffix(extensionOf(chosen)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void QtUiServices::previewReport(ReportOutput &output)
{
    ReportPreview preview(output, *this, m_parent);
    preview.exec();
}

std::optional<PrintChoice> QtUiServices::printDialog(const PrintRequest &request, const PrintChoice &proposed)
{
    QPrinter printer(QPrinter::HighResolution);
    propose(printer, request, proposed);
    QPrintDialog dialog(&printer, m_parent);
    dialog.setMinMax(1, request.pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, request.currentPage > 0);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return chosen(printer, proposed);
}

int QtUiServices::runDialog(QDialog &dialog)
{
    return dialog.exec();
}

void QtUiServices::runCommand(const std::function<void()> &command)
{
    guarded(*this, command);
}
