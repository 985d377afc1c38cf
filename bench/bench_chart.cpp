// Charts: aggregating 1,000,000 rows (the daily sales of 50 shops over a year, about 55 rows per
// shop and day) into 50 series x 365 days (target well under a second;
// against the engine's own GROUP BY of the same rows), and a redraw after a zoom step at
// 1280 x 800 for each shape and form (target under 50 ms; against filling one rectangle per
// point). The largest chart drawn (500 series x 9,999 days of values that jump about) for each
// shape and form, and a chart of 300 customers over 9,990 days, one row each, written to SVG, PDF
// and PNG (it once took 2 GB of memory and gave 525 MB of SVG): time and file size.
#include "BenchTiming.h"
#include "chart/ChartFile.h"
#include "db/Database.h"
#include "db/Query.h"
#include "platform/RegionalSettings.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using bench::best;
using bench::seconds;

namespace {

const struct Look {
    const char *name;
    ChartOptions::Shape shape;
    bool threeD;
    ChartOptions::Arrangement arrangement;
} kLooks[] = {
    {"bars 3D side by side", ChartOptions::Shape::Bars, true, ChartOptions::Arrangement::SideBySide},
    {"bars flat stacked", ChartOptions::Shape::Bars, false, ChartOptions::Arrangement::Stacked},
    {"bars 3D stacked 100%", ChartOptions::Shape::Bars, true, ChartOptions::Arrangement::Stacked100},
    {"lines flat", ChartOptions::Shape::Lines, false, ChartOptions::Arrangement::SideBySide},
    {"lines 3D", ChartOptions::Shape::Lines, true, ChartOptions::Arrangement::SideBySide},
};

ChartOptions optionsOf(const Look &look)
{
    ChartOptions options;
    options.shape = look.shape;
    options.threeD = look.threeD;
    options.arrangement = look.arrangement;
    return options;
}

// A chart of the days from 1998 on, each series' values from a function of the series and the day.
ChartData days(int series, int count, double (*value)(int, int))
{
    ChartData data;
    data.xKind = ChartData::XKind::Date;
    data.valueName = QStringLiteral("KWOTA");
    for (int day = 0; day < count; ++day) {
        data.xs.push_back(QDate(1998, 1, 1).toJulianDay() + day);
        data.labels.append(QDate(1998, 1, 1).addDays(day).toString(QStringLiteral("dd.MM.yyyy")));
    }
    for (int s = 0; s < series; ++s) {
        ChartSeries one{QStringLiteral("k%1").arg(s), QStringLiteral("Klient nr %1").arg(s),
                        seriesColours()[static_cast<size_t>(s) % seriesColours().size()], {}, {}};
        for (int day = 0; day < count; ++day)
            one.values.push_back(value(s, day));
        data.series.push_back(std::move(one));
    }
    return data;
}

} // namespace

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
    for (const Look &look : kLooks) {
        const ChartOptions options = optionsOf(look);
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

    const ChartData largest = days(kMaxSeries, 9999, [](int s, int day) { return double((day * 7919 + s * 104729) % 1000); });
    for (const Look &look : kLooks) {
        ChartAxes axes;
        axes.fit(largest, optionsOf(look));
        const ChartView view(largest, optionsOf(look), axes);
        std::printf("the largest chart, %d series x %zu days, %s: %.1f ms\n", kMaxSeries, largest.xs.size(), look.name,
                    best(3, [&] { chartImage(view, size); }) * 1000);
    }

    // One row a customer, on days spread over the years: a level line at zero with one spike each.
    const ChartData customers = days(300, 9990, [](int s, int day) { return day == s * 9989 / 299 ? (s * 7919 % 1000) + 0.5 : 0; });
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("wykres"));
    for (const auto &[format, name] : {std::pair{ChartFormat::Svg, "SVG"}, {ChartFormat::Pdf, "PDF"}, {ChartFormat::Png, "PNG"}}) {
        ChartOptions options;
        options.shape = ChartOptions::Shape::Lines;
        const double written = seconds([&] { writeChartFile(customers, options, file, format, size); });
        std::printf("300 customers over 9,990 days, lines 3D to %s: %.2f s, %lld bytes\n", name, written,
                    static_cast<long long>(QFileInfo(file).size()));
    }
    return 0;
}
