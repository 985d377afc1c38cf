// The XLS reader on any file: the compound file, the record walk, every cell's text.
#include "FuzzSupport.h"
#include "platform/Errors.h"
#include "xls/Workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::write(QStringLiteral("book.xls"), reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TXlsWorkbook book;
    book.filename = fuzz::path(QStringLiteral("book.xls"));
    try {
        book.read();
        for (size_t s = 0; s < book.sheets.size(); ++s) {
            const TSheet &sheet = book.sheet(static_cast<int>(s));
            sheet.cells().forEach([&](const TCell &cell) { (void)sheet.asString(cell.column(), cell.row()); });
        }
    } catch (const Exception &) {
    }
    return 0;
}
