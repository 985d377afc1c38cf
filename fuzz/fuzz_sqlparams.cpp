// The scanner of parameters (:NAME) in SQL text: quotes, comments and names of any shape.
#include "db/Query.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList occurrences;
    (void)parseParameters(QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), occurrences);
    return 0;
}
