#pragma once

#include "ResultWriter.h"
#include "xls/Workbook.h"

// The XLS export: a new workbook whose first sheet holds the field names in row 0 and record r in
// row r + 1: integer fields as integers, floating-point fields as floats, everything else as its
// text (Unicode). Written as an Excel 97 file at the end.
class XlsResultWriter : public ResultWriter {
public:
    static constexpr int kMaxRecords = 65535;
    static constexpr int kMaxFields = 256;
    // Excel's limit of a cell; the file's own 16-bit lengths would hold 65,535.
    static constexpr int kMaxTextLength = 32767;

    explicit XlsResultWriter(QIODevice &out) : m_out(out) {}

    // EConvertError naming the limit when the result is larger than a sheet holds, and naming
    // field and record for a text longer than a cell holds, bytes that are no text, or an infinite
    // or NaN float; nothing is cut or changed.
    void begin(const DataSet &data) override;
    void record(const DataSet &data, qsizetype row, int number) override;
    void end(const DataSet &data) override;

private:
    QIODevice &m_out;
    TXlsWorkbook m_book;
};
