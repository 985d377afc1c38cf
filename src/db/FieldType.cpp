#include "FieldType.h"

#include "platform/Numbers.h"

#include <QRegularExpression>
#include <cmath>

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::ftUnknown: return QStringLiteral("ftUnknown");
    case FieldType::ftString: return QStringLiteral("ftString");
    case FieldType::ftSmallint: return QStringLiteral("ftSmallint");
    case FieldType::ftInteger: return QStringLiteral("ftInteger");
    case FieldType::ftLargeint: return QStringLiteral("ftLargeint");
    case FieldType::ftAutoInc: return QStringLiteral("ftAutoInc");
    case FieldType::ftFloat: return QStringLiteral("ftFloat");
    case FieldType::ftCurrency: return QStringLiteral("ftCurrency");
    case FieldType::ftBCD: return QStringLiteral("ftBCD");
    case FieldType::ftDate: return QStringLiteral("ftDate");
    case FieldType::ftTime: return QStringLiteral("ftTime");
    case FieldType::ftDateTime: return QStringLiteral("ftDateTime");
    case FieldType::ftBoolean: return QStringLiteral("ftBoolean");
    case FieldType::ftMemo: return QStringLiteral("ftMemo");
    case FieldType::ftBlob: return QStringLiteral("ftBlob");
    }
    return QString();
}

bool isBlobType(FieldType type)
{
    return type == FieldType::ftMemo || type == FieldType::ftBlob;
}

bool isIntegerType(FieldType type)
{
    return type == FieldType::ftSmallint || type == FieldType::ftInteger || type == FieldType::ftLargeint
        || type == FieldType::ftAutoInc;
}

bool isNumericType(FieldType type)
{
    return isIntegerType(type) || type == FieldType::ftFloat || type == FieldType::ftCurrency
        || type == FieldType::ftBCD;
}

QString declaredTypeFor(const FieldDef &f)
{
    const auto sized = [&](const char *name) {
        return f.size > 0 ? QStringLiteral("%1(%2,%3)").arg(QLatin1String(name)).arg(f.size).arg(f.decimals)
                          : QLatin1String(name);
    };
    switch (f.type) {
    case FieldType::ftString: return f.size > 0 ? QStringLiteral("VARCHAR(%1)").arg(f.size) : QStringLiteral("VARCHAR");
    case FieldType::ftSmallint: return sized("SMALLINT");
    case FieldType::ftInteger: return sized("INTEGER");
    case FieldType::ftLargeint: return sized("BIGINT");
    case FieldType::ftAutoInc: return QStringLiteral("AUTOINC INTEGER");
    case FieldType::ftFloat: return sized("FLOAT");
    case FieldType::ftCurrency: return sized("MONEY DOUBLE");
    case FieldType::ftBCD: return sized("BCD DOUBLE");
    case FieldType::ftDate: return QStringLiteral("DATE TEXT");
    case FieldType::ftTime: return QStringLiteral("TIME TEXT");
    case FieldType::ftDateTime: return QStringLiteral("TIMESTAMP TEXT");
    case FieldType::ftBoolean: return QStringLiteral("BOOLEAN");
    case FieldType::ftMemo: return QStringLiteral("MEMO TEXT");
    case FieldType::ftBlob: return QStringLiteral("BLOB");
    case FieldType::ftUnknown: break;
    }
    return QString();
}

FieldDef fieldFromDeclaredType(const QString &declaredType)
{
    FieldDef f;
    const QString d = declaredType.trimmed().toUpper();
    if (d.isEmpty()) {
        f.type = FieldType::ftUnknown;
        return f;
    }
    static const QRegularExpression sizes(QStringLiteral("\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\)"));
    const QRegularExpressionMatch m = sizes.match(d);
    if (m.hasMatch()) {
        f.size = m.captured(1).toInt();
        f.decimals = m.captured(2).toInt();
    }
    const auto has = [&](const char *word) { return d.contains(QLatin1String(word)); };
    if (has("AUTOINC"))
        f.type = FieldType::ftAutoInc;
    else if (has("MEMO"))
        f.type = FieldType::ftMemo;
    else if (has("TIMESTAMP") || has("DATETIME"))
        f.type = FieldType::ftDateTime;
    else if (has("DATE"))
        f.type = FieldType::ftDate;
    else if (has("TIME"))
        f.type = FieldType::ftTime;
    else if (has("BOOL") || has("LOGICAL"))
        f.type = FieldType::ftBoolean;
    else if (has("MONEY") || has("CURRENCY"))
        f.type = FieldType::ftCurrency;
    else if (has("BCD"))
        f.type = FieldType::ftBCD;
    else if (has("SMALLINT") || has("TINYINT"))
        f.type = FieldType::ftSmallint;
    else if (has("BIGINT") || has("INT8"))
        f.type = FieldType::ftLargeint;
    else if (has("INT"))
        f.type = FieldType::ftInteger;
    else if (has("CHAR") || has("TEXT") || has("CLOB") || has("STRING"))
        f.type = FieldType::ftString;
    else if (has("BLOB") || has("BINARY") || has("GRAPHIC"))
        f.type = FieldType::ftBlob;
    else if (has("REAL") || has("FLOA") || has("DOUB") || has("NUMERIC") || has("DECIMAL") || has("NUMBER"))
        f.type = FieldType::ftFloat;
    else
        f.type = FieldType::ftString;
    // NUMERIC(10,0) and DECIMAL(9) hold whole numbers.
    if (f.type == FieldType::ftFloat && m.hasMatch() && f.decimals == 0 && (has("NUMERIC") || has("DECIMAL")))
        f.type = f.size <= 9 ? FieldType::ftInteger : FieldType::ftLargeint;
    return f;
}

double Cell::asDouble() const
{
    switch (kind) {
    case Integer: return static_cast<double>(i);
    case Real: return r;
    case Text: return QString::fromUtf8(bytes).trimmed().toDouble();
    default: return 0;
    }
}

qint64 Cell::asInt64() const
{
    switch (kind) {
    case Integer: return i;
    case Real: return std::isfinite(r) ? static_cast<qint64>(r) : 0;
    case Text: return QString::fromUtf8(bytes).trimmed().toLongLong();
    default: return 0;
    }
}

QString Cell::asText() const
{
    switch (kind) {
    case Integer: return QString::number(i);
    case Real: return numbers::formatFloat(r, QLatin1Char('.'));
    case Text: case Blob: return QString::fromUtf8(bytes);
    default: return QString();
    }
}
