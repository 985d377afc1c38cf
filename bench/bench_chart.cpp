// Charts: aggregating 1,000,000 rows (the daily sales of 50 shops over a year, about 55 rows per
// shop and day) into 50 series x 365 days (target well under a second;
// against the engine's own GROUP BY of the same rows), and a redraw after a zoom step at
// 1280 x 800 for each shape and form (target under 50 ms; against filling one rectangle per
// point).
#include "BenchTiming.h"
#include "chart/ChartFile.h"
#include "db/Database.h"
#include "db/Query.h"
#include "platform/RegionalSettings.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>
#include <functional>

using bench::best;
using bench::seconds;

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    RegionalSettings::set(RegionalSettings::polish());
    Database database;
    database.execute("CREATE TEMP TABLE sprzedaz (DZIEN DATE, SKLEP VARCHAR(20), KWOTA FLOAT)");
    database.execute("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999) "
                     "INSERT INTO sprzedaz SELECT date('2024-01-01', '+' || (i % 365) || ' days'), "
                     "'Sklep nr ' || (i / 365 % 50), (i * 7919 % 10000) / 100.0 FROM n");
    Query query(database);
    query.sql().assign({"SELECT * FROM sprzedaz"});
    query.open();

    ChartData data;
    const double aggregate = seconds([&] { data = aggregateChart(query, "DZIEN", "KWOTA", "SKLEP"); });
    Query grouped(database);
    grouped.sql().assign({"SELECT SKLEP, DZIEN, SUM(KWOTA) FROM sprzedaz GROUP BY SKLEP, DZIEN"});
    const double groupBy = seconds([&] { grouped.open(); });
    std::printf("%d rows into %zu series x %zu days: %.3f s (target < 1 s); the engine's GROUP BY %.3f s; ratio %.2f\n",
                query.recordCount(), data.series.size(), data.xs.size(), aggregate, groupBy, aggregate / groupBy);

    const QSize size(1280, 800);
    QImage image(size, QImage::Format_RGB32);
    const double baseline = best(5, [&] {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        for (size_t s = 0; s < data.series.size(); ++s) {
            for (size_t c = 0; c < data.xs.size(); ++c)
                painter.fillRect(QRectF(c * 3.3, s * 15.0, 3, data.series[s].values[c] / 1000), data.series[s].colour);
        }
    });
    const struct {
        const char *name;
        ChartOptions::Shape shape;
        bool threeD;
        ChartOptions::Arrangement arrangement;
    } looks[] = {
        {"bars 3D side by side", ChartOptions::Shape::Bars, true, ChartOptions::Arrangement::SideBySide},
        {"bars flat stacked", ChartOptions::Shape::Bars, false, ChartOptions::Arrangement::Stacked},
        {"bars 3D stacked 100%", ChartOptions::Shape::Bars, true, ChartOptions::Arrangement::Stacked100},
        {"lines flat", ChartOptions::Shape::Lines, false, ChartOptions::Arrangement::SideBySide},
        {"lines 3D", ChartOptions::Shape::Lines, true, ChartOptions::Arrangement::SideBySide},
    };
    std::printf("one rectangle per point: %.1f ms\n", baseline * 1000);
    {
        ChartData frameOnly = data;
        frameOnly.series.clear();
        ChartAxes axes;
        axes.fit(frameOnly, ChartOptions());
        axes.zoom(110);
        const ChartView view(frameOnly, ChartOptions(), axes);
        std::printf("walls, axes and labels alone: %.1f ms\n", best(3, [&] { chartImage(view, size); }) * 1000);
    }
    for (const auto &look : looks) {
        ChartOptions options;
        options.shape = look.shape;
        options.threeD = look.threeD;
        options.arrangement = look.arrangement;
        ChartAxes axes;
        axes.fit(data, options);
        axes.zoom(110);
        const ChartView view(data, options, axes);
        const double redraw = best(3, [&] { chartImage(view, size); });
        if (!qEnvironmentVariableIsEmpty("KWERIX_BENCH_PICTURES"))
            chartImage(view, size).save(qEnvironmentVariable("KWERIX_BENCH_PICTURES") + "/" + look.name + ".png");
        std::printf("redraw after a zoom step, %s: %.1f ms (target < 50 ms); ratio to the rectangles %.2f\n", look.name,
                    redraw * 1000, redraw / baseline);
    }
    return 0;
}
