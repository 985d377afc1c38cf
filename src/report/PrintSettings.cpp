#include "PrintSettings.h"

#include <QDir>

namespace {

const QString kPrinter = QStringLiteral("DRUKARKA"), kPaper = QStringLiteral("PAPIER"),
              kCopies = QStringLiteral("KOPIE"), kCollate = QStringLiteral("SORTOWANIE"),
              kFolders = QStringLiteral("FOLDERY"), kSaved = QStringLiteral("Zapis");
// As many as a print dialog offers.
constexpr int kMostCopies = 999;

} // namespace

const QString PrintSettingsFile::kFileName = QStringLiteral("drukowanie.ini");

PrintSettingsFile::PrintSettingsFile(const QString &folder)
    : m_folder(folder), m_file(QDir(folder).filePath(kFileName))
{
}

PrintSettings PrintSettingsFile::read(const QString &title) const
{
    PrintSettings settings;
    if (title.isEmpty())
        return settings;
    settings.printer = m_file.readString(kPrinter, title, settings.printer);
    settings.paper = paperNamed(m_file.readString(kPaper, title, QPageSize::key(settings.paper)));
    settings.copies = std::clamp(m_file.readInteger(kCopies, title, settings.copies), 1, kMostCopies);
    settings.collate = m_file.readBool(kCollate, title, settings.collate);
    return settings;
}

void PrintSettingsFile::write(const QString &title, const PrintSettings &settings)
{
    if (title.isEmpty() || !IniFile::isFaithfulKey(title))
        return;
    IniFile::Batch batch(m_file);
    m_file.writeString(kPrinter, title, settings.printer);
    m_file.writeString(kPaper, title, QPageSize::key(settings.paper));
    m_file.writeInteger(kCopies, title, settings.copies);
    m_file.writeBool(kCollate, title, settings.collate);
    batch.commit();
}

QString PrintSettingsFile::saveFolder() const
{
    const QString last = m_file.readString(kFolders, kSaved, QString());
    return !last.isEmpty() && QDir(last).exists() ? last : m_folder;
}

void PrintSettingsFile::setSaveFolder(const QString &folder)
{
    if (folder != saveFolder())
        m_file.writeString(kFolders, kSaved, folder);
}

QPageSize::PageSizeId paperNamed(const QString &key)
{
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const auto paper = static_cast<QPageSize::PageSizeId>(id);
        if (paper != QPageSize::Custom && QPageSize::key(paper).compare(key, Qt::CaseInsensitive) == 0)
            return paper;
    }
    return QPageSize::A4;
}
