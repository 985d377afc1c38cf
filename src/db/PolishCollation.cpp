#include "PolishCollation.h"

#include <sqlite3.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>

const QString kPolishCollation = QStringLiteral("PL");

namespace {

using Collator = std::unique_ptr<UCollator, decltype(&ucol_close)>;

Collator openPolish(UColAttributeValue strength)
{
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(ucol_open("pl", &status), &ucol_close);
    if (U_FAILURE(status))
        return Collator(nullptr, &ucol_close);
    ucol_setStrength(collator.get(), strength);
    return collator;
}

bool isAsciiAlphanumeric(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The collator with the primary places of the ASCII letters and digits, read from the collator
// itself ('a' and 'A' share one). A letter or digit has one primary weight of its own, and two
// texts with the same bytes before it have the same weights there: where two texts first differ
// in such characters, standing alone, their primary places decide, and the collator is not asked.
// Most comparisons of a sort ("Kontrahent 17" and "Kontrahent 2") end so.
class Polish {
public:
    Polish() : m_collator(openPolish(UCOL_DEFAULT))
    {
        const Collator primary = openPolish(UCOL_PRIMARY);
        if (!m_collator || !primary)
            return;
        std::array<char, 62> characters{};
        int n = 0;
        for (int c = 0; c < 128; ++c) {
            if (isAsciiAlphanumeric(static_cast<unsigned char>(c)))
                characters[n++] = static_cast<char>(c);
        }
        const auto order = [&](char x, char y) {
            UErrorCode status = U_ZERO_ERROR;
            return ucol_strcollUTF8(primary.get(), &x, 1, &y, 1, &status);
        };
        std::sort(characters.begin(), characters.end(), [&](char x, char y) { return order(x, y) < 0; });
        int place = 0;
        for (int i = 0; i < n; ++i) {
            if (i == 0 || order(characters[i - 1], characters[i]) != 0)
                ++place;
            m_place[static_cast<unsigned char>(characters[i])] = place;
        }
    }

    int compare(const char *a, qsizetype an, const char *b, qsizetype bn) const
    {
        const auto *x = reinterpret_cast<const unsigned char *>(a);
        const auto *y = reinterpret_cast<const unsigned char *>(b);
        const qsizetype common = std::min(an, bn);
        qsizetype i = 0;
        while (i < common && x[i] == y[i])
            ++i;
        if (i == an && i == bn)
            return 0;
        if (i < common && alone(x, an, i) && alone(y, bn, i)) {
            const int px = m_place[x[i]], py = m_place[y[i]];
            if (px != py)
                return px < py ? -1 : 1;
        }
        if (m_collator) {
            UErrorCode status = U_ZERO_ERROR;
            const int order = ucol_strcollUTF8(m_collator.get(), a, lengthOf(an), b, lengthOf(bn), &status);
            if (U_SUCCESS(status) && order != UCOL_EQUAL)
                return order;
        }
        const int bytes = common > 0 ? std::memcmp(a, b, static_cast<size_t>(common)) : 0;
        return bytes != 0 ? bytes : (an < bn ? -1 : an > bn ? 1 : 0);
    }

private:
    // A letter or digit at i that no mark after it joins.
    bool alone(const unsigned char *text, qsizetype length, qsizetype i) const
    {
        return m_place[text[i]] > 0 && (i + 1 == length || text[i + 1] < 0x80);
    }
    static int32_t lengthOf(qsizetype length) { return static_cast<int32_t>(std::min<qsizetype>(length, INT32_MAX)); }

    Collator m_collator;
    std::array<int, 256> m_place{}; // 0: not an ASCII letter or digit
};

const Polish &polish()
{
    static const Polish order;
    return order;
}

int collate(void *, int an, const void *a, int bn, const void *b)
{
    return comparePolish(static_cast<const char *>(a), an, static_cast<const char *>(b), bn);
}

} // namespace

int comparePolish(const char *a, qsizetype aLength, const char *b, qsizetype bLength)
{
    return polish().compare(a, aLength, b, bLength);
}

void registerPolishCollation(sqlite3 *db)
{
    sqlite3_create_collation(db, kPolishCollation.toUtf8().constData(), SQLITE_UTF8, nullptr, collate);
}

QString collationFor(const FieldDef &field)
{
    return field.type == FieldType::ftString || field.type == FieldType::ftMemo
        ? QStringLiteral(" COLLATE ") + kPolishCollation
        : QString();
}
