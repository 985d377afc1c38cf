#pragma once

#include "chart/ChartView.h"
#include "db/Database.h"
#include "db/Query.h"
#include "support/TestSupport.h"

#include <QImage>

// A result over a temporary table of the engine, made from a table declaration and its rows.
class ChartRowsTest : public testsupport::FolderTest {
protected:
    void TearDown() override;
    // Creates the table "t" ("X VARCHAR(10), Y FLOAT") with the rows given ("('A', 2), ...") and
    // opens the query over it.
    void openRows(const QString &columns, const QString &rows);
    ChartData chart(const QString &x, const QString &y, const QString &series = QString(), int maxCategories = 10000);

    Database database;
    Query query{database};
};

namespace charttest {

// A chart made by hand: labels of text categories, and the values of each series.
ChartData textChart(const QStringList &labels, const std::vector<std::vector<double>> &values);
// The chart drawn with its automatic axes into an image of the size given.
QImage render(const ChartData &data, const ChartOptions &options, QSize size = QSize(800, 500));

// Where the renderer put things in an image drawn by render().
struct Geometry {
    Geometry(const ChartData &data, const ChartOptions &options, QSize size = QSize(800, 500));
    QRectF front;
    ChartAxes axes;
    double px(double x) const { return front.left() + (x - axes.xMin) / (axes.xMax - axes.xMin) * front.width(); }
    double py(double y) const { return front.bottom() - (y - axes.yMin) / (axes.yMax - axes.yMin) * front.height(); }
    double unit() const { return front.width() / (axes.xMax - axes.xMin); }
};

} // namespace charttest
