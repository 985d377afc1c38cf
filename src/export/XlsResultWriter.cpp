#include "XlsResultWriter.h"

#include "FieldText.h"
#include "db/DataSet.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "platform/TextHelpers.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

QString grouped(int number)
{
    return QLocale(QLocale::Polish).toString(number).replace(QChar(0xA0), QLatin1Char(' '));
}

// Integers a double holds exactly.
constexpr qint64 kExactInDouble = qint64(1) << 53;

[[noreturn]] void refuseNumber(const Field &field, int number, double value)
{
    throw EConvertError(QStringLiteral("\r\nWartości pola %1 w rekordzie %2 (%3) nie można zapisać w pliku XLS: "
                                       "arkusz przechowuje tylko liczby skończone")
                            .arg(field.fieldName())
                            .arg(number + 1)
                            .arg(numbers::formatFloat(value)));
}

[[noreturn]] void refuseLongText(const Field &field, int number, qsizetype length)
{
    throw EConvertError(QStringLiteral("\r\nTekst pola %1 w rekordzie %2 ma %3, a komórka arkusza mieści najwyżej %4 "
                                       "(dłuższego nie wczyta Excel). Zapisz wynik do pliku .CSV lub .TXT.")
                            .arg(field.fieldName())
                            .arg(number + 1)
                            .arg(text::counted(length, QStringLiteral("znak"), QStringLiteral("znaki"), QStringLiteral("znaków")),
                                 grouped(XlsResultWriter::kMaxTextLength)));
}

} // namespace

void XlsResultWriter::begin(const DataSet &data)
{
    if (data.recordCount() > kMaxRecords)
        throw EConvertError(QStringLiteral("\r\nWynik ma %1 %2, a arkusz pliku XLS mieści najwyżej %3. "
                                           "Zapisz go do pliku .CSV lub .TXT.")
                                .arg(grouped(data.recordCount()),
                                     text::plural(data.recordCount(), QStringLiteral("wiersz"), QStringLiteral("wiersze"),
                                                  QStringLiteral("wierszy")),
                                     grouped(kMaxRecords)));
    if (data.fieldCount() > kMaxFields)
        throw EConvertError(QStringLiteral("\r\nWynik ma %1, a arkusz pliku XLS mieści najwyżej %2. "
                                           "Zapisz go do pliku .CSV lub .TXT.")
                                .arg(text::counted(data.fieldCount(), QStringLiteral("pole"), QStringLiteral("pola"),
                                                   QStringLiteral("pól")),
                                     text::counted(kMaxFields, QStringLiteral("kolumna"), QStringLiteral("kolumny"),
                                                   QStringLiteral("kolumn"))));
    TSheet &sheet = m_book.sheet(0);
    for (int i = 0; i < data.fieldCount(); ++i)
        sheet.setAsWideString(i, 0, data.field(i)->fieldName());
}

void XlsResultWriter::record(const DataSet &data, qsizetype row, int number)
{
    TSheet &sheet = m_book.sheet(0);
    for (int i = 0; i < data.fieldCount(); ++i) {
        const Field &field = *data.field(i);
        const bool integers = field.column().storage() == ColumnStore::Storage::Integer;
        if (field.dataType() == FieldType::ftInteger && integers) {
            // An integer column may hold any 64-bit value: beyond 32 bits it is a float cell, and
            // beyond what a float holds exactly a text of its digits, never a changed number.
            const qint64 value = field.asIntegerAt(row);
            if (value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max())
                sheet.setAsInteger(i, number + 1, static_cast<qint32>(value));
            else if (value >= -kExactInDouble && value <= kExactInDouble)
                sheet.setAsFloat(i, number + 1, static_cast<double>(value));
            else
                sheet.setAsWideString(i, number + 1, QString::number(value));
        } else if (field.dataType() == FieldType::ftFloat) {
            const double value = field.asFloatAt(row);
            if (!std::isfinite(value))
                refuseNumber(field, number, value);
            sheet.setAsFloat(i, number + 1, value);
        } else {
            if (!hasValidText(field, row))
                refuseFieldText(field, row, number);
            const QString text = field.asStringAt(row);
            if (text.size() > kMaxTextLength)
                refuseLongText(field, number, text.size());
            sheet.setAsWideString(i, number + 1, text);
        }
    }
}

void XlsResultWriter::end(const DataSet &)
{
    m_book.write(m_out);
}
