#include "QtUiServices.h"

#include "Guard.h"
#include "platform/Errors.h"
#include "ReportPreview.h"
#include "ReportPrinting.h"
#include "fParamDlg.h"
#include "gridtools/WaitCursor.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
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
    const QString path = QFileDialog::getSaveFileName(m_parent, caption, suggested, filter);
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

void QtUiServices::previewReport(const ReportDocument &report)
{
    ReportPreview preview(report, *this, m_parent);
    preview.exec();
}

void QtUiServices::printReport(const ReportDocument &report)
{
    printReportWithDialog(report, m_parent);
}

int QtUiServices::runDialog(QDialog &dialog)
{
    return dialog.exec();
}

void QtUiServices::runCommand(const std::function<void()> &command)
{
    guarded(*this, command);
}

void QtUiServices::printChart(const std::function<void(QPainter &, const QRectF &)> &paint)
{
    if (QPrinterInfo::defaultPrinter().isNull())
        throw Exception(QStringLiteral("\r\nNie ma drukarki, na której można wydrukować wykres."));
    const WaitCursor wait;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("Wykres"));
    QPainter painter;
    if (!painter.begin(&printer))
        throw Exception(QStringLiteral("\r\nNie można rozpocząć wydruku wykresu."));
    try {
        paint(painter, QRectF(0, 0, printer.width() - 1, printer.height() - 1));
    } catch (...) {
        printer.abort();
        painter.end();
        throw;
    }
    painter.end();
}
