#include "FieldText.h"

#include "db/Field.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/RegionalSettings.h"
#include "platform/TextHelpers.h"

#include <charconv>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "2024-03-05" as "05.03.2024", the Polish short date; false for anything else.
bool appendPolishDate(QByteArray &out, const char *iso, qsizetype length)
{
    if (length < 10 || (length > 10 && iso[10] != ' ' && iso[10] != 'T') || iso[4] != '-' || iso[7] != '-')
        return false;
    for (const int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!isDigit(iso[i]))
            return false;
    }
    const int month = (iso[5] - '0') * 10 + (iso[6] - '0'), day = (iso[8] - '0') * 10 + (iso[9] - '0');
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    const char text[10] = {iso[8], iso[9], '.', iso[5], iso[6], '.', iso[0], iso[1], iso[2], iso[3]};
    out.append(text, 10);
    return true;
}

bool appendEncoded(QByteArray &out, const QString &text)
{
    const SingleByteCodec &codec = cp1250::codec();
    if (!codec.firstUnencodable(text).isEmpty())
        return false;
    out.append(codec.encode(text));
    return true;
}

} // namespace

bool hasValidText(const Field &field, qsizetype row)
{
    const ColumnStore &column = field.column();
    if (field.isNullAt(row) || column.storage() != ColumnStore::Storage::Text)
        return true;
    qsizetype length = 0;
    const char *bytes = column.textData(row, length);
    return text::isValidUtf8(bytes, length);
}

void refuseFieldText(const Field &field, qsizetype row, int number)
{
    const QString where = QStringLiteral("\r\nTekstu pola %1 w rekordzie %2 nie można zapisać w pliku: ")
                              .arg(field.fieldName())
                              .arg(number + 1);
    if (!hasValidText(field, row))
        throw EConvertError(where + QStringLiteral("zawiera bajty, które nie są poprawnym tekstem (UTF-8)"));
    throw EConvertError(where + QStringLiteral("znaku \"%1\" nie ma w stronie kodowej Windows-1250")
                                    .arg(cp1250::firstUnencodable(field.asStringAt(row))));
}

bool appendFieldText(QByteArray &out, const Field &field, qsizetype row)
{
    if (field.isNullAt(row))
        return true;
    const ColumnStore &column = field.column();
    const FieldType type = field.dataType();
    if (column.storage() == ColumnStore::Storage::Integer && isIntegerType(type)) {
        char digits[24];
        out.append(digits, std::to_chars(digits, digits + sizeof digits, column.integerAt(row)).ptr - digits);
        return true;
    }
    if (column.storage() == ColumnStore::Storage::Text) {
        qsizetype length = 0;
        const char *bytes = column.textData(row, length);
        if (type == FieldType::ftString || type == FieldType::ftMemo) {
            const qsizetype before = out.size();
            if (cp1250::codec().fromUtf8(bytes, length, out))
                return true;
            out.truncate(before);
            return false;
        }
        if (type == FieldType::ftDate && RegionalSettings::current().shortDateFormat == QLatin1String("dd.MM.yyyy")
            && appendPolishDate(out, bytes, length))
            return true;
    }
    return appendEncoded(out, field.asStringAt(row));
}
