// The renderer: axes and ticks, and the pixels of each shape, form and arrangement where a fault
// would show; the chart files.
#include "ChartTestSupport.h"

#include "chart/ChartFile.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

using namespace charttest;

bool near(QColor a, QColor b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

QColor at(const QImage &image, double x, double y)
{
    return image.pixelColor(qRound(x), qRound(y));
}

// Whether a colour is a shade of pure red: the red of the series or a lighter or darker one.
bool reddish(QColor c)
{
    return c.red() > 150 && c.green() < c.red() - 60 && c.blue() < c.red() - 60;
}

ChartOptions options(ChartOptions::Shape shape, bool threeD,
                     ChartOptions::Arrangement arrangement = ChartOptions::Arrangement::SideBySide)
{
    ChartOptions o;
    o.shape = shape;
    o.threeD = threeD;
    o.arrangement = arrangement;
    return o;
}

// The number of pixels of a colour in a column of the image, going down from a row.
int runDown(const QImage &image, int x, int fromY, const std::function<bool(QColor)> &is)
{
    int y = fromY;
    while (y < image.height() && !is(image.pixelColor(x, y)))
        ++y;
    int length = 0;
    while (y + length < image.height() && is(image.pixelColor(x, y + length)))
        ++length;
    return length;
}

// A chart of many categories, each series' values given by a function of the series and the
// category.
ChartData manyPoints(int series, int categories, const std::function<double(int, int)> &value)
{
    QStringList labels;
    for (int c = 0; c < categories; ++c)
        labels.append(QString::number(c));
    std::vector<std::vector<double>> values(static_cast<size_t>(series), std::vector<double>(static_cast<size_t>(categories)));
    for (int s = 0; s < series; ++s) {
        for (int c = 0; c < categories; ++c)
            values[static_cast<size_t>(s)][static_cast<size_t>(c)] = value(s, c);
    }
    return textChart(labels, values);
}

// Values that jump about, as daily sales do.
double noise(int s, int c)
{
    return (c * 7919 + s * 104729) % 1000;
}

ChartOptions looks(int look)
{
    const ChartOptions table[] = {
        options(ChartOptions::Shape::Bars, true),
        options(ChartOptions::Shape::Bars, false, ChartOptions::Arrangement::Stacked),
        options(ChartOptions::Shape::Bars, true, ChartOptions::Arrangement::Stacked100),
        options(ChartOptions::Shape::Lines, false),
        options(ChartOptions::Shape::Lines, true),
    };
    return table[look];
}
constexpr int kLooks = 5;

// The numbers of points of the polylines an SVG strokes in a colour.
std::vector<int> polylinesIn(const QByteArray &svg, const QColor &colour)
{
    std::vector<int> points;
    const QRegularExpression group(QStringLiteral("<g [^>]*stroke=\"%1\"[^>]*>(.*?)</g>").arg(colour.name()),
                                   QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression polyline(QStringLiteral("<polyline [^>]*points=\"([^\"]*)\""));
    for (auto g = group.globalMatch(QString::fromUtf8(svg)); g.hasNext();) {
        const QString inside = g.next().captured(1);
        for (auto p = polyline.globalMatch(inside); p.hasNext();)
            points.push_back(static_cast<int>(p.next().captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts).size()));
    }
    return points;
}

TEST(ChartTicks, AreRoundAndCoverTheRange)
{
    const struct {
        double min, max;
        int count;
        std::vector<double> ticks;
    } cases[] = {
        {0, 10, 5, {0, 2, 4, 6, 8, 10}},
        {0, 423000, 8, {0, 100000, 200000, 300000, 400000}},
        {-3, 7, 5, {-2, 0, 2, 4, 6}},
        {0.1, 0.35, 5, {0.1, 0.15, 0.2, 0.25, 0.3, 0.35}},
        {99.5, 100.5, 4, {99.5, 100, 100.5}},
        {5, 5, 8, {}},
    };
    for (const auto &c : cases) {
        const std::vector<double> ticks = ChartView::ticks(c.min, c.max, c.count);
        ASSERT_EQ(ticks.size(), c.ticks.size()) << c.min << ".." << c.max;
        for (size_t i = 0; i < ticks.size(); ++i)
            EXPECT_NEAR(ticks[i], c.ticks[i], 1e-9) << c.min << ".." << c.max;
    }
}

TEST(ChartTicks, EndForRangesBeyondTheDoublesPrecision)
{
    // A step lost in the rounding of its tick, a range without a finite span, one too small for a
    // step: at most count + 2 ticks, and none where there is no scale.
    const struct {
        double min, max;
        size_t most;
    } cases[] = {
        {1e17, 1e17 + 32, 10}, {-1e300, 1e300, 10}, {0, std::numeric_limits<double>::infinity(), 0},
        {-std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), 0}, {0, 1e-320, 10},
        {0, std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto &c : cases)
        EXPECT_LE(ChartView::ticks(c.min, c.max, 8).size(), c.most) << c.min << ".." << c.max;
}

TEST(ChartAxesRanges, FitZoomAndShift)
{
    const ChartData data = textChart({"a", "b", "c"}, {{10, -5, 30}, {20, 5, 10}});
    ChartAxes axes;
    axes.fit(data, options(ChartOptions::Shape::Bars, false));
    EXPECT_DOUBLE_EQ(axes.xMin, -0.5);
    EXPECT_DOUBLE_EQ(axes.xMax, 2.5);
    EXPECT_DOUBLE_EQ(axes.yMin, -5 - 1.75); // 5 % of the values' span of room
    EXPECT_DOUBLE_EQ(axes.yMax, 30 + 1.75);
    EXPECT_TRUE(axes.automatic);

    axes.fit(data, options(ChartOptions::Shape::Bars, false, ChartOptions::Arrangement::Stacked));
    EXPECT_DOUBLE_EQ(axes.yMax, 40 + 2.25); // the tallest stack
    axes.fit(data, options(ChartOptions::Shape::Bars, false, ChartOptions::Arrangement::Stacked100));
    EXPECT_NEAR(axes.yMax, 100 + (100 + 50) * 0.05, 1e-9);
    EXPECT_DOUBLE_EQ(axes.yMin, -50 - 7.5);

    axes = ChartAxes{0, 10, 0, 100, true};
    axes.zoom(110);
    EXPECT_NEAR(axes.xMax - axes.xMin, 10 / 1.1, 1e-9);
    EXPECT_NEAR((axes.xMin + axes.xMax) / 2, 5, 1e-9);
    EXPECT_NEAR(axes.yMax - axes.yMin, 100 / 1.1, 1e-9);
    EXPECT_FALSE(axes.automatic);
    axes = ChartAxes{0, 10, 0, 100, true};
    axes.zoom(90);
    EXPECT_NEAR(axes.xMax - axes.xMin, 10 / 0.9, 1e-9);
    axes = ChartAxes{0, 10, 0, 100, true};
    axes.shift(ChartAxes::Axis::Bottom, 10);
    axes.shift(ChartAxes::Axis::Left, -10);
    EXPECT_DOUBLE_EQ(axes.xMin, 1);
    EXPECT_DOUBLE_EQ(axes.xMax, 11);
    EXPECT_DOUBLE_EQ(axes.yMin, -10);
    EXPECT_DOUBLE_EQ(axes.yMax, 90);
    EXPECT_FALSE(axes.automatic);
}

TEST(ChartPixels, BarsIn3DHaveSideAndTopFacesAndFlatBarsNone)
{
    const ChartData data = textChart({"a"}, {{10}});
    for (const bool threeD : {true, false}) {
        const ChartOptions o = options(ChartOptions::Shape::Bars, threeD);
        const QImage image = render(data, o);
        const Geometry g(data, o);
        const double left = g.px(0) - g.unit() * 0.35, right = g.px(0) + g.unit() * 0.35, top = g.py(10);
        EXPECT_TRUE(near(at(image, g.px(0), (top + g.front.bottom()) / 2), Qt::red));
        // Just right of the front face, halfway up; just above its top, halfway across.
        const QColor side = at(image, right + 4, (top + g.front.bottom()) / 2);
        const QColor above = at(image, (left + right) / 2 + 4, top - 3);
        EXPECT_EQ(reddish(side), threeD) << side.name().toStdString();
        EXPECT_EQ(reddish(above), threeD) << above.name().toStdString();
        if (threeD) {
            EXPECT_GT(above.green(), 20) << "the top face is lighter than the front";
        }
    }
}

TEST(ChartPixels, StacksReachTheirTotals)
{
    const ChartData data = textChart({"a", "b"}, {{2, 4}, {3, 1}});
    const ChartOptions o = options(ChartOptions::Shape::Bars, false, ChartOptions::Arrangement::Stacked);
    const QImage image = render(data, o);
    const Geometry g(data, o);
    for (const int c : {0, 1}) {
        const double x = g.px(c), top = g.py(5);
        EXPECT_TRUE(near(at(image, x, top + 3), QColor(0, 128, 0))) << c;
        EXPECT_FALSE(near(at(image, x, top - 3), QColor(0, 128, 0))) << c;
        const double joint = g.py(data.series[0].values[static_cast<size_t>(c)]);
        EXPECT_TRUE(near(at(image, x, joint + 3), Qt::red)) << c;
        EXPECT_TRUE(near(at(image, x, joint - 3), QColor(0, 128, 0))) << c;
    }
}

TEST(ChartPixels, StacksTo100PercentReachTheSameHeight)
{
    const ChartData data = textChart({"a", "b", "c"}, {{1, 30, 0}, {1, 10, 7}});
    for (const bool threeD : {false, true}) {
        const ChartOptions o = options(ChartOptions::Shape::Bars, threeD, ChartOptions::Arrangement::Stacked100);
        const QImage image = render(data, o);
        const Geometry g(data, o);
        for (const int c : {0, 1, 2}) {
            EXPECT_TRUE(near(at(image, g.px(c), g.py(100) + 3), QColor(0, 128, 0))) << c;
            EXPECT_FALSE(near(at(image, g.px(c) - 3, g.py(100) - 3), QColor(0, 128, 0))) << c;
        }
        // The first category is half red, the second three quarters.
        EXPECT_TRUE(near(at(image, g.px(0), g.py(50) + 3), Qt::red));
        EXPECT_TRUE(near(at(image, g.px(0), g.py(50) - 3), QColor(0, 128, 0)));
        EXPECT_TRUE(near(at(image, g.px(1), g.py(75) + 3), Qt::red));
    }
}

TEST(ChartPixels, SideBySideBarsShareTheirCategory)
{
    const ChartData data = textChart({"a", "b"}, {{4, 4}, {2, 2}});
    const ChartOptions o = options(ChartOptions::Shape::Bars, false);
    const QImage image = render(data, o);
    const Geometry g(data, o);
    const double quarter = g.unit() * 0.7 / 4;
    EXPECT_TRUE(near(at(image, g.px(1) - quarter, g.py(3)), Qt::red));
    EXPECT_FALSE(near(at(image, g.px(1) + quarter, g.py(3)), QColor(0, 128, 0)));
    EXPECT_TRUE(near(at(image, g.px(1) + quarter, g.py(1)), QColor(0, 128, 0)));
}

TEST(ChartPixels, BarsNarrowerThanAPixelStillShowWhereTheyStandOut)
{
    // Side by side, several bars fall into one pixel column; each one that is taller (or
    // deeper) than those drawn after it shows above (or below) them.
    QStringList labels;
    for (int i = 0; i < 600; ++i)
        labels.append(QString::number(i));
    const ChartData data = textChart(labels, {std::vector<double>(600, 10), std::vector<double>(600, 5),
                                              std::vector<double>(600, -10), std::vector<double>(600, -5)});
    for (const bool threeD : {false, true}) {
        const ChartOptions o = options(ChartOptions::Shape::Bars, threeD);
        const QImage image = render(data, o);
        const Geometry g(data, o);
        // Somewhere in a few pixels around the middle category.
        const auto shows = [&](double value, QColor colour) {
            for (int dx = -3; dx <= 3; ++dx) {
                if (near(at(image, g.px(300) + dx, g.py(value)), colour))
                    return true;
            }
            return false;
        };
        EXPECT_TRUE(shows(7.5, Qt::red)) << threeD;
        EXPECT_TRUE(shows(2.5, QColor(0, 128, 0))) << threeD;
        EXPECT_TRUE(shows(-7.5, Qt::yellow)) << threeD;
        EXPECT_TRUE(shows(-2.5, Qt::blue)) << threeD;
    }
}

TEST(ChartPixels, FlatLinesAreThreePixelsWideAnd3DRibbonsKeepTheirThicknessAtEverySlope)
{
    // A level stretch, then a steep rise and a fall.
    const ChartData data = textChart({"a", "b", "c", "d"}, {{10, 10, 40, 10}});
    const auto isRed = [](QColor c) { return reddish(c); };
    {
        const ChartOptions o = options(ChartOptions::Shape::Lines, false);
        const QImage image = render(data, o);
        const Geometry g(data, o);
        const int level = runDown(image, qRound(g.px(0.5)), qRound(g.py(10)) - 8, isRed);
        EXPECT_GE(level, 3);
        EXPECT_LE(level, 4);
    }
    const ChartOptions o = options(ChartOptions::Shape::Lines, true);
    const QImage image = render(data, o);
    const Geometry g(data, o);
    const int level = runDown(image, qRound(g.px(0.5)), qRound(g.py(10)) - 30, isRed);
    EXPECT_GE(level, 5);
    // Across a slope the band is cut at a slant, so it is at least as tall as on the level.
    for (const double x : {1.5, 2.5}) {
        const int slope = runDown(image, qRound(g.px(x)), qRound(g.py(40)) - 30, isRed);
        EXPECT_GE(slope, level) << x;
    }
}

TEST(ChartPixels, DateLabelsAreTurnedAndTextLabelsAreNot)
{
    ChartData data = textChart({"01.03.2024", "02.03.2024", "03.03.2024"}, {{1, 2, 3}});
    const ChartOptions o = options(ChartOptions::Shape::Bars, false);
    // The dark pixels under the axis at the first category: their extent across and down.
    const auto labelExtent = [&](const ChartData &d) {
        const QImage image = render(d, o);
        const Geometry g(d, o);
        QRect box;
        const int from = qRound(g.front.bottom()) + 5;
        const double half = g.unit() / 2 - 1;
        for (int y = from; y < image.height(); ++y) {
            for (int x = qRound(g.px(0) - half); x <= qRound(g.px(0) + half); ++x) {
                if (image.pixelColor(x, y).lightness() < 128)
                    box |= QRect(x, y, 1, 1);
            }
        }
        return box;
    };
    const QRect text = labelExtent(data);
    EXPECT_GT(text.width(), 2 * text.height());
    data.xKind = ChartData::XKind::Date;
    const QRect turned = labelExtent(data);
    EXPECT_GT(turned.height(), 2 * turned.width());
    // Text labels too long for two categories are turned as well.
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names.append(QStringLiteral("Przedsiębiorstwo Handlowe nr %1").arg(i));
    const QRect longNames = labelExtent(textChart(names, {std::vector<double>(12, 1.0)}));
    EXPECT_GT(longNames.height(), 2 * longNames.width());
}

TEST(ChartPixels, MarksShowTheValuesOfThePoints)
{
    const ChartData data = textChart({"a"}, {{10}});
    ChartOptions o = options(ChartOptions::Shape::Bars, false);
    const auto markPixels = [&] {
        const QImage image = render(data, o);
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == QColor(0xff, 0xff, 0xe1);
        }
        return count;
    };
    EXPECT_EQ(markPixels(), 0);
    o.marks = true;
    EXPECT_GT(markPixels(), 50);
}

TEST(ChartPixels, TheTallestMarkIsWhole)
{
    // In the window's size the marks of the bars show their whole box, the tallest's and the
    // lowest's too.
    const ChartData data = textChart({"a", "b", "c"}, {{10, 4, -6}});
    for (const bool threeD : {false, true}) {
        ChartOptions o = options(ChartOptions::Shape::Bars, threeD);
        o.marks = true;
        const QSize size(622, 282);
        const QImage image = render(data, o, size);
        const Geometry g(data, o, size);
        // The rows that hold the mark's fill by its text.
        const auto markRows = [&](double x) {
            int rows = 0;
            for (int y = 0; y < image.height(); ++y) {
                bool filled = false;
                for (int dx = -6; dx <= 6; ++dx)
                    filled = filled || at(image, x + dx, y) == QColor(0xff, 0xff, 0xe1);
                rows += filled;
            }
            return rows;
        };
        const double shift = threeD ? (g.front.height() * 0.045) / 2 : 0;
        EXPECT_GT(markRows(g.px(1) + shift), 8) << threeD;
        EXPECT_NEAR(markRows(g.px(0) + shift), markRows(g.px(1) + shift), 1) << threeD;
        EXPECT_NEAR(markRows(g.px(2) + shift), markRows(g.px(1) + shift), 1) << threeD;
    }
}

TEST(ChartPixels, LinesOfEverySeriesStandOutFromTheWall)
{
    // Twenty-two level lines, the fifth and the twenty-first of which took the wall's white.
    std::vector<std::vector<double>> values;
    for (int s = 0; s < 22; ++s)
        values.push_back(std::vector<double>(3, 10.0 * (s + 1)));
    const ChartData few = textChart({"a", "b", "c"}, values);
    ChartData many = few;
    many.labels.clear();
    many.xs.clear();
    for (int c = 0; c < 2000; ++c) {
        many.xs.push_back(c);
        many.labels.append(QString::number(c));
    }
    for (ChartSeries &series : many.series)
        series.values.assign(2000, series.values[0]);
    for (const ChartData *data : {&few, static_cast<const ChartData *>(&many)}) {
        for (const bool threeD : {false, true}) {
            const ChartOptions o = options(ChartOptions::Shape::Lines, threeD);
            const QSize size(1280, 800);
            const QImage image = render(*data, o, size);
            const Geometry g(*data, o, size);
            const double middle = g.px(static_cast<double>(data->xs.size() - 1) / 2);
            for (const int s : {4, 20}) {
                int darkest = 255;
                for (int dy = -6; dy <= 6; ++dy) {
                    for (int dx = -20; dx <= 20; dx += 2)
                        darkest = std::min(darkest, at(image, middle + dx, g.py(10.0 * (s + 1)) + dy).lightness());
                }
                EXPECT_LT(darkest, 200) << "series " << s << " of " << data->xs.size() << " points, 3D " << threeD;
            }
        }
    }
}

TEST(ChartPixels, ZoomedSeriesStayInsideTheWalls)
{
    const ChartData data = textChart({"a", "b"}, {{10, 20}});
    const ChartOptions o = options(ChartOptions::Shape::Bars, false);
    ChartAxes axes;
    axes.fit(data, o);
    for (int i = 0; i < 20; ++i)
        axes.zoom(110);
    const QImage image = chartImage(ChartView(data, o, axes), QSize(800, 500));
    const Geometry g(data, o);
    for (int y = qRound(g.front.bottom()) + 2; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ASSERT_FALSE(near(image.pixelColor(x, y), Qt::red, 30)) << x << "," << y;
    }
}

// The highest and the lowest red pixel within some pixels of a category.
std::pair<int, int> redExtent(const QImage &image, double x, int within)
{
    int top = image.height(), bottom = -1;
    for (int column = qRound(x) - within; column <= qRound(x) + within; ++column) {
        for (int y = 0; y < image.height(); ++y) {
            if (reddish(image.pixelColor(column, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return {top, bottom};
}

TEST(ChartPixels, ALineOfThousandsOfPointsKeepsItsSpikesAndDips)
{
    // Ten points to a pixel column: merging them must keep the highest and the lowest.
    const ChartData data = manyPoints(1, 10000, [](int, int c) { return c == 3000 ? 100 : c == 7000 ? 0 : c % 2 ? 55 : 45; });
    for (const bool threeD : {false, true}) {
        const ChartOptions o = options(ChartOptions::Shape::Lines, threeD);
        const QImage image = render(data, o);
        const Geometry g(data, o);
        // A 3D ribbon lies set back along the depth, some pixels to the right and up.
        const int within = threeD ? 15 : 2;
        const double slack = threeD ? 25 : 3;
        EXPECT_NEAR(redExtent(image, g.px(3000), within).first, g.py(100), slack) << threeD;
        EXPECT_NEAR(redExtent(image, g.px(7000), within).second, g.py(0), slack) << threeD;
        // Elsewhere the line keeps to its band.
        EXPECT_GT(redExtent(image, g.px(5000), within).first, g.py(65)) << threeD;
        EXPECT_LT(redExtent(image, g.px(5000), within).second, g.py(35)) << threeD;
    }
}

TEST(ChartPixels, DenseLinesCoverThoseDrawnBeforeThemAndNothingMore)
{
    // The second series, level, lies over the first, which rises above it once and dips below.
    const ChartData data = manyPoints(2, 10000, [](int s, int c) { return s == 1 ? 50 : c == 3000 ? 100 : c == 7000 ? 0 : 50; });
    for (const bool threeD : {false, true}) {
        const ChartOptions o = options(ChartOptions::Shape::Lines, threeD);
        const QImage image = render(data, o);
        const Geometry g(data, o);
        // Some pixels about a point: a 3D ribbon lies set back along the depth.
        const auto green = [&](double x, double y) {
            for (int dx = -12; dx <= 12; ++dx) {
                for (int dy = -6; dy <= 6; ++dy) {
                    if (near(at(image, x + dx, y + dy), QColor(0, 128, 0), 30))
                        return true;
                }
            }
            return false;
        };
        const int within = threeD ? 15 : 2;
        EXPECT_LT(redExtent(image, g.px(3000), within).first, g.py(90)) << threeD;
        EXPECT_GT(redExtent(image, g.px(7000), within).second, g.py(10)) << threeD;
        EXPECT_TRUE(green(g.px(3000), g.py(50))) << threeD;
        // Where the first is level, the second covers it: in 3D the first's ribbon lies behind.
        if (!threeD) {
            EXPECT_EQ(redExtent(image, g.px(5000), 2).first, image.height());
        }
    }
}

TEST(ChartPixels, ALongSeriesNameLeavesTheChartItsRoom)
{
    ChartData data = textChart({"a", "b"}, {{5, 3}, {2, 1}});
    data.series[0].name = QString(3000, QLatin1Char('W'));
    const Geometry g(data, options(ChartOptions::Shape::Bars, true));
    EXPECT_GT(g.front.left(), 5);
    EXPECT_GT(g.front.width(), 800 * 0.6);
    const QImage image = render(data, options(ChartOptions::Shape::Bars, true));
    EXPECT_TRUE(near(at(image, g.px(0) - g.unit() * 0.3, g.py(2.5)), Qt::red));
}

TEST(ChartPixels, ThinStacksShowTheTallestStackOfTheirPixelColumn)
{
    // Eight stacks to a pixel column; the one that stands out is drawn after or before the others.
    const ChartData data = manyPoints(2, 8000, [](int s, int c) { return s == 1 && (c == 3000 || c == 5003) ? 10 : 1; });
    for (const bool threeD : {false, true}) {
        const ChartOptions o = options(ChartOptions::Shape::Bars, threeD, ChartOptions::Arrangement::Stacked);
        const QImage image = render(data, o);
        const Geometry g(data, o);
        for (const int c : {3000, 5003}) {
            bool green = false;
            for (int dx = -2; dx <= 2; ++dx)
                green = green || near(at(image, g.px(c) + dx, g.py(8)), QColor(0, 128, 0));
            EXPECT_TRUE(green) << c << " " << threeD;
        }
        EXPECT_TRUE(near(at(image, g.px(4000), g.py(0.5)), Qt::red)) << threeD;
        EXPECT_TRUE(near(at(image, g.px(4000), g.py(1.5)), QColor(0, 128, 0))) << threeD;
        EXPECT_FALSE(near(at(image, g.px(4000), g.py(4)), QColor(0, 128, 0))) << threeD;
    }
}

TEST(ChartPixels, TheLargestValuesAreDrawnToScale)
{
    const ChartData data = textChart({"a", "b", "c"}, {{1e300, -1e300, 5e299}});
    for (const bool threeD : {false, true}) {
        const ChartOptions o = options(ChartOptions::Shape::Bars, threeD);
        const QImage image = render(data, o);
        const Geometry g(data, o);
        EXPECT_TRUE(near(at(image, g.px(0), g.py(5e299)), Qt::red)) << threeD;
        EXPECT_TRUE(near(at(image, g.px(1), g.py(-5e299)), Qt::red)) << threeD;
        EXPECT_TRUE(near(at(image, g.px(2), g.py(4e299)), Qt::red)) << threeD;
        EXPECT_FALSE(near(at(image, g.px(2), g.py(6e299)), Qt::red)) << threeD;
    }
    const ChartOptions o = options(ChartOptions::Shape::Lines, false);
    const QImage image = render(data, o);
    const Geometry g(data, o);
    EXPECT_NEAR(redExtent(image, g.px(0), 0).first, g.py(1e300), 3);
    EXPECT_NEAR(redExtent(image, g.px(1), 0).second, g.py(-1e300), 3);
}

class ChartFiles : public testsupport::PolishTest {
protected:
    QByteArray svgOf(const ChartData &data, const ChartOptions &o, QSize size = QSize(1280, 800))
    {
        writeChartFile(data, o, path("w.svg"), ChartFormat::Svg, size);
        return testsupport::readBytes(path("w.svg"));
    }
    qint64 sizeOf(const ChartData &data, const ChartOptions &o, ChartFormat format, QSize size = QSize(1280, 800))
    {
        writeChartFile(data, o, path("w"), format, size);
        return QFileInfo(path("w")).size();
    }
};

TEST_F(ChartFiles, RefuseSizesBeyondTheLimitsBeforeDrawing)
{
    const ChartData data = textChart({"a"}, {{1}});
    const struct {
        QSize size;
        bool fits;
    } cases[] = {
        {{100, 100}, true},    {{10000, 2500}, true},  {{2500, 10000}, true}, {{5000, 5000}, true},
        {{99, 100}, false},    {{100, 99}, false},     {{10001, 100}, false}, {{100, 10001}, false},
        {{5001, 5000}, false}, {{20000, 20000}, false}, {{0, 0}, false},      {{-1, 500}, false},
    };
    for (const auto &c : cases) {
        if (c.fits) {
            EXPECT_NO_THROW(checkChartSize(c.size)) << c.size.width() << "x" << c.size.height();
            continue;
        }
        for (const ChartFormat format : {ChartFormat::Png, ChartFormat::Svg, ChartFormat::Pdf})
            EXPECT_THROW(writeChartFile(data, ChartOptions(), path("w"), format, c.size), EChartError) << c.size.width();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "no file and no temporary";
    try {
        checkChartSize(QSize(20000, 20000));
    } catch (const EChartError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Rozmiar wykresu 20000x20000 jest poza zakresem: każdy bok od 100 do 10 000 pikseli, "
                                              "razem najwyżej 25 000 000 pikseli, np. 5000x5000"));
    }
}

TEST_F(ChartFiles, ALineIsOnePathOfAtMostTwoPointsAPixelColumn)
{
    const struct {
        std::function<double(int, int)> value;
        int most; // points of the path
    } cases[] = {
        {noise, 2 * 1280},
        // Level stretches keep their ends: two, and two about each of a spike's sides.
        {[](int, int) { return 5.0; }, 2},
        {[](int, int c) { return c == 5000 ? 9 : 5.0; }, 8},
    };
    for (const auto &c : cases) {
        const ChartData data = manyPoints(1, 10000, c.value);
        for (const bool threeD : {false, true}) {
            const std::vector<int> lines = polylinesIn(svgOf(data, options(ChartOptions::Shape::Lines, threeD)), Qt::red);
            ASSERT_EQ(lines.size(), 1u) << c.most << " " << threeD;
            EXPECT_LE(lines[0], c.most) << threeD;
            EXPECT_GE(lines[0], 2) << threeD;
        }
    }
}

TEST_F(ChartFiles, GrowWithTheirPictureNotWithThePointsTheyShow)
{
    // Series of values that jump about over years of days, as users chart them: five times the
    // points give a file less than twice as large (it grew with the points, to a gigabyte of SVG
    // for 300 series), and a file stays within some hundred bytes a series and pixel column,
    // marks and all.
    const QSize size(800, 500);
    for (int look = 0; look < kLooks; ++look) {
        for (const ChartFormat format : {ChartFormat::Svg, ChartFormat::Pdf}) {
            ChartOptions o = looks(look);
            const qint64 few = sizeOf(manyPoints(20, 1500, noise), o, format, size);
            const qint64 many = sizeOf(manyPoints(20, 7500, noise), o, format, size);
            EXPECT_LT(many, few * 2) << look << " " << int(format);
            o.marks = true;
            EXPECT_LT(sizeOf(manyPoints(20, 7500, noise), o, format, size), 20 * size.width() * 250) << look << " " << int(format);
        }
    }
}

TEST_F(ChartFiles, MarksCoveredByLaterOnesAreLeftOut)
{
    // A mark a day over years: those the later ones cover are not written, the one that stands
    // out is.
    const ChartData data = manyPoints(1, 10000, [](int, int c) { return c == 6000 ? 1234.5 : 0; });
    ChartOptions o = options(ChartOptions::Shape::Lines, false);
    o.marks = true;
    const QByteArray svg = svgOf(data, o);
    EXPECT_TRUE(svg.contains(">1 234,5</text>"));
    EXPECT_LT(svg.count("<text"), 1000);
    EXPECT_GT(svg.count(">0</text>"), 50) << "the level run still shows as a row of marks";
}

// The texts an SVG writes within a rectangle, with the points they are written at (x the left
// end, y the base line).
std::vector<std::pair<QString, QPointF>> textsWithin(const QByteArray &svg, const QRectF &area)
{
    static const QRegularExpression text(QStringLiteral("<text[^>]*\\sx=\"([-0-9.]+)\"\\s+y=\"([-0-9.]+)\"[^>]*>([^<]*)</text>"));
    std::vector<std::pair<QString, QPointF>> texts;
    for (auto it = text.globalMatch(QString::fromUtf8(svg)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QPointF at(m.captured(1).toDouble(), m.captured(2).toDouble());
        if (area.contains(at))
            texts.emplace_back(m.captured(3), at);
    }
    return texts;
}

TEST_F(ChartFiles, MarksOfStackedBarsStandAtTheirOwnSegments)
{
    // Over a: 7 above zero and -3 below, nothing of the second series; over b: 5 with 0.2 on it,
    // nothing of the first series. Each mark within its segment or beyond its end, a thin one's
    // beyond it, above a segment above zero and below one under it.
    ChartData data = textChart({"a", "b"}, {{7, 0}, {0, 5}, {-3, 0.2}});
    data.series[0].withRows = {true, false};
    data.series[1].withRows = {false, true};
    for (const bool threeD : {false, true}) {
        ChartOptions o = options(ChartOptions::Shape::Bars, threeD, ChartOptions::Arrangement::Stacked);
        o.marks = true;
        const QSize size(800, 500);
        const Geometry g(data, o, size);
        const auto texts = textsWithin(svgOf(data, o, size), QRectF(g.front.left(), 0, g.front.width(), g.front.bottom()));
        const struct {
            const char *text;
            double x, from, to;
        } marks[] = {{"7", 0, 0, 7}, {"-3", 0, 0, -3}, {"5", 1, 0, 5}, {"0,2", 1, 5, 5.2}};
        ASSERT_EQ(texts.size(), std::size(marks)) << threeD;
        for (const auto &m : marks) {
            const auto found = std::find_if(texts.begin(), texts.end(), [&](const auto &t) { return t.first == m.text; });
            ASSERT_NE(found, texts.end()) << m.text;
            EXPECT_NEAR(found->second.x(), g.px(m.x), g.unit() / 4) << m.text << " " << threeD;
            // From the segment's start, in the direction of its end, in pixels.
            const double along = (g.py(m.from) - found->second.y()) * (m.to > m.from ? 1 : -1);
            const double length = std::fabs(g.py(m.to) - g.py(m.from));
            EXPECT_GT(along, 0) << m.text << " " << threeD;
            EXPECT_LT(along, length + 40) << m.text << " " << threeD;
            if (length < 20) {
                EXPECT_GT(along, length) << m.text << " " << threeD;
            }
        }
    }
}

TEST_F(ChartFiles, MarksWriteAmountsAsTheGridDoes)
{
    ChartData data = textChart({"a", "b"}, {{162292.6, 1234}});
    const ChartOptions o = [] {
        ChartOptions marked = options(ChartOptions::Shape::Bars, false);
        marked.marks = true;
        return marked;
    }();
    data.valueType = FieldType::ftFloat;
    QByteArray svg = svgOf(data, o);
    EXPECT_TRUE(svg.contains(">162 292,60</text>"));
    EXPECT_TRUE(svg.contains(">1 234,00</text>"));
    data.valueType = FieldType::ftInteger;
    svg = svgOf(data, o);
    EXPECT_TRUE(svg.contains(">1 234</text>"));
}

TEST_F(ChartFiles, AnSvgOfTextsWithControlCharactersIsWellFormed)
{
    // A NUL or a line break in a cell, which XML may not hold.
    ChartData data = textChart({QStringLiteral("a") + QChar(0) + QStringLiteral("b<&>"), QStringLiteral("c\x01d")}, {{5, 3}});
    data.series[0].name = QStringLiteral("e\nf");
    for (const ChartOptions &o : {ChartOptions(), options(ChartOptions::Shape::Lines, false)}) {
        QXmlStreamReader xml(svgOf(data, o));
        while (!xml.atEnd())
            xml.readNext();
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    }
}

TEST_F(ChartFiles, TicksOfTinyValuesShowTheirDecimals)
{
    const QByteArray svg = svgOf(textChart({"a", "b"}, {{1e-7, 3e-7}}), ChartOptions());
    for (const char *tick : {">0</text>", ">5E-8</text>", ">1,5E-7</text>", ">3E-7</text>"})
        EXPECT_TRUE(svg.contains(tick)) << tick;
    const QByteArray hundredths = svgOf(textChart({"a", "b"}, {{0.01, 0.03}}), ChartOptions());
    EXPECT_TRUE(hundredths.contains(">0,005</text>"));
}


TEST_F(ChartFiles, AreWrittenAsPngSvgAndPdf)
{
    const ChartData data = textChart({"Łódź", "Kraków"}, {{10, 20}});
    const ChartOptions o;
    writeChartFile(data, o, path("w.png"), ChartFormat::Png, QSize(640, 400));
    QImageReader png(path("w.png"));
    EXPECT_EQ(png.format(), QByteArray("png"));
    EXPECT_EQ(png.size(), QSize(640, 400));

    writeChartFile(data, o, path("w.svg"), ChartFormat::Svg, QSize(640, 400));
    const QByteArray svg = testsupport::readBytes(path("w.svg"));
    EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).constData();
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 640 400\""));

    writeChartFile(data, o, path("w.pdf"), ChartFormat::Pdf, QSize(640, 400));
    EXPECT_TRUE(testsupport::readBytes(path("w.pdf")).startsWith("%PDF"));

    EXPECT_THROW(writeChartFile(data, o, path("nie/ma/w.png"), ChartFormat::Png, QSize(640, 400)), EFCreateError);
}

} // namespace
