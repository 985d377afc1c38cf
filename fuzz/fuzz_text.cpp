// The parsers of numbers and dates as users type them, and the marker date of a run.
#include "platform/Numbers.h"
#include "platform/RegionalSettings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool polish = [] {
        RegionalSettings::set(RegionalSettings::polish());
        return true;
    }();
    (void)polish;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    (void)numbers::tryParseInt(text);
    (void)numbers::tryParseInt64(text);
    if (const auto value = numbers::tryParseFloat(text))
        (void)numbers::formatFloat(*value);
    (void)numbers::tryParseFloat(text, QLatin1Char('.'));
    (void)RegionalSettings::current().parseShortDate(text);
    return 0;
}
