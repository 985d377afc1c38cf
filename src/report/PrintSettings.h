#pragma once

#include "platform/IniFile.h"

#include <QPageSize>
#include <QString>

// What was last chosen in the print dialog for a title's report.
struct PrintSettings {
    QString printer; // empty: printed into a PDF file
    QPageSize::PageSizeId paper = QPageSize::A4;
    int copies = 1;
    bool collate = true;
};

// The print settings of every title and the folder where a report was last saved, in a file of
// their own in the catalogue's folder: sqls.ini is read by other programs too, which know nothing
// of these keys. A title with nothing stored reads as the defaults (A4, one copy).
class PrintSettingsFile {
public:
    static const QString kFileName;

    explicit PrintSettingsFile(const QString &folder);

    PrintSettings read(const QString &title) const;
    // EIniFileException when the file cannot be written.
    void write(const QString &title, const PrintSettings &settings);
    // The folder a report is saved in first: the last one used while it is there, otherwise the
    // catalogue's.
    QString saveFolder() const;
    void setSaveFolder(const QString &folder);

private:
    QString m_folder;
    IniFile m_file;
};

// The paper named by its key in page setups ("A4", "Letter"); A4 for a name of no paper.
QPageSize::PageSizeId paperNamed(const QString &key);
