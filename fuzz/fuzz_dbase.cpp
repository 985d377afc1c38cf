// The dBASE reader and writer with a memo file: a table, optionally "\nMEMO\n" and its memo.
#include "TableFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const bool foxPro = size > 0 && (data[0] == 0xF5 || data[0] == 0x30 || data[0] == 0x31 || data[0] == 0x32);
    fuzz::writeTable(data, size, QStringLiteral("t.dbf"), foxPro ? QStringLiteral("t.fpt") : QStringLiteral("t.dbt"));
    fuzz::readAndUpdate(QStringLiteral("t.dbf"));
    return 0;
}
