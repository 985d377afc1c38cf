#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

enum class FieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftLargeint,
    ftAutoInc,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBoolean,
    ftMemo,
    ftBlob,
};

QString fieldTypeName(FieldType type);
bool isBlobType(FieldType type);
bool isIntegerType(FieldType type);
bool isNumericType(FieldType type);

// A field as a table file or a result describes it. Size is the length of a string field in
// characters, or the width of a numeric field in characters where the file has one; decimals are
// the places after the point of a fixed-point number.
struct FieldDef {
    QString name;
    FieldType type = FieldType::ftString;
    int size = 0;
    int decimals = 0;
    bool operator==(const FieldDef &o) const
    {
        return name == o.name && type == o.type && size == o.size && decimals == o.decimals;
    }
};

// The declared column type under which a field is held in the engine. It carries the field type,
// the size and the decimals, and gives SQLite the right affinity: text for strings, memos and
// dates (so that '007' and '2024-01-05' stay text), integer for integers, real for floats.
QString declaredTypeFor(const FieldDef &field);
// The field type, size and decimals that a declared column type stands for; FieldType::ftUnknown
// when the declaration is empty (an expression or a column declared without a type).
FieldDef fieldFromDeclaredType(const QString &declaredType);

// One value travelling between the engine and a table file. Text is UTF-8; dates, times and
// timestamps are text in ISO form ('YYYY-MM-DD', 'HH:MM:SS', 'YYYY-MM-DD HH:MM:SS'); logicals are
// integers 0 and 1.
struct Cell {
    enum Kind : unsigned char { Null, Integer, Real, Text, Blob };
    Kind kind = Null;
    qint64 i = 0;
    double r = 0;
    QByteArray bytes;

    static Cell null() { return {}; }
    static Cell integer(qint64 v) { Cell c; c.kind = Integer; c.i = v; return c; }
    static Cell real(double v) { Cell c; c.kind = Real; c.r = v; return c; }
    static Cell text(QByteArray utf8) { Cell c; c.kind = Text; c.bytes = std::move(utf8); return c; }
    static Cell blob(QByteArray data) { Cell c; c.kind = Blob; c.bytes = std::move(data); return c; }
    bool isNull() const { return kind == Null; }
    bool operator==(const Cell &o) const
    {
        return kind == o.kind && i == o.i && (r == o.r || (r != r && o.r != o.r)) && bytes == o.bytes;
    }
    // The value as a number, as SQLite would read it; 0 for null.
    double asDouble() const;
    qint64 asInt64() const;
    QString asText() const;
};

using Row = std::vector<Cell>;
