// The renderer: axes and ticks, and the pixels of each shape, form and arrangement where a fault
// would show; the chart files.
#include "ChartTestSupport.h"

#include "chart/ChartFile.h"
#include "platform/Errors.h"

#include <QFile>
#include <QImageReader>

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

class ChartFiles : public testsupport::PolishTest {};

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
