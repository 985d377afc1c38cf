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

    explicit XlsResultWriter(QIODevice &out) : m_out(out) {}

    // EConvertError naming the limit when the result is larger than a sheet holds; nothing is cut.
    void begin(const DataSet &data) override;
    void record(const DataSet &data, qsizetype row, int number) override;
    void end(const DataSet &data) override;

private:
    QIODevice &m_out;
    TXlsWorkbook m_book;
};
