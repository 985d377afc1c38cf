#pragma once

#include "ResultWriter.h"
#include "platform/TextHelpers.h"

#include <array>
#include <vector>

// The writers of 8-bit text: Windows-1250, every line ended by CR LF, streamed into a sink.
class TextWriter : public ResultWriter {
public:
    explicit TextWriter(ByteSink &sink) : m_sink(sink) {}

protected:
    // The field's text at the row; EConvertError naming the field and the record when a character
    // cannot be written in Windows-1250.
    void appendText(const DataSet &data, int field, qsizetype row, int number);
    void appendName(const DataSet &data, int field);
    void endLine();
    QByteArray &out() { return m_sink.buffer(); }

private:
    ByteSink &m_sink;
};

// The TXT and CSV exports: a header line, one line per record and a totals line of 11 cells that
// sums the floating-point columns among the first 11 fields, their values rounded to two
// decimals (ties to even) and summed exactly. A number is right-aligned in its column without its
// picture's leading blanks; one longer than the column is written whole.
class SummingWriter : public TextWriter {
public:
    static constexpr int kSumColumns = 11;

    void begin(const DataSet &data) override;
    void record(const DataSet &data, qsizetype row, int number) override;
    void end(const DataSet &data) override;

protected:
    SummingWriter(ByteSink &sink, const QString &picture);
    virtual void appendHeader(const DataSet &data, int field) = 0;
    virtual void appendCell(const DataSet &data, int field, qsizetype row, int number) = 0;
    // The cell of a floating-point field in the picture, its value rounded to two decimals and
    // added to its column's sum.
    void appendFloat(const DataSet &data, int field, qsizetype row);
    // The totals' cell of an unsummed column.
    virtual void appendNoSum() = 0;

private:
    text::Picture m_picture;
    std::array<bool, kSumColumns> m_summed{};
    std::array<numbers::DecimalSum, kSumColumns> m_sums{};
    std::vector<bool> m_floats;
};

// Fixed-width columns of 15 characters: names centred, values right-aligned, a text longer than
// its column keeping its last 15 characters; floats in " ### ### ##0.00".
class TxtWriter : public SummingWriter {
public:
    explicit TxtWriter(ByteSink &sink);

protected:
    void appendHeader(const DataSet &data, int field) override;
    void appendCell(const DataSet &data, int field, qsizetype row, int number) override;
    void appendNoSum() override;
};

// Every cell followed by ";"; floats in "########0.00" right-aligned to 12 characters; a cell
// holding ";", a double quote, CR or LF quoted, with its quotes doubled.
class CsvWriter : public SummingWriter {
public:
    explicit CsvWriter(ByteSink &sink);

protected:
    void appendHeader(const DataSet &data, int field) override;
    void appendCell(const DataSet &data, int field, qsizetype row, int number) override;
    void appendNoSum() override;
};

// kwerix-batch's listing of a result: the field names, then every record, each cell its text
// (AsString) followed by ";", quoted as in the CSV export; characters Windows-1250 lacks become "?".
class ResultListing : public TextWriter {
public:
    using TextWriter::TextWriter;
    void begin(const DataSet &data) override;
    void record(const DataSet &data, qsizetype row, int number) override;
    void end(const DataSet &) override {}
};

// Quotes the cell appended to out from position start when it holds ";", a double quote, CR or LF.
void quoteCsvCell(QByteArray &out, qsizetype start);
