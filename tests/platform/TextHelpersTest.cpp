#include "platform/TextHelpers.h"
#include "support/TestSupport.h"

#include <cmath>
#include <limits>

using testsupport::PolishTest;

TEST(TextHelpers, PaddingRepeatingAndCentring)
{
    EXPECT_EQ(text::repeatText("ab", 3), QStringLiteral("ababab"));
    EXPECT_EQ(text::repeatText("ab", 0), QString());
    EXPECT_EQ(text::repeatText("ab", -2), QString());
    EXPECT_EQ(text::padLeft("abc", 5, "*"), QStringLiteral("**abc"));
    EXPECT_EQ(text::padLeft("abcdef", 3, " "), QStringLiteral("def"));
    EXPECT_EQ(text::padLeft("a", 3, "xy"), QStringLiteral("xya"));
    EXPECT_EQ(text::padLeft("a", 0, " "), QString());
    EXPECT_EQ(text::padRight("abc", 5, "."), QStringLiteral("abc.."));
    EXPECT_EQ(text::padRight("abcdef", 3, " "), QStringLiteral("abc"));
    EXPECT_EQ(text::centerText("ab", "*", 7), QStringLiteral("***ab**"));
    EXPECT_EQ(text::centerText("ab", "*", 6), QStringLiteral("**ab**"));
    EXPECT_EQ(text::centerText("abcdefgh", " ", 5), QStringLiteral("abcdefgh"));
    EXPECT_EQ(text::centerText("ab", "", 5), QStringLiteral("ab"));
    EXPECT_EQ(text::removeBlanks(" 1 234 567,50 "), QStringLiteral("1234567,50"));
}

TEST(TextHelpers, CountsTakeThePolishFormOfTheirNoun)
{
    const std::pair<qint64, const char *> cases[] = {
        {0, "0 kolumn"}, {1, "1 kolumna"}, {2, "2 kolumny"}, {4, "4 kolumny"}, {5, "5 kolumn"}, {11, "11 kolumn"},
        {12, "12 kolumn"}, {14, "14 kolumn"}, {21, "21 kolumn"}, {22, "22 kolumny"}, {24, "24 kolumny"},
        {25, "25 kolumn"}, {101, "101 kolumn"}, {112, "112 kolumn"}, {122, "122 kolumny"}, {256, "256 kolumn"},
        {1002, "1002 kolumny"}, {-3, "-3 kolumny"},
    };
    for (const auto &[count, text] : cases)
        EXPECT_EQ(text::counted(count, "kolumna", "kolumny", "kolumn"), QString::fromUtf8(text)) << count;
    EXPECT_EQ(text::plural(3, "wiersz", "wiersze", "wierszy"), QStringLiteral("wiersze"));
}

struct AmountCase {
    const char *picture;
    double value;
    const char *text;
};

class Amounts : public PolishTest, public ::testing::WithParamInterface<AmountCase> {};

TEST_P(Amounts, FormatWithThePicture)
{
    const AmountCase &c = GetParam();
    EXPECT_EQ(text::formatAmount(QString::fromUtf8(c.picture), c.value), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(Cases, Amounts, ::testing::Values(
    AmountCase{" ### ### ##0.00", 1234.5, "       1 234,50"},
    AmountCase{" ### ### ##0.00", -1234.5, "       -1234,50"},
    AmountCase{" ### ### ##0.00", 1234567.5, "   1 234 567,50"},
    AmountCase{" ### ### ##0.00", -1234567.5, "    -1234567,50"},
    AmountCase{" ### ### ##0.00", 0, "           0,00"},
    // One rounding, of the value's own decimal digits, ties to even; no negative zero.
    AmountCase{" ### ### ##0.00", 0.005, "           0,00"},
    AmountCase{" ### ### ##0.00", 0.015, "           0,02"},
    AmountCase{" ### ### ##0.00", 0.0051, "           0,01"},
    AmountCase{" ### ### ##0.00", -0.004, "           0,00"},
    AmountCase{" ### ### ##0.00", 9.995, "          10,00"},
    AmountCase{" ### ### ##0.00", 1.00495, "           1,00"},
    // The picture's leading blank goes first, so ten digits still fit in 15 characters; digits
    // beyond the places go to the first place and a longer text is written whole.
    AmountCase{" ### ### ##0.00", 1000000000, "1000 000 000,00"},
    AmountCase{" ### ### ##0.00", 12345678901234.56, "12345678 901 234,56"},
    AmountCase{" ### ### ##0.00", -5e15, "-5000000000000000,00"},
    AmountCase{" ### ### ##0.00", 1e20, "100000000000000 000 000,00"},
    AmountCase{" ### ### ##0.00", std::numeric_limits<double>::infinity(), "            INF"},
    AmountCase{" ### ### ##0.00", -std::numeric_limits<double>::infinity(), "           -INF"},
    AmountCase{" ### ### ##0.00", std::nan(""), "            NAN"},
    AmountCase{"########0.00", 1234.5, "     1234,50"},
    AmountCase{"########0.00", -1234.5, "    -1234,50"},
    AmountCase{"########0.00", 1e9, "1000000000,00"},
    AmountCase{"0.##", 1.5, " 1,5"},
    AmountCase{"0.##", 1, "   1"},
    AmountCase{"0.0###", 1.234, " 1,234"},
    AmountCase{"0.000000", 1.5, "1,500000"},
    AmountCase{"0.000000", 1e-7, "0,000000"},
    AmountCase{"0.000000", 1.5e-6, "0,000002"},
    AmountCase{"#", 0.4999, " "},
    AmountCase{"0", 0.5, "0"},
    AmountCase{"0", 1.5, "2"},
    AmountCase{"Kwota: 0.00 zł", 1.2345, "Kwota: 1,23 zł"}), testsupport::CaseIndex());

TEST(TextHelpers, PictureUsesTheRegionalSeparator)
{
    RegionalSettings dot = RegionalSettings::polish();
    dot.decimalSeparator = QLatin1Char('.');
    const RegionalSettings saved = RegionalSettings::current();
    RegionalSettings::set(dot);
    EXPECT_EQ(text::formatAmount("##0.00", 1.2345), QStringLiteral("  1.23"));
    EXPECT_EQ(text::formatNumber("### ### ##0.00", -1234567.891), QStringLiteral("-1234567.89"));
    RegionalSettings::set(saved);
}
