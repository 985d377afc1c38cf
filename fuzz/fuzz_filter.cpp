// The filter expression parser, compiled and run over a small result of every field type.
#include "FuzzSupport.h"
#include "db/Database.h"
#include "db/Filter.h"
#include "db/Query.h"
#include "platform/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Database database;
    static Query *result = [] {
        auto *q = new Query(database);
        q->sql().assign({QStringLiteral("SELECT 'Łódź' AS MIASTO, 12 AS ILE, 2.5 AS CENA, DATE('2024-03-05') AS DZIEN "
                                        "UNION ALL SELECT NULL, -1, NULL, NULL")});
        q->open();
        return q;
    }();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const auto expression = FilterExpression::parse(text);
        const auto test = expression->compile(*result, size % 2 == 0, size % 3 == 0);
        for (int record = 0; record < result->recordCount(); ++record)
            (void)test(result->rowOf(record));
    } catch (const Exception &) {
    }
    return 0;
}
