#pragma once

class QWidget;
class ReportDocument;
class UiServices;

// Qt's print preview of a report, with zoom, page navigation, printing and an action that saves the
// report as a PDF file; returns when it has been closed. Errors of saving go to ui's error box.
void showReportPreview(const ReportDocument &report, UiServices &ui, QWidget *parent);
// The print dialog, then the pages chosen printed; nothing when cancelled.
void printReportWithDialog(const ReportDocument &report, QWidget *parent);
