// The main window over a catalogue of 5,000 titles: start-up and scrolling the list page by page,
// against a bare list widget holding the same titles.
#include "app/QtUiServices.h"
#include "app/fKwerix.h"
#include "platform/RegionalSettings.h"
#include "platform/TextFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const int kTitles = 5000;

QStringList titles()
{
    QStringList list;
    for (int i = 0; i < kTitles; ++i)
        list.append(QStringLiteral("Zestawienie sprzedaży nr %1 (Łódź)").arg(i, 4, 10, QLatin1Char('0')));
    return list;
}

// Scrolls the list from top to bottom one page at a time, painting every page.
double scrollThrough(QListWidget *list)
{
    QElapsedTimer timer;
    timer.start();
    QScrollBar *bar = list->verticalScrollBar();
    for (int value = bar->minimum(); value <= bar->maximum(); value += std::max(1, bar->pageStep())) {
        bar->setValue(value);
        list->viewport()->repaint();
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegionalSettings::set(RegionalSettings::polish());
    QTemporaryDir temporary;
    const QDir dir(temporary.path());
    QStringList ini{QStringLiteral("[NAZWA_SQL]")};
    for (const QString &title : titles())
        ini.append(title + QLatin1Char('='));
    ini.append(QStringLiteral("[FILES]"));
    for (int i = 0; i < kTitles; ++i)
        ini.append(titles().at(i) + QStringLiteral("=sql%1.sql").arg(i));
    textfile::writeLines(dir.filePath("sqls.ini"), ini);

    QElapsedTimer timer;
    timer.start();
    QListWidget bare;
    bare.resize(220, 400);
    bare.addItems(titles());
    bare.show();
    QApplication::processEvents();
    const double bareStart = timer.nsecsElapsed() / 1e9;
    const double bareScroll = scrollThrough(&bare);

    QtUiServices ui;
    timer.restart();
    TfrmKwerix window(dir.filePath("sqls.ini"), ui);
    window.show();
    QApplication::processEvents();
    const double start = timer.nsecsElapsed() / 1e9;
    const double scroll = scrollThrough(window.controls().lbxSpisSQL);

    std::printf("%d titles: window start-up %.3f s (bare list %.3f s), scrolling every page %.3f s (bare list "
                "%.3f s), ratio %.2f\n",
                window.controls().lbxSpisSQL->count(), start, bareStart, scroll, bareScroll, scroll / bareScroll);
    return 0;
}
