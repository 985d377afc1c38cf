// The aggregation of a result's rows into categories and series of summed points.
#include "ChartTestSupport.h"

#include "platform/Errors.h"

namespace {

using Aggregation = ChartRowsTest;

std::vector<double> values(std::initializer_list<double> v)
{
    return v;
}

TEST_F(Aggregation, TextXSumsPerCategoryInOrderOfFirstAppearance)
{
    openRows("X VARCHAR(10), Y FLOAT", "('A', 2), ('B', 3), ('A', 5)");
    const ChartData c = chart("x", "Y");
    EXPECT_EQ(c.xKind, ChartData::XKind::Text);
    EXPECT_EQ(c.labels, (QStringList{"A", "B"}));
    EXPECT_EQ(c.xs, values({0, 1}));
    ASSERT_EQ(c.series.size(), 1u);
    EXPECT_EQ(c.series[0].key, QString());
    EXPECT_EQ(c.series[0].colour, QColor(Qt::red));
    EXPECT_EQ(c.series[0].values, values({7, 3}));
    EXPECT_EQ(c.valueName, QStringLiteral("Y"));
    EXPECT_EQ(c.skippedRows, 0);
}

TEST_F(Aggregation, IntegerXTakesEveryWholeNumberBetweenItsEnds)
{
    openRows("X INTEGER, Y INTEGER", "(6, 1), (3, 2), (6, 4)");
    const ChartData c = chart("X", "Y");
    EXPECT_EQ(c.xKind, ChartData::XKind::Number);
    EXPECT_EQ(c.xs, values({3, 4, 5, 6}));
    EXPECT_EQ(c.labels, (QStringList{"3", "4", "5", "6"}));
    EXPECT_EQ(c.series[0].values, values({2, 0, 0, 5}));
}

TEST_F(Aggregation, DateXTakesEveryDay)
{
    openRows("X DATE, Y FLOAT", "('2024-03-03', 1.5), ('2024-03-01', 2), ('2024-03-03', 1)");
    const ChartData c = chart("X", "Y");
    EXPECT_EQ(c.xKind, ChartData::XKind::Date);
    EXPECT_EQ(c.labels, (QStringList{"01.03.2024", "02.03.2024", "03.03.2024"}));
    EXPECT_EQ(c.xs.front(), static_cast<double>(QDate(2024, 3, 1).toJulianDay()));
    EXPECT_EQ(c.series[0].values, values({2, 0, 2.5}));
}

TEST(SeriesKey, IsTheValueInOneLetterCase)
{
    const struct {
        const char *value, *key;
    } cases[] = {
        {"2004", "2004"}, {"Kraków", "kraków"}, {"KRAKÓW", "kraków"}, {"A-1", "a-1"}, {"", ""}, {"ąę", "ąę"},
        {"1,5", "1,5"},   {"15", "15"},         {" 7", " 7"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(nazwaSerii(QString::fromUtf8(c.value)), QString::fromUtf8(c.key)) << c.value;
}

TEST_F(Aggregation, SeriesFollowTheirKeysInOrderOfCreation)
{
    openRows("X VARCHAR(10), S VARCHAR(10), Y FLOAT",
             "('a', 'Kraków', 1), ('b', 'ab', 2), ('a', 'AB', 3), ('b', 'Krak-ów', 4), ('a', '2004', 5), ('b', NULL, 6)");
    const ChartData c = chart("X", "Y", "S");
    ASSERT_EQ(c.series.size(), 5u);
    QStringList keys;
    for (const ChartSeries &series : c.series)
        keys.append(series.key);
    EXPECT_EQ(keys, (QStringList{"kraków", "ab", "krak-ów", "2004", ""}));
    // The legend names a series by the value that made it, Polish letters and all.
    EXPECT_EQ(c.series[0].name, QStringLiteral("Kraków"));
    EXPECT_EQ(c.series[0].values, values({1, 0}));
    EXPECT_EQ(c.series[1].values, values({3, 2})); // ab and AB
    EXPECT_EQ(c.series[2].values, values({0, 4}));
    EXPECT_EQ(c.series[3].values, values({5, 0}));
    EXPECT_EQ(c.series[4].values, values({0, 6}));
    EXPECT_EQ(c.series[1].colour, QColor(0, 128, 0));
    EXPECT_EQ(c.series[2].colour, QColor(Qt::yellow));
}

TEST_F(Aggregation, DistinctSeriesValuesStayDistinctSeries)
{
    // 1,5 and 15 have the same letters and digits.
    openRows("X VARCHAR(10), S FLOAT, Y FLOAT", "('a', 1.5, 1), ('a', 15, 2), ('b', 1.5, 4)");
    const ChartData c = chart("X", "Y", "S");
    ASSERT_EQ(c.series.size(), 2u);
    EXPECT_EQ(c.series[0].name, QStringLiteral("1,5"));
    EXPECT_EQ(c.series[0].values, values({1, 4}));
    EXPECT_EQ(c.series[1].name, QStringLiteral("15"));
    EXPECT_EQ(c.series[1].values, values({2, 0}));
    // Which points have rows: the one of 15 over b has none.
    EXPECT_TRUE(c.series[1].hasRows(0));
    EXPECT_FALSE(c.series[1].hasRows(1));
}

TEST_F(Aggregation, MoreSeriesThanColoursTakeTheListAgain)
{
    QStringList rows;
    for (int i = 0; i < 18; ++i)
        rows.append(QStringLiteral("(1, 'k%1', 1)").arg(i));
    openRows("X INTEGER, S VARCHAR(10), Y FLOAT", rows.join(QLatin1Char(',')));
    const ChartData c = chart("X", "Y", "S");
    ASSERT_EQ(c.series.size(), 18u);
    EXPECT_EQ(c.series[15].colour, QColor(Qt::black));
    EXPECT_EQ(c.series[16].colour, QColor(Qt::red));
    EXPECT_EQ(c.series[17].colour, QColor(0, 128, 0));
}

TEST_F(Aggregation, RowsHiddenByTheFilterAreNotCharted)
{
    openRows("X VARCHAR(10), Y FLOAT", "('A', 2), ('B', 3), ('A', 5), ('C', 1)");
    query.setFilter(QStringLiteral("Y > 2"));
    query.setFiltered(true);
    const ChartData c = chart("X", "Y");
    EXPECT_EQ(c.labels, (QStringList{"B", "A"}));
    EXPECT_EQ(c.series[0].values, values({3, 5}));
}

TEST_F(Aggregation, RowsWithoutAPointAreLeftOutAndCounted)
{
    // A fraction between whole numbers, a null Y and a null X have no point.
    openRows("X FLOAT, Y FLOAT", "(1, 1), (1.5, 10), (3, NULL), (NULL, 4), (3, 2)");
    const ChartData c = chart("X", "Y");
    EXPECT_EQ(c.xs, values({1, 2, 3}));
    EXPECT_EQ(c.series[0].values, values({1, 0, 2}));
    EXPECT_EQ(c.skippedRows, 3);
}

TEST_F(Aggregation, ADateTimeXFallsOnTheDayOfItsDate)
{
    openRows("X TIMESTAMP, Y FLOAT", "('2024-03-01 00:00:00', 1), ('2024-03-02 12:30:00', 5), ('2024-03-03', 2),"
                                     " ('2024-03-02 23:59:59', 0.5)");
    const ChartData c = chart("X", "Y");
    EXPECT_EQ(c.xKind, ChartData::XKind::Date);
    EXPECT_EQ(c.labels, (QStringList{"01.03.2024", "02.03.2024", "03.03.2024"}));
    EXPECT_EQ(c.series[0].values, values({1, 5.5, 2}));
    EXPECT_EQ(c.skippedRows, 0);
}

TEST_F(Aggregation, AChartThatCannotBeDrawnSaysWhy)
{
    const struct {
        const char *columns, *rows, *message;
    } cases[] = {
        {"X VARCHAR(10), Y FLOAT", "", "Brak danych do wykresu"},
        {"X INTEGER, Y FLOAT", "(NULL, 1)", "Brak danych do wykresu"},
        {"X INTEGER, Y FLOAT", "(0, 1), (20000, 1)",
         "Na osi X byłoby 20 001 wartości, a wykres może ich pokazać najwyżej 10 000. Wybierz inne pole osi X lub zawęź "
         "wynik."},
        {"X DATE, Y FLOAT", "('1990-01-01', 1), ('2024-01-01', 1)",
         "Na osi X byłoby 12 419 wartości, a wykres może ich pokazać najwyżej 10 000. Wybierz inne pole osi X lub zawęź "
         "wynik."},
        // More categories than a whole number counts.
        {"X FLOAT, Y FLOAT", "(-1e300, 1), (1e300, 1)",
         "Na osi X byłoby 2E300 wartości, a wykres może ich pokazać najwyżej 10 000. Wybierz inne pole osi X lub zawęź "
         "wynik."},
        // Numbers whose neighbours are the same double: stepping from one to the next never ended.
        {"X INTEGER, Y FLOAT", "(100000000000000000, 1), (100000000000000001, 2)",
         "Wartości pola X wykraczają poza zakres osi X: od -1E15 do 1E15"},
        {"X FLOAT, Y FLOAT", "(-1e300, 1)", "Wartości pola X wykraczają poza zakres osi X: od -1E15 do 1E15"},
        {"X INTEGER, Y VARCHAR(5)", "(1, '2')", "Pole Y nie zawiera liczb: na osi Y można pokazywać tylko liczby"},
        {"X INTEGER, Y MEMO", "(1, '2')", "Pole Y nie zawiera liczb: na osi Y można pokazywać tylko liczby"},
        // A blob's text begins with a quote and a NUL: the message names the field, not the value.
        {"X INTEGER, Y BLOB", "(1, x'2700ff')", "Pole Y nie zawiera liczb: na osi Y można pokazywać tylko liczby"},
        {"X INTEGER, Y", "(1, x'2700ff')", "Pole Y nie zawiera liczb: na osi Y można pokazywać tylko liczby"},
        // SQLite keeps a text (a binary one too) in a column declared numeric.
        {"X INTEGER, Y FLOAT", "(1, 2), (2, CAST(x'2700ff' AS TEXT))",
         "Pole Y zawiera wartość, która nie jest liczbą: na osi Y można pokazywać tylko liczby"},
        {"X INTEGER, Y DATE", "(1, 'wczoraj')",
         "Pole Y zawiera wartość, która nie jest liczbą: na osi Y można pokazywać tylko liczby"},
        // An infinity from SQL, sums beyond the largest value, infinities that cancel.
        {"X INTEGER, Y FLOAT", "(1, 1e308 * 10)", "Sumy pola Y wykraczają poza zakres wykresu: od -1E300 do 1E300"},
        {"X INTEGER, Y FLOAT", "(1, 9e299), (1, 9e299)", "Sumy pola Y wykraczają poza zakres wykresu: od -1E300 do 1E300"},
        {"X INTEGER, Y FLOAT", "(1, -1e308 * 10), (1, 1e308 * 10)",
         "Sumy pola Y wykraczają poza zakres wykresu: od -1E300 do 1E300"},
    };
    for (const auto &c : cases) {
        openRows(QString::fromUtf8(c.columns), QString::fromUtf8(c.rows));
        try {
            chart("X", "Y");
            ADD_FAILURE() << "no error for " << c.columns << " " << c.rows;
        } catch (const EChartError &e) {
            EXPECT_TRUE(e.message().startsWith(QString::fromUtf8(c.message))) << e.message().toStdString();
        }
    }
    // Text categories have the same limit.
    openRows("X VARCHAR(10), Y FLOAT", "('a', 1), ('b', 1), ('a', 1), ('c', 1)");
    EXPECT_NO_THROW(chart("X", "Y", QString(), 3));
    EXPECT_THROW(chart("X", "Y", QString(), 2), EChartError);
}

TEST_F(Aggregation, TheLargestSumsAndXValuesAreCharted)
{
    openRows("X INTEGER, Y FLOAT", "(1, 1e300), (2, -1e300), (3, 1e-7)");
    EXPECT_EQ(chart("X", "Y").series[0].values, values({1e300, -1e300, 1e-7}));
    openRows("X INTEGER, Y FLOAT", "(1000000000000000, 1), (999999999999998, 2)");
    EXPECT_EQ(chart("X", "Y").xs, values({999999999999998, 999999999999999, 1e15}));
}

TEST_F(Aggregation, AnXThatIsNoNumberFallsOnNoCategory)
{
    openRows("X INTEGER, Y FLOAT", "(1, 1), (CAST(x'2700ff' AS TEXT), 5), (3, 2)");
    const ChartData c = chart("X", "Y");
    EXPECT_EQ(c.xs, values({1, 2, 3}));
    EXPECT_EQ(c.series[0].values, values({1, 0, 2}));
    EXPECT_EQ(c.skippedRows, 1);
}

TEST_F(Aggregation, MoreSeriesThanTheChartShowsAreRefused)
{
    // Each series holds a sum per category: they are refused before room is made for them.
    const auto rows = [](int series) {
        QStringList rows;
        for (int i = 0; i < series; ++i)
            rows.append(QStringLiteral("(%1, 'k%2', 1)").arg(i % 7).arg(i));
        return rows.join(QLatin1Char(','));
    };
    openRows("X INTEGER, S VARCHAR(10), Y FLOAT", rows(kMaxSeries));
    EXPECT_EQ(chart("X", "Y", "S").series.size(), static_cast<size_t>(kMaxSeries));
    openRows("X INTEGER, S VARCHAR(10), Y FLOAT", rows(kMaxSeries + 1));
    try {
        chart("X", "Y", "S");
        ADD_FAILURE() << "no error";
    } catch (const EChartError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Pole S ma ponad 500 wartości, a wykres może pokazać najwyżej 500 serii. "
                                              "Wybierz inne pole serii lub zawęź wynik."));
    }
}

TEST_F(Aggregation, AFieldThatIsNotThereIsTheEnginesError)
{
    openRows("X VARCHAR(10), Y FLOAT", "('A', 2)");
    for (const auto &[x, y, s] : {std::tuple{"Z", "Y", ""}, {"X", "Z", ""}, {"X", "Y", "Z"}})
        EXPECT_THROW(chart(x, y, s), EDatabaseError) << x << y << s;
}

TEST_F(Aggregation, DatesOnTheYAxisAddAsDayNumbers)
{
    openRows("X VARCHAR(10), Y DATE", "('A', '1899-12-31'), ('A', '1900-01-01')");
    EXPECT_EQ(chart("X", "Y").series[0].values, values({1 + 2}));
}

} // namespace
