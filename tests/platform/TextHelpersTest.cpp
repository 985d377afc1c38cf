#include "platform/TextHelpers.h"
#include "support/TestSupport.h"

#include <limits>

using testsupport::PolishTest;

TEST(TextHelpers, RoundToTiesToEven)
{
    const struct {
        double x;
        int d;
        double expected;
    } cases[] = {
        {2.5, 0, 2}, {3.5, 0, 4}, {-2.5, 0, -2}, {-3.5, 0, -4}, {0.125, 2, 0.12}, {0.375, 2, 0.38},
        {1234.5678, 2, 1234.57}, {-1234.5678, 2, -1234.57}, {1.005, 2, 1.0}, {0, 2, 0}, {1250, -2, 1200},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(text::roundTo(c.x, c.d), c.expected) << c.x << " " << c.d;
}

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

struct AmountCase {
    const char *picture;
    bool blankZero;
    qint64 amount;
    const char *text;
};

class Amounts : public PolishTest, public ::testing::WithParamInterface<AmountCase> {};

TEST_P(Amounts, FormatWithThePicture)
{
    const AmountCase &c = GetParam();
    EXPECT_EQ(text::formatAmount(QString::fromUtf8(c.picture), c.blankZero, c.amount), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(Cases, Amounts, ::testing::Values(
    AmountCase{" ### ### ##0.00", false, 12345000, "       1 234,50"},
    AmountCase{" ### ### ##0.00", false, -12345000, "       -1234,50"},
    AmountCase{" ### ### ##0.00", false, 12345675000, "   1 234 567,50"},
    AmountCase{" ### ### ##0.00", false, -12345675000, "    -1234567,50"},
    AmountCase{" ### ### ##0.00", false, 0, "           0,00"},
    AmountCase{" ### ### ##0.00", true, 0, "               "},
    AmountCase{" ### ### ##0.00", false, 50, "           0,01"},
    AmountCase{" ### ### ##0.00", false, 49, "           0,00"},
    AmountCase{" ### ### ##0.00", false, 99950, "          10,00"},
    // Digits beyond the places go to the first place; the result keeps its last 15 characters.
    AmountCase{" ### ### ##0.00", false, 123456789012340000, "5678 901 234,00"},
    AmountCase{"########0.00", false, 12345000, "     1234,50"},
    AmountCase{"########0.00", false, -12345000, "    -1234,50"},
    AmountCase{"########0.00", false, 10000000000000, "000000000,00"},
    AmountCase{"0.##", false, 15000, " 1,5"},
    AmountCase{"0.##", false, 10000, "   1"},
    AmountCase{"0.0###", false, 12340, " 1,234"},
    AmountCase{"0.000000", false, 15000, "1,500000"},
    AmountCase{"#", false, 4999, " "},
    AmountCase{"0", false, 5000, "1"},
    AmountCase{"Kwota: 0.00 zł", false, 12345, "Kwota: 1,23 zł"}), testsupport::CaseIndex());

TEST_F(PolishTest, PictureWritesDigitsBeyondItsPlacesWhole)
{
    EXPECT_EQ(text::formatPicture(" ### ### ##0.00", 123456789012340000), QStringLiteral(" 12345678 901 234,00"));
    EXPECT_EQ(text::formatAmount(" ### ### ##0.00", false, std::numeric_limits<qint64>::min()).size(), 15);
}

TEST(TextHelpers, PictureUsesTheRegionalSeparator)
{
    RegionalSettings dot = RegionalSettings::polish();
    dot.decimalSeparator = QLatin1Char('.');
    const RegionalSettings saved = RegionalSettings::current();
    RegionalSettings::set(dot);
    EXPECT_EQ(text::formatAmount("##0.00", false, 12345), QStringLiteral("  1.23"));
    RegionalSettings::set(saved);
}

TEST(TextHelpers, TenThousandthsRoundToEvenAndSaturate)
{
    EXPECT_EQ(text::toTenThousandths(1234.5), 12345000);
    EXPECT_EQ(text::toTenThousandths(-0.00005), 0);
    EXPECT_EQ(text::toTenThousandths(1e300), std::numeric_limits<qint64>::max());
    EXPECT_EQ(text::toTenThousandths(-1e300), std::numeric_limits<qint64>::min());
}
