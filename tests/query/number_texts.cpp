// Prints every text the program makes of a floating-point value, for the decimal oracle
// (tests/tools/number_oracle.py): one value a line as the 16 hex digits of its bits in, one line
// of tab-separated texts out (general, TXT cell, CSV cell, both report masks, grid), in UTF-8 under
// Polish regional settings.
#include "platform/Numbers.h"
#include "platform/RegionalSettings.h"
#include "platform/TextHelpers.h"
#include "query/NumberText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main()
{
    RegionalSettings::set(RegionalSettings::polish());
    const QString pictures[] = {QStringLiteral(" ### ### ##0.00"), QStringLiteral("########0.00")};
    const QString masks[] = {QStringLiteral("### ### ##0.00"), QStringLiteral("##0.0000")};
    char line[64];
    std::string out;
    while (std::fgets(line, sizeof line, stdin)) {
        const unsigned long long bits = std::strtoull(line, nullptr, 16);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        QString texts = numbers::formatFloat(value);
        for (const QString &picture : pictures)
            texts += QLatin1Char('\t') + text::formatAmount(picture, value);
        for (const QString &mask : masks)
            texts += QLatin1Char('\t') + text::formatNumber(mask, value);
        texts += QLatin1Char('\t') + tekstLiczby(value) + QLatin1Char('\n');
        out += texts.toStdString();
        if (out.size() > (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
