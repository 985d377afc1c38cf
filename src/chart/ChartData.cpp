#include "ChartData.h"

#include "db/DataSet.h"
#include "db/Field.h"
#include "platform/Numbers.h"

#include <QHash>
#include <QLocale>
#include <cmath>
#include <optional>

namespace {

bool isDate(FieldType type)
{
    return type == FieldType::ftDate || type == FieldType::ftDateTime;
}

int digits(const char *text, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The day of a date or date-time field at a row as a Julian day number (a time of day is left
// out); false when it holds no date. The engine keeps dates as ISO text, read here without making
// strings.
bool dayOf(const Field &field, qsizetype row, double &day)
{
    qsizetype length = 0;
    const char *iso = field.column().storage() == ColumnStore::Storage::Text ? field.column().textData(row, length) : nullptr;
    const int year = length >= 10 && iso[4] == '-' && iso[7] == '-' ? digits(iso, 4) : -1;
    const int month = year >= 0 ? digits(iso + 5, 2) : -1, date = year >= 0 ? digits(iso + 8, 2) : -1;
    const QDate parsed(year, month, date);
    day = parsed.isValid() ? static_cast<double>(parsed.toJulianDay()) : 0;
    return parsed.isValid();
}

// The text of a field at a row as the raw bytes the engine keeps, for use as a key; the field's
// text for other storage.
QByteArray rawText(const Field &field, qsizetype row)
{
    if (field.isNullAt(row))
        return QByteArray();
    if (field.column().storage() == ColumnStore::Storage::Text) {
        qsizetype length = 0;
        const char *bytes = field.column().textData(row, length);
        return QByteArray::fromRawData(bytes, length);
    }
    return field.asStringAt(row).toUtf8();
}

// A field's value as a number; none for a text that is no number. SQLite keeps any text in a
// column declared numeric, and the engine's refusal of it quotes the text, which may be binary.
std::optional<double> numberAt(const Field &field, qsizetype row)
{
    try {
        return field.asFloatAt(row);
    } catch (const EConvertError &) {
        return std::nullopt;
    }
}

// The X value of a row for numbers and dates; false for a null or unreadable value.
bool numericX(const Field &field, qsizetype row, bool dates, double &x, bool &onCategory)
{
    if (field.isNullAt(row))
        return false;
    if (dates) {
        onCategory = dayOf(field, row, x);
        return onCategory;
    }
    const std::optional<double> value = numberAt(field, row);
    x = value.value_or(0);
    onCategory = value && std::isfinite(x) && x == std::floor(x);
    return value && std::isfinite(x);
}

class Aggregation {
public:
    Aggregation(const DataSet &data, const Field &x, const Field &y, const Field *series)
        : m_data(data), m_x(x), m_y(y), m_series(series)
    {
    }

    ChartData run(int maxCategories)
    {
        const FieldType type = m_x.dataType();
        m_chart.xKind = type == FieldType::ftString ? ChartData::XKind::Text
            : isDate(type)                          ? ChartData::XKind::Date
                                                    : ChartData::XKind::Number;
        if (m_data.recordCount() == 0)
            throw EChartError(QStringLiteral("Brak danych do wykresu"));
        if (m_chart.xKind == ChartData::XKind::Text)
            textCategories(maxCategories);
        else
            rangeCategories(maxCategories);
        for (int record = 0; record < m_data.recordCount(); ++record)
            add(m_data.rowOf(record));
        checkSums();
        return std::move(m_chart);
    }

private:
    void tooMany(double count, int maxCategories)
    {
        // A range of numbers may span more categories than a whole number holds.
        const QString shown = count < 1e15 ? countText(static_cast<qint64>(count)) : numbers::formatFloat(count);
        throw EChartError(QStringLiteral("Na osi X byłoby %1 wartości, a wykres może ich pokazać najwyżej %2. "
                                         "Wybierz inne pole osi X lub zawęź wynik.")
                              .arg(shown, countText(maxCategories)));
    }

    void textCategories(int maxCategories)
    {
        for (int record = 0; record < m_data.recordCount(); ++record) {
            const QString label = m_x.asStringAt(m_data.rowOf(record));
            if (m_textIndex.contains(label))
                continue;
            if (m_chart.labels.size() >= maxCategories)
                tooMany(m_chart.labels.size() + 1, maxCategories);
            m_textIndex.insert(label, static_cast<int>(m_chart.labels.size()));
            m_chart.xs.push_back(static_cast<double>(m_chart.labels.size()));
            m_chart.labels.append(label);
        }
    }

    void rangeCategories(int maxCategories)
    {
        const bool dates = m_chart.xKind == ChartData::XKind::Date;
        bool any = false;
        for (int record = 0; record < m_data.recordCount(); ++record) {
            double x;
            bool onCategory = false;
            if (!numericX(m_x, m_data.rowOf(record), dates, x, onCategory))
                continue;
            m_min = any ? std::min(m_min, x) : x;
            m_max = any ? std::max(m_max, x) : x;
            any = true;
        }
        if (!any)
            throw EChartError(QStringLiteral("Brak danych do wykresu"));
        m_min = std::ceil(m_min);
        m_max = std::floor(m_max);
        const double count = m_max - m_min + 1;
        if (count > maxCategories)
            tooMany(count, maxCategories);
        // Beyond, the doubles are too far apart to step from one whole number to the next.
        if (std::max(std::fabs(m_min), std::fabs(m_max)) > kMaxX)
            throw EChartError(QStringLiteral("Wartości pola %1 wykraczają poza zakres osi X: od %2 do %3")
                                  .arg(m_x.fieldName(), numbers::formatFloat(-kMaxX), numbers::formatFloat(kMaxX)));
        const QLocale c = QLocale::c();
        for (double x = m_min; x <= m_max; ++x) {
            m_chart.xs.push_back(x);
            m_chart.labels.append(dates ? QDate::fromJulianDay(static_cast<qint64>(x)).toString(QStringLiteral("dd.MM.yyyy"))
                                        : c.toString(static_cast<qint64>(x)));
        }
    }

    int categoryOf(qsizetype row)
    {
        if (m_chart.xKind == ChartData::XKind::Text) {
            const QByteArray raw = rawText(m_x, row);
            auto known = m_rawCategories.constFind(raw);
            if (known == m_rawCategories.constEnd())
                known = m_rawCategories.insert(QByteArray(raw.constData(), raw.size()),
                                               m_textIndex.value(m_x.asStringAt(row), -1));
            return *known;
        }
        double x;
        bool onCategory = false;
        if (!numericX(m_x, row, m_chart.xKind == ChartData::XKind::Date, x, onCategory) || !onCategory || x < m_min
            || x > m_max)
            return -1;
        return static_cast<int>(x - m_min);
    }

    ChartSeries &seriesOf(qsizetype row)
    {
        // The key is made once per distinct value the engine holds, not once per row.
        const QByteArray raw = m_series ? rawText(*m_series, row) : QByteArray();
        auto known = m_rawSeries.constFind(raw);
        if (known == m_rawSeries.constEnd())
            known = m_rawSeries.insert(QByteArray(raw.constData(), raw.size()), seriesIndex(row));
        return m_chart.series[static_cast<size_t>(*known)];
    }

    int seriesIndex(qsizetype row)
    {
        const QString value = m_series ? m_series->asStringAt(row) : QString();
        const QString key = nazwaSerii(value);
        auto it = m_seriesIndex.constFind(key);
        if (it == m_seriesIndex.constEnd()) {
            // Refused before its sums are made room for: each series holds one per category.
            if (m_chart.series.size() >= static_cast<size_t>(kMaxSeries))
                throw EChartError(QStringLiteral("Pole %1 ma ponad %2 wartości, a wykres może pokazać najwyżej %2 serii. "
                                                 "Wybierz inne pole serii lub zawęź wynik.")
                                      .arg(m_series->fieldName(), countText(kMaxSeries)));
            const std::vector<QColor> &colours = seriesColours();
            ChartSeries series{key, value, colours[m_chart.series.size() % colours.size()],
                               std::vector<double>(m_chart.xs.size(), 0.0), std::vector<bool>(m_chart.xs.size(), false)};
            m_chart.series.push_back(std::move(series));
            it = m_seriesIndex.insert(key, static_cast<int>(m_chart.series.size()) - 1);
        }
        return *it;
    }

    void add(qsizetype row)
    {
        ChartSeries &series = seriesOf(row);
        const int category = categoryOf(row);
        if (category < 0 || m_y.isNullAt(row)) {
            ++m_chart.skippedRows;
            return;
        }
        const std::optional<double> y = numberAt(m_y, row);
        if (!y)
            throw EChartError(QStringLiteral("Pole %1 zawiera wartość, która nie jest liczbą: na osi Y można pokazywać tylko liczby")
                                  .arg(m_y.fieldName()));
        series.values[static_cast<size_t>(category)] += *y;
        series.withRows[static_cast<size_t>(category)] = true;
    }

    // Sums beyond kMaxValue (an infinity from SQL, a sum that overflowed, or no number at all)
    // would leave the axes without a scale.
    void checkSums() const
    {
        for (const ChartSeries &series : m_chart.series) {
            for (const double v : series.values) {
                if (!(std::fabs(v) <= kMaxValue))
                    throw EChartError(QStringLiteral("Sumy pola %1 wykraczają poza zakres wykresu: od %2 do %3")
                                          .arg(m_y.fieldName(), numbers::formatFloat(-kMaxValue), numbers::formatFloat(kMaxValue)));
            }
        }
    }

    const DataSet &m_data;
    const Field &m_x, &m_y;
    const Field *m_series;
    ChartData m_chart;
    QHash<QString, int> m_textIndex;
    QHash<QString, int> m_seriesIndex;
    QHash<QByteArray, int> m_rawSeries;
    QHash<QByteArray, int> m_rawCategories;
    double m_min = 0, m_max = 0;
};

} // namespace

QString countText(qint64 count)
{
    return QLocale(QLocale::Polish).toString(count).replace(QChar(0xA0), QLatin1Char(' '));
}

bool holdsNumbers(FieldType type)
{
    return isNumericType(type) || type == FieldType::ftDate || type == FieldType::ftTime || type == FieldType::ftDateTime
        || type == FieldType::ftBoolean;
}

QString yAxisNumbersOnly(const QString &fieldName)
{
    return QStringLiteral("Pole %1 nie zawiera liczb: na osi Y można pokazywać tylko liczby").arg(fieldName);
}

QString skippedRowsNote(const ChartData &data)
{
    return data.skippedRows > 0
        ? QStringLiteral("Pominięte wiersze (X poza osią lub brak wartości Y): %1").arg(data.skippedRows)
        : QString();
}

const std::vector<QColor> &seriesColours()
{
    static const std::vector<QColor> colours = {
        Qt::red, QColor(0, 128, 0), Qt::yellow, Qt::blue, Qt::white, Qt::gray, QColor(255, 0, 255), QColor(0, 128, 128),
        QColor(0, 0, 128), QColor(128, 0, 0), QColor(0, 255, 0), QColor(128, 128, 0), QColor(128, 0, 128),
        QColor(192, 192, 192), QColor(0, 255, 255), Qt::black,
    };
    return colours;
}

QString nazwaSerii(const QString &value)
{
    return value.toCaseFolded();
}

ChartData aggregateChart(const DataSet &data, const QString &xField, const QString &yField, const QString &seriesField,
                         int maxCategories)
{
    const Field *x = data.fieldByName(xField);
    const Field *y = data.fieldByName(yField);
    const Field *series = seriesField.trimmed().isEmpty() ? nullptr : data.fieldByName(seriesField);
    if (!holdsNumbers(y->dataType()))
        throw EChartError(yAxisNumbersOnly(y->fieldName()));
    ChartData chart = Aggregation(data, *x, *y, series).run(maxCategories);
    chart.valueName = y->fieldName();
    chart.valueType = y->dataType();
    return chart;
}
