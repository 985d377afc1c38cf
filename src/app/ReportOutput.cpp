#include "ReportOutput.h"

#include "Printing.h"
#include "UiServices.h"
#include "platform/Errors.h"
#include "report/ReportDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kSaveFilters = QStringLiteral("Dokumenty PDF (*.pdf);;Obraz PNG bieżącej strony (*.png)");

bool isPng(const QString &path)
{
    return path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
}

} // namespace

ReportOutput::ReportOutput(std::unique_ptr<ReportDocument> report, QString title, const QString &catalogueFolder,
                           UiServices &ui)
    : m_report(std::move(report)), m_title(std::move(title)), m_settings(catalogueFolder), m_ui(ui)
{
}

ReportOutput::~ReportOutput() = default;

QString ReportOutput::fileName(const QString &extension) const
{
    QString name = m_report->title().trimmed();
    name.replace(QRegularExpression(QStringLiteral(R"([/\\:*?"<>|\x00-\x1f])")), QStringLiteral("_"));
    return (name.isEmpty() ? QStringLiteral("wydruk") : name) + extension;
}

QString ReportOutput::proposedPath(const QString &extension) const
{
    return QDir(m_settings.saveFolder()).filePath(fileName(extension));
}

bool ReportOutput::print(int currentPage)
{
    const PrintSettings remembered = m_settings.read(m_title);
    PrintChoice proposed;
    proposed.printer = remembered.printer;
    proposed.file = proposedPath(QStringLiteral(".pdf"));
    proposed.copies = remembered.copies;
    proposed.collate = remembered.collate;
    proposed.paper = m_report->layout().paper;
    proposed.orientation = m_report->layout().portrait ? QPageLayout::Portrait : QPageLayout::Landscape;
    const std::optional<PrintChoice> choice = m_ui.printDialog(
        {m_report->title(), m_report->pageCount(), currentPage >= 0 ? currentPage + 1 : 0}, proposed);
    if (!choice)
        return false;

    const bool relaid = choice->paper != proposed.paper || choice->orientation != proposed.orientation;
    auto printed = relaid ? std::make_unique<ReportDocument>(m_report->onPaper(choice->paper, choice->orientation))
                          : std::unique_ptr<ReportDocument>();
    const ReportDocument &report = relaid ? *printed : *m_report;
    // What does not print as laid out on the new paper is said before it prints.
    const QStringList warnings = report.warnings();
    if (relaid && !warnings.isEmpty() && warnings != m_report->warnings())
        m_ui.message(UiServices::Kind::Warning, warnings.join(QStringLiteral("\r\n")));

    int first = 0, last = report.pageCount() - 1;
    if (choice->range == PrintChoice::Range::CurrentPage && currentPage >= 0) {
        // The page that prints what the current page shows, on whatever paper.
        first = last = report.pageOfRecord(m_report->firstRecordOn(currentPage));
    } else if (choice->range == PrintChoice::Range::Pages) {
        const int from = std::max(1, choice->from);
        if (from > report.pageCount())
            throw Exception(QStringLiteral("\r\nWydruk ma %1 str.: nie ma w nim strony %2.").arg(report.pageCount()).arg(from));
        first = from - 1;
        last = std::clamp(choice->to, from, report.pageCount()) - 1;
    }
    printPages(*choice, report.pageLayout(), report.title(), printOrder(first, last, choice->copies, choice->collate),
               [&report](QPainter &painter, int page) { report.paintPage(painter, page); });

    remember([&] {
        m_settings.write(m_title, {choice->printer, choice->paper, choice->copies, choice->collate});
        if (choice->printer.isEmpty())
            m_settings.setSaveFolder(QFileInfo(choice->file).absolutePath());
    });
    if (relaid)
        m_report = std::move(printed);
    return true;
}

void ReportOutput::save(int currentPage)
{
    const std::optional<QString> path =
        m_ui.saveFileName(QStringLiteral("Zapisz wydruk jako PDF"), proposedPath(QStringLiteral(".pdf")), kSaveFilters);
    if (!path)
        return;
    if (isPng(*path))
        m_report->writePng(*path, currentPage);
    else
        m_report->writePdf(*path);
    remember([&] { m_settings.setSaveFolder(QFileInfo(*path).absolutePath()); });
}

void ReportOutput::remember(const std::function<void()> &write)
{
    try {
        write();
    } catch (const EIniFileException &) {
        // The report is out; a catalogue folder that cannot be written only forgets the choice.
    }
}
