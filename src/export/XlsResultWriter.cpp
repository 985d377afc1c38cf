#include "XlsResultWriter.h"

#include "db/DataSet.h"
#include "platform/Errors.h"

#include <QLocale>

namespace {

QString grouped(int number)
{
    return QLocale(QLocale::Polish).toString(number).replace(QChar(0xA0), QLatin1Char(' '));
}

} // namespace

void XlsResultWriter::begin(const DataSet &data)
{
    if (data.recordCount() > kMaxRecords)
        throw EConvertError(QStringLiteral("\r\nWynik ma %1 wierszy, a arkusz pliku XLS mieści najwyżej %2. "
                                           "Zapisz go do pliku .CSV lub .TXT.")
                                .arg(grouped(data.recordCount()), grouped(kMaxRecords)));
    if (data.fieldCount() > kMaxFields)
        throw EConvertError(QStringLiteral("\r\nWynik ma %1 pól, a arkusz pliku XLS mieści najwyżej %2 kolumny. "
                                           "Zapisz go do pliku .CSV lub .TXT.")
                                .arg(data.fieldCount())
                                .arg(kMaxFields));
    TSheet &sheet = m_book.sheet(0);
    for (int i = 0; i < data.fieldCount(); ++i)
        sheet.setAsWideString(i, 0, data.field(i)->fieldName());
}

void XlsResultWriter::record(const DataSet &data, qsizetype row, int number)
{
    TSheet &sheet = m_book.sheet(0);
    for (int i = 0; i < data.fieldCount(); ++i) {
        const Field &field = *data.field(i);
        switch (field.dataType()) {
        case FieldType::ftInteger:
            sheet.setAsInteger(i, number + 1, static_cast<qint32>(field.asIntegerAt(row)));
            break;
        case FieldType::ftFloat:
            sheet.setAsFloat(i, number + 1, field.asFloatAt(row));
            break;
        default:
            sheet.setAsWideString(i, number + 1, field.asStringAt(row));
            break;
        }
    }
}

void XlsResultWriter::end(const DataSet &)
{
    m_book.write(m_out);
}
