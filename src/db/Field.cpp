#include "Field.h"

#include "DataSet.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "platform/RegionalSettings.h"

#include <cmath>

namespace {
const QDate kDateTimeEpoch(1899, 12, 30);
}

QDate isoToDate(const QByteArray &text)
{
    return QDate::fromString(QString::fromLatin1(text.left(10)), Qt::ISODate);
}

QTime isoToTime(const QByteArray &text)
{
    const QString t = QString::fromLatin1(text);
    for (const char *format : {"HH:mm:ss.zzz", "HH:mm:ss", "HH:mm"}) {
        const QTime time = QTime::fromString(t, QLatin1String(format));
        if (time.isValid())
            return time;
    }
    return {};
}

QDateTime isoToDateTime(const QByteArray &text)
{
    const QDate date = isoToDate(text);
    if (!date.isValid())
        return {};
    const QTime time = text.size() > 11 ? isoToTime(text.mid(11)) : QTime(0, 0);
    return QDateTime(date, time.isValid() ? time : QTime(0, 0));
}

double toDateTimeNumber(const QDateTime &dateTime)
{
    return static_cast<double>(kDateTimeEpoch.daysTo(dateTime.date()))
        + dateTime.time().msecsSinceStartOfDay() / 86400000.0;
}

Field::Field(DataSet &dataSet, int index, FieldDef def, const ColumnStore &column)
    : m_dataSet(dataSet), m_index(index), m_def(std::move(def)), m_column(column)
{
}

qsizetype Field::currentRow() const
{
    const qsizetype row = m_dataSet.currentRow();
    if (row < 0)
        throw EDatabaseError(m_dataSet.active() ? QStringLiteral("No current record") : QStringLiteral("Cannot perform this operation on a closed dataset"));
    return row;
}

bool Field::isNull() const { return isNullAt(currentRow()); }
QString Field::asString() const { return asStringAt(currentRow()); }
double Field::asFloat() const { return asFloatAt(currentRow()); }
qint64 Field::asInteger() const { return asIntegerAt(currentRow()); }
QVariant Field::asVariant() const { return asVariantAt(currentRow()); }
QString Field::displayText() const { return displayTextAt(currentRow()); }

bool Field::asBoolean() const
{
    const qsizetype row = currentRow();
    return !isNullAt(row) && m_column.realAt(row) != 0;
}

QDate Field::asDate() const
{
    const qsizetype row = currentRow();
    return isNullAt(row) ? QDate() : isoToDate(m_column.textAt(row));
}

QDateTime Field::asDateTime() const
{
    const qsizetype row = currentRow();
    return isNullAt(row) ? QDateTime() : isoToDateTime(m_column.textAt(row));
}

QString Field::asStringAt(qsizetype row) const
{
    if (isNullAt(row))
        return {};
    const RegionalSettings &rs = RegionalSettings::current();
    switch (m_def.type) {
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
        return numbers::formatFloat(m_column.realAt(row));
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftLargeint:
    case FieldType::ftAutoInc:
        if (m_column.storage() == ColumnStore::Storage::Real)
            return numbers::formatFloat(m_column.realAt(row));
        break;
    case FieldType::ftDate: {
        const QDate d = isoToDate(m_column.textAt(row));
        if (d.isValid())
            return rs.formatShortDate(d);
        break;
    }
    case FieldType::ftTime: {
        const QTime t = isoToTime(m_column.textAt(row));
        if (t.isValid())
            return rs.formatLongTime(t);
        break;
    }
    case FieldType::ftDateTime: {
        const QDateTime dt = isoToDateTime(m_column.textAt(row));
        if (dt.isValid())
            return rs.formatDateTime(dt);
        break;
    }
    case FieldType::ftBoolean:
        return m_column.realAt(row) != 0 ? QStringLiteral("True") : QStringLiteral("False");
    default:
        break;
    }
    if (m_column.storage() == ColumnStore::Storage::Real)
        return numbers::formatFloat(m_column.realAt(row));
    return QString::fromUtf8(m_column.textAt(row));
}

double Field::asFloatAt(qsizetype row) const
{
    if (isNullAt(row))
        return 0;
    switch (m_def.type) {
    case FieldType::ftDate:
    case FieldType::ftDateTime: {
        const QDateTime dt = isoToDateTime(m_column.textAt(row));
        if (dt.isValid())
            return toDateTimeNumber(dt);
        break;
    }
    case FieldType::ftTime: {
        const QTime t = isoToTime(m_column.textAt(row));
        if (t.isValid())
            return t.msecsSinceStartOfDay() / 86400000.0;
        break;
    }
    default:
        break;
    }
    if (m_column.storage() != ColumnStore::Storage::Text)
        return m_column.realAt(row);
    return numbers::parseFloat(QString::fromUtf8(m_column.textAt(row)));
}

qint64 Field::asIntegerAt(qsizetype row) const
{
    if (isNullAt(row))
        return 0;
    switch (m_column.storage()) {
    case ColumnStore::Storage::Integer: return m_column.integerAt(row);
    case ColumnStore::Storage::Real: return static_cast<qint64>(std::nearbyint(m_column.realAt(row)));
    case ColumnStore::Storage::Text: return numbers::parseInt64(QString::fromUtf8(m_column.textAt(row)));
    }
    return 0;
}

QVariant Field::asVariantAt(qsizetype row) const
{
    if (isNullAt(row))
        return {};
    switch (m_def.type) {
    case FieldType::ftDate: {
        const QDate d = isoToDate(m_column.textAt(row));
        return d.isValid() ? QVariant(d) : QVariant(asStringAt(row));
    }
    case FieldType::ftDateTime: {
        const QDateTime dt = isoToDateTime(m_column.textAt(row));
        return dt.isValid() ? QVariant(dt) : QVariant(asStringAt(row));
    }
    case FieldType::ftTime: {
        const QTime t = isoToTime(m_column.textAt(row));
        return t.isValid() ? QVariant(t) : QVariant(asStringAt(row));
    }
    case FieldType::ftBoolean: return QVariant(m_column.realAt(row) != 0);
    case FieldType::ftBlob: return QVariant(m_column.textAt(row));
    default: break;
    }
    switch (m_column.storage()) {
    case ColumnStore::Storage::Integer: return QVariant(m_column.integerAt(row));
    case ColumnStore::Storage::Real: return QVariant(m_column.realAt(row));
    case ColumnStore::Storage::Text: return QVariant(QString::fromUtf8(m_column.textAt(row)));
    }
    return {};
}

QString Field::defaultDisplayTextAt(qsizetype row) const
{
    if (m_def.type == FieldType::ftBlob)
        return isNullAt(row) ? QStringLiteral("(Blob)") : QStringLiteral("(BLOB)");
    if (m_def.type == FieldType::ftMemo) {
        // One line of the memo in a grid cell.
        QString text = asStringAt(row);
        text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
        return text;
    }
    return asStringAt(row);
}

QString Field::displayTextAt(qsizetype row) const
{
    return m_onGetText ? m_onGetText(*this, row) : defaultDisplayTextAt(row);
}
