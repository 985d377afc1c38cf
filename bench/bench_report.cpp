// A 10,000-row, 6-column report (text, integer, float, currency, date; sums; row numbers)
// paginated and written to PDF, against LibreOffice converting the same rows given as a CSV file
// (soffice --headless --convert-to pdf). Also how long a 100,000-row report takes to lay out and
// to paint its first page, which is what a preview waits for before it shows; the preview of
// continuous pages opening it, going to its last page and scrolling through it by screens,
// against painting the same pages alone at the same scale (a preview of one page at a time);
// find over its cells.
#include "BenchTiming.h"
#include "app/QtUiServices.h"
#include "app/ReportOutput.h"
#include "app/ReportPreview.h"
#include "db/Database.h"
#include "db/Query.h"
#include "platform/RegionalSettings.h"
#include "report/ReportDocument.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QApplication>
#include <QScrollBar>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

using bench::seconds;

namespace {

void openRows(Database &database, Query &result, int rows)
{
    database.execute(QStringLiteral("DROP TABLE IF EXISTS temp.wiersze"));
    database.execute(QStringLiteral("CREATE TEMP TABLE wiersze (NAZWA VARCHAR(30), ILOSC INTEGER, CENA FLOAT, "
                                    "WARTOSC MONEY, DATA DATE, UWAGI VARCHAR(20))"));
    database.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                    "INSERT INTO wiersze SELECT 'Kontrahent numer ' || i, i % 97, i * 1.25, i * 0.5, "
                                    "date('2024-01-01', '+' || (i % 365) || ' days'), 'Łódź' FROM n")
                         .arg(rows));
    result.close();
    result.sql().assign({QStringLiteral("SELECT * FROM wiersze")});
    result.open();
}

ReportDocument document(Query &result)
{
    ReportSettings settings;
    settings.layout.rowNumbers = true;
    settings.fields.resize(static_cast<size_t>(result.fieldCount()));
    settings.fields[0].width = QStringLiteral("60");
    return ReportDocument(layOutReport(result.fieldDefs(), settings, QStringLiteral("Zestawienie sprzedaży"),
                                       QStringLiteral("  Od=01.01.2024")),
                          result, QDateTime::currentDateTime());
}

void writeCsv(Query &result, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    for (int record = 0; record < result.recordCount(); ++record) {
        QStringList cells;
        for (int f = 0; f < result.fieldCount(); ++f)
            cells.append(result.field(f)->asStringAt(result.rowOf(record)));
        file.write(cells.join(QLatin1Char(';')).toUtf8() + "\n");
    }
}

// One page at a time in a view.
class OnePage : public QWidget {
public:
    OnePage(const ReportDocument &report, double perMm) : m_report(report), m_perMm(perMm) {}
    void turnTo(int page) { m_image = m_report.pageImage(page, m_perMm); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::gray);
        painter.drawImage(16, 16, m_image);
    }

private:
    const ReportDocument &m_report;
    double m_perMm;
    QImage m_image;
};

void repaint(ReportPreview &preview)
{
    QApplication::processEvents();
    preview.pages().viewport()->repaint();
}

// The preview of continuous pages against the pages it shows painted alone.
void benchPreview(Query &result, const QString &folder)
{
    QtUiServices ui;
    QElapsedTimer t;
    t.start();
    ReportOutput output(std::make_unique<ReportDocument>(document(result)), QStringLiteral("Zestawienie"), folder, ui);
    ReportPreview preview(output, ui);
    preview.resize(1200, 900);
    preview.show();
    repaint(preview);
    const int last = output.document().pageCount() - 1;
    preview.showPage(last);
    repaint(preview);
    const double opened = seconds(t);
    const double perMm = preview.pages().zoom() * preview.logicalDpiX() / 25.4;
    t.restart();
    {
        const ReportDocument alone = document(result);
        alone.pageImage(0, perMm);
        alone.pageImage(last, perMm);
    }
    const double pagesAlone = seconds(t);
    std::printf("preview of 100,000 rows opened and at its last page: %.3f s; laid out and those pages painted "
                "alone: %.3f s; ratio %.2f (target: at most 1.2)\n",
                opened, pagesAlone, opened / pagesAlone);

    preview.showPage(0);
    const QScrollBar &bar = *preview.pages().verticalScrollBar();
    t.restart();
    while (bar.value() < bar.maximum()) {
        preview.pages().scrollScreen(1);
        repaint(preview);
    }
    const double scrolled = seconds(t);
    const int painted = preview.pages().pagesPainted();
    // A preview of one page at a time, turned page by page: each page painted and shown in a view
    // as large as the preview's pages.
    OnePage alone(output.document(), perMm);
    alone.resize(preview.pages().viewport()->size());
    alone.show();
    t.restart();
    for (int page = 0; page <= last; ++page) {
        alone.turnTo(page);
        QApplication::processEvents();
        alone.repaint();
    }
    const double pageByPage = seconds(t);
    std::printf("scrolled by screens from the first to the last of %d pages (%d pages painted): %.2f s; turned "
                "page by page, one at a time: %.2f s; ratio %.2f (target: at most 1.2)\n",
                last + 1, painted, scrolled, pageByPage, scrolled / pageByPage);

    for (const QString &text : {QStringLiteral("Kontrahent"), QStringLiteral("nigdzie"), QStringLiteral("Łódź")}) {
        t.restart();
        preview.findNext(text);
        std::printf("find \"%s\" over 600,000 cells: %d matches in %.3f s\n", text.toUtf8().constData(),
                    preview.matchCount(), seconds(t));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegionalSettings::set(RegionalSettings::polish());
    QTemporaryDir dir;
    Database database;
    Query result(database);

    openRows(database, result, 10000);
    QElapsedTimer t;
    t.start();
    const ReportDocument report = document(result);
    report.writePdf(dir.filePath(QStringLiteral("raport.pdf")));
    const double ours = seconds(t);
    std::printf("report of 10,000 rows, %d pages, to PDF: %.3f s (%lld bytes)\n", report.pageCount(), ours,
                static_cast<long long>(QFile(dir.filePath(QStringLiteral("raport.pdf"))).size()));

    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        std::printf("LibreOffice (soffice) is not installed: the comparison is skipped\n");
    } else {
        writeCsv(result, dir.filePath(QStringLiteral("wiersze.csv")));
        QProcess office;
        office.setWorkingDirectory(dir.path());
        t.restart();
        office.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profil")),
                               QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                               QStringLiteral("--outdir"), dir.path(), dir.filePath(QStringLiteral("wiersze.csv"))});
        office.waitForFinished(-1);
        const double peer = seconds(t);
        std::printf("LibreOffice, the same rows from CSV to PDF: %.3f s\n", peer);
        std::printf("ratio LibreOffice / Kwerix: %.1fx (target: at least 3x)\n", peer / ours);
    }

    openRows(database, result, 100000);
    t.restart();
    const ReportDocument large = document(result);
    const double layout = seconds(t);
    QImage page(2480, 1754, QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(300 / 0.0254));
    page.setDotsPerMeterY(page.dotsPerMeterX());
    page.fill(Qt::white);
    t.restart();
    {
        QPainter painter(&page);
        large.paintPage(painter, 0);
    }
    const double firstPage = seconds(t);
    // A print preview records every page before it shows the first one.
    t.restart();
    for (int p = 0; p < large.pageCount(); ++p) {
        QPicture picture;
        QPainter painter(&picture);
        large.paintPage(painter, p);
    }
    const double recorded = seconds(t);
    t.restart();
    large.writePdf(dir.filePath(QStringLiteral("duzy.pdf")));
    const double all = seconds(t);
    std::printf("report of 100,000 rows, %d pages: laid out in %.3f s, first page painted in %.4f s, "
                "all pages recorded in %.2f s, all pages to PDF in %.2f s\n",
                large.pageCount(), layout, firstPage, recorded, all);
    benchPreview(result, dir.path());
    return 0;
}
