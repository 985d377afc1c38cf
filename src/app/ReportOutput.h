#pragma once

#include "report/PrintSettings.h"

#include <QString>
#include <functional>
#include <memory>

class ReportDocument;
class UiServices;

// A report on its way to paper or a file, as the preview and the print command hand it on. The
// print dialog proposes what was last chosen for the title; the report is laid out again for the
// paper and orientation chosen, and the pages, copies and collation are printed as chosen; the
// choice is remembered for the title. Files are proposed under the title's name in the folder
// last saved in, or the catalogue's.
class ReportOutput {
public:
    // The title names the catalogue entry whose print settings are used.
    ReportOutput(std::unique_ptr<ReportDocument> report, QString title, const QString &catalogueFolder, UiServices &ui);
    ~ReportOutput();

    const ReportDocument &document() const { return *m_report; }
    // The print dialog, offering the current page (counted from 0; -1: none), then the printout;
    // false when cancelled. Printed on other paper or turned, the document becomes the printout's.
    bool print(int currentPage = -1);
    // The file dialog, then the report as a PDF file, or its current page as a PNG image.
    void save(int currentPage);
    // The name a file of the report is proposed under: the report's title with the letters that no
    // file name may hold replaced.
    QString fileName(const QString &extension) const;

private:
    QString proposedPath(const QString &extension) const;
    void remember(const std::function<void()> &write);

    std::unique_ptr<ReportDocument> m_report;
    QString m_title;
    PrintSettingsFile m_settings;
    UiServices &m_ui;
};
