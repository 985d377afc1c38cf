#include "ChartTestSupport.h"

#include "chart/ChartFile.h"

#include <QPainter>

void ChartRowsTest::TearDown()
{
    query.close();
    FolderTest::TearDown();
}

void ChartRowsTest::openRows(const QString &columns, const QString &rows)
{
    query.close();
    database.execute(QStringLiteral("DROP TABLE IF EXISTS t"));
    database.execute(QStringLiteral("CREATE TEMP TABLE t (%1)").arg(columns));
    if (!rows.isEmpty())
        database.execute(QStringLiteral("INSERT INTO t VALUES %1").arg(rows));
    query.sql().assign({QStringLiteral("SELECT * FROM t")});
    query.open();
}

ChartData ChartRowsTest::chart(const QString &x, const QString &y, const QString &series, int maxCategories)
{
    return aggregateChart(query, x, y, series, maxCategories);
}

namespace charttest {

ChartData textChart(const QStringList &labels, const std::vector<std::vector<double>> &values)
{
    ChartData data;
    data.labels = labels;
    for (qsizetype i = 0; i < labels.size(); ++i)
        data.xs.push_back(static_cast<double>(i));
    data.valueName = QStringLiteral("Y");
    for (const std::vector<double> &v : values) {
        const QString key = QStringLiteral("S%1").arg(data.series.size() + 1);
        data.series.push_back({key, key, seriesColours()[data.series.size() % 16], v, {}});
    }
    return data;
}

QImage render(const ChartData &data, const ChartOptions &options, QSize size)
{
    ChartAxes axes;
    axes.fit(data, options);
    return chartImage(ChartView(data, options, axes), size);
}

Geometry::Geometry(const ChartData &data, const ChartOptions &options, QSize size)
{
    axes.fit(data, options);
    const ChartView view(data, options, axes);
    QImage image = chartImage(view, size);
    QPainter painter(&image);
    front = view.plotRect(painter, QRectF(QPointF(0, 0), size));
    axes = view.axesShown(painter, QRectF(QPointF(0, 0), size));
}

} // namespace charttest
