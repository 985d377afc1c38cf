// The Paradox reader and writer with a memo file: a table, optionally "\nMEMO\n" and its memo.
#include "TableFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::writeTable(data, size, QStringLiteral("t.db"), QStringLiteral("t.mb"));
    fuzz::readAndUpdate(QStringLiteral("t.db"));
    return 0;
}
