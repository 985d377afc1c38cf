#pragma once

#include "ColumnStore.h"
#include "FieldType.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>

class DataSet;

// A field of an open data set. The plain accessors read the current record; the ...At accessors
// read any stored row, so that views draw their cells without moving the cursor.
class Field {
public:
    // Gives the display text of a field at a stored row (OnGetText).
    using GetTextHandler = std::function<QString(const Field &field, qsizetype row)>;

    Field(DataSet &dataSet, int index, FieldDef def, const ColumnStore &column);

    const QString &fieldName() const { return m_def.name; }
    FieldType dataType() const { return m_def.type; }
    const FieldDef &def() const { return m_def; }
    int size() const { return m_def.size; }
    int index() const { return m_index; }
    bool isBlob() const { return isBlobType(m_def.type); }
    DataSet &dataSet() const { return m_dataSet; }

    bool isNull() const;
    QString asString() const;
    double asFloat() const;
    qint64 asInteger() const;
    bool asBoolean() const;
    QDate asDate() const;
    QDateTime asDateTime() const;
    QVariant asVariant() const;
    QString displayText() const;

    bool isNullAt(qsizetype row) const { return m_column.isNull(row); }
    // AsString: text as the regional settings write it; null is empty text.
    QString asStringAt(qsizetype row) const;
    // AsFloat: numbers; dates as days since 1899-12-30; text converted with the regional separator
    // (EConvertError when it does not convert); null 0.
    double asFloatAt(qsizetype row) const;
    qint64 asIntegerAt(qsizetype row) const;
    QVariant asVariantAt(qsizetype row) const;
    // The handler's text when one is set, otherwise the default display text.
    QString displayTextAt(qsizetype row) const;
    QString defaultDisplayTextAt(qsizetype row) const;
    Cell cellAt(qsizetype row) const { return m_column.cellAt(row); }
    const ColumnStore &column() const { return m_column; }

    const GetTextHandler &onGetText() const { return m_onGetText; }
    void setOnGetText(GetTextHandler handler) { m_onGetText = std::move(handler); }

private:
    qsizetype currentRow() const;

    DataSet &m_dataSet;
    int m_index;
    FieldDef m_def;
    const ColumnStore &m_column;
    GetTextHandler m_onGetText;
};

// Dates inside the engine are ISO text.
QDate isoToDate(const QByteArray &text);
QDateTime isoToDateTime(const QByteArray &text);
QTime isoToTime(const QByteArray &text);
// Delphi's date-time number: days since 1899-12-30 with the time as the fraction.
double toDateTimeNumber(const QDateTime &dateTime);
