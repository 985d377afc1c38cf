#include "TextWriters.h"

#include "FieldText.h"
#include "db/DataSet.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/RegionalSettings.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTxtWidth = 15;

char separatorByte()
{
    unsigned char byte = ',';
    cp1250::encodeChar(RegionalSettings::current().decimalSeparator.unicode(), byte);
    return static_cast<char>(byte);
}

// The cell appended from start, right-aligned in width characters: blanks in front, or only its
// last characters when longer.
void padCellLeft(QByteArray &out, qsizetype start, int width)
{
    const qsizetype length = out.size() - start;
    if (length > width) {
        out.remove(start, length - width);
    } else if (length < width) {
        out.insert(start, width - static_cast<int>(length), ' ');
    }
}

} // namespace

void quoteCsvCell(QByteArray &out, qsizetype start)
{
    const char *cell = out.constData() + start;
    const qsizetype length = out.size() - start;
    const auto special = [](char c) { return c == ';' || c == '"' || c == '\r' || c == '\n'; };
    if (std::none_of(cell, cell + length, special))
        return;
    QByteArray quoted;
    quoted.reserve(length + 8);
    quoted.append('"');
    for (qsizetype i = 0; i < length; ++i) {
        quoted.append(cell[i]);
        if (cell[i] == '"')
            quoted.append('"');
    }
    quoted.append('"');
    out.truncate(start);
    out.append(quoted);
}

// ---- TextWriter ------------------------------------------------------------------------------------

void TextWriter::appendText(const DataSet &data, int field, qsizetype row, int number)
{
    const Field &f = *data.field(field);
    if (!appendFieldText(out(), f, row))
        refuseFieldText(f, row, number);
}

void TextWriter::appendName(const DataSet &data, int field)
{
    const QString &name = data.field(field)->fieldName();
    if (!cp1250::canEncode(name))
        throw EConvertError(QStringLiteral("\r\nNazwy pola %1 nie można zapisać w pliku: znaku \"%2\" nie ma w stronie kodowej "
                                           "Windows-1250")
                                .arg(name, cp1250::firstUnencodable(name)));
    out().append(cp1250::encode(name));
}

void TextWriter::endLine()
{
    out().append("\r\n", 2);
    m_sink.flushIfFull();
}

// ---- SummingWriter ---------------------------------------------------------------------------------

SummingWriter::SummingWriter(ByteSink &sink, const QString &picture)
    : TextWriter(sink), m_picture(picture, separatorByte())
{
}

void SummingWriter::begin(const DataSet &data)
{
    m_floats.assign(static_cast<size_t>(data.fieldCount()), false);
    for (int i = 0; i < data.fieldCount(); ++i) {
        m_floats[static_cast<size_t>(i)] = data.field(i)->dataType() == FieldType::ftFloat;
        // The sum table has 11 columns: later fields are never summed.
        if (i < kSumColumns)
            m_summed[static_cast<size_t>(i)] = m_floats[static_cast<size_t>(i)];
        appendHeader(data, i);
    }
    endLine();
}

void SummingWriter::record(const DataSet &data, qsizetype row, int number)
{
    for (int i = 0; i < data.fieldCount(); ++i)
        appendCell(data, i, row, number);
    endLine();
}

void SummingWriter::end(const DataSet &)
{
    for (int i = 0; i < kSumColumns; ++i) {
        const numbers::DecimalSum &sum = m_sums[static_cast<size_t>(i)];
        if (!m_summed[static_cast<size_t>(i)])
            appendNoSum();
        else if (sum.exact())
            m_picture.appendAmount(out(), sum.decimal());
        else
            m_picture.appendAmount(out(), sum.value());
    }
    endLine();
}

void SummingWriter::appendFloat(const DataSet &data, int field, qsizetype row)
{
    const double value = data.field(field)->asFloatAt(row);
    numbers::DecimalSum *sum = field < kSumColumns && m_summed[static_cast<size_t>(field)]
        ? &m_sums[static_cast<size_t>(field)]
        : nullptr;
    if (!std::isfinite(value)) {
        m_picture.appendAmount(out(), value);
        if (sum)
            sum->add(value);
        return;
    }
    const numbers::Decimal rounded = numbers::Decimal::of(value).rounded(2);
    m_picture.appendAmount(out(), rounded);
    if (sum)
        sum->add(rounded);
}

// ---- TXT and CSV -----------------------------------------------------------------------------------

TxtWriter::TxtWriter(ByteSink &sink) : SummingWriter(sink, QStringLiteral(" ### ### ##0.00"))
{
}

void TxtWriter::appendHeader(const DataSet &data, int field)
{
    // Centred with blanks, an odd blank to the left; a longer name is written whole.
    const qsizetype start = out().size();
    appendName(data, field);
    const int length = static_cast<int>(out().size() - start);
    if (length < kTxtWidth) {
        const int right = (kTxtWidth - length) / 2;
        out().append(right, ' ');
        out().insert(start, kTxtWidth - length - right, ' ');
    }
}

void TxtWriter::appendCell(const DataSet &data, int field, qsizetype row, int number)
{
    if (data.field(field)->dataType() == FieldType::ftFloat) {
        appendFloat(data, field, row);
        return;
    }
    const qsizetype start = out().size();
    appendText(data, field, row, number);
    padCellLeft(out(), start, kTxtWidth);
}

void TxtWriter::appendNoSum()
{
    out().append(kTxtWidth, ' ');
}

CsvWriter::CsvWriter(ByteSink &sink) : SummingWriter(sink, QStringLiteral("########0.00"))
{
}

void CsvWriter::appendHeader(const DataSet &data, int field)
{
    const qsizetype start = out().size();
    appendName(data, field);
    quoteCsvCell(out(), start);
    out().append(';');
}

void CsvWriter::appendCell(const DataSet &data, int field, qsizetype row, int number)
{
    if (data.field(field)->dataType() == FieldType::ftFloat) {
        appendFloat(data, field, row);
    } else {
        const qsizetype start = out().size();
        appendText(data, field, row, number);
        quoteCsvCell(out(), start);
    }
    out().append(';');
}

void CsvWriter::appendNoSum()
{
    out().append(kTxtWidth, ' ');
}

// ---- the listing -----------------------------------------------------------------------------------

void ResultListing::begin(const DataSet &data)
{
    for (int i = 0; i < data.fieldCount(); ++i) {
        const qsizetype start = out().size();
        out().append(cp1250::encode(data.field(i)->fieldName()));
        quoteCsvCell(out(), start);
        out().append(';');
    }
    endLine();
}

void ResultListing::record(const DataSet &data, qsizetype row, int)
{
    for (int i = 0; i < data.fieldCount(); ++i) {
        const Field &field = *data.field(i);
        const qsizetype start = out().size();
        if (!appendFieldText(out(), field, row))
            out().append(cp1250::encode(field.asStringAt(row)));
        quoteCsvCell(out(), start);
        out().append(';');
    }
    endLine();
}
