#pragma once

#include "db/FieldType.h"
#include "platform/Errors.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <vector>

class DataSet;

// One series of a chart: its key, its name in the legend (the series field's value as first met,
// Polish letters and all), its colour and one summed Y per category, and which of its points have
// rows (empty when every point has: a chart made by hand).
struct ChartSeries {
    QString key;
    QString name;
    QColor colour;
    std::vector<double> values;
    std::vector<bool> withRows;

    // Whether any row fell on the point of the category; one without shows 0 and has no mark.
    bool hasRows(size_t category) const { return withRows.empty() || withRows[category]; }
};

// What a chart shows: the categories of the X axis and the series over them.
struct ChartData {
    enum class XKind { Text, Number, Date };
    XKind xKind = XKind::Text;
    // The categories in order: the X values of the points (text X: 0, 1, 2 ...; numbers: the
    // value; dates: the day as a Julian day number) and their labels.
    std::vector<double> xs;
    QStringList labels;
    std::vector<ChartSeries> series;
    // The Y field's name: the legend's name of a series without a name; its type, which the marks
    // write the sums by (unknown: a chart made by hand).
    QString valueName;
    FieldType valueType = FieldType::ftUnknown;
    // Rows left out: an X that falls on no category (a fraction), a null X or a null Y.
    int skippedRows = 0;

    bool empty() const { return series.empty(); }
};

// The chart cannot be drawn: the text says why (in Polish).
class EChartError : public Exception {
public:
    using Exception::Exception;
};

// The most a chart shows. Its aggregation holds a sum for every series and category (at most 40 MB
// of them); the legend of the tallest picture names about as many series as the limit.
constexpr int kMaxCategories = 10000;
constexpr int kMaxSeries = 500;
// The largest sum a point may have: stacks of kMaxSeries such sums, their spans and their
// percentages stay finite.
constexpr double kMaxValue = 1e300;

// The largest magnitude of a number on the X axis: its whole numbers and the halves between them
// (where the axis ends) are exact doubles.
constexpr double kMaxX = 1e15;

// A count as the chart's messages write it: digits in groups of three ("20 001").
QString countText(qint64 count);

// Whether a field of the type has numbers to sum on the Y axis: numbers, dates and times (as day
// numbers), logical values; not texts, memos or blobs.
bool holdsNumbers(FieldType type);
// The refusal of a field without numbers on the Y axis.
QString yAxisNumbersOnly(const QString &fieldName);

// What the status line says of the rows left out; empty when none were.
QString skippedRowsNote(const ChartData &data);

// The 16 colours of the series, in order; further series take them again from the start.
const std::vector<QColor> &seriesColours();

// The series key of a series field's value: the value in one letter case. Every distinct value is
// a series of its own ("1,5" and "15" too); values that differ only in letter case share one.
QString nazwaSerii(const QString &value);

// Sums the Y field per series and category over the records of the data set that its filter lets
// through. Text X: the distinct values in order of first appearance; integers: every whole number
// from the smallest to the largest; dates and date-times: every day, a row falling on the day of
// its date; a value that is no number or date falls on no category. EChartError "Brak
// danych do wykresu" for no rows; EChartError saying why for more categories than maxCategories,
// more series than kMaxSeries, numbers on the X axis beyond kMaxX, a Y field without numbers
// (yAxisNumbersOnly) or with a value that is none, and a sum beyond kMaxValue; EDatabaseError for
// a field name that names no field.
ChartData aggregateChart(const DataSet &data, const QString &xField, const QString &yField,
                         const QString &seriesField, int maxCategories = kMaxCategories);
