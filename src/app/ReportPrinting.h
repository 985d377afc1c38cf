#pragma once

class QWidget;
class ReportDocument;

// The print dialog, then the pages chosen printed; nothing when cancelled.
void printReportWithDialog(const ReportDocument &report, QWidget *parent);
