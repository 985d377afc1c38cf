#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "support/TestSupport.h"

#include <cmath>
#include <limits>

using testsupport::PolishTest;

struct IntCase {
    const char *text;
    std::optional<qint64> value;
};

class IntegerText : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntegerText, Converts)
{
    const IntCase c = GetParam();
    const auto value = numbers::tryParseInt(QString::fromUtf8(c.text));
    ASSERT_EQ(value.has_value(), c.value.has_value()) << c.text;
    if (value) {
        EXPECT_EQ(*value, *c.value) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IntegerText, ::testing::Values(
    IntCase{"12", 12}, IntCase{" -7 ", -7}, IntCase{"+5", 5}, IntCase{"0x1F", 31}, IntCase{"0XfF", 255},
    IntCase{"0xFFFFFFFF", -1}, IntCase{"2147483647", 2147483647}, IntCase{"-2147483648", -2147483648LL},
    IntCase{"2147483648", std::nullopt}, IntCase{"0x100000000", std::nullopt}, IntCase{"", std::nullopt},
    IntCase{"4.5", std::nullopt}, IntCase{"abc", std::nullopt}, IntCase{"0x", std::nullopt},
    IntCase{"1 2", std::nullopt}, IntCase{"-", std::nullopt}, IntCase{"١٢", std::nullopt}), testsupport::CaseIndex());

TEST(Numbers, InvalidIntegerRaisesTheConversionError)
{
    try {
        numbers::parseInt(QStringLiteral("abc"));
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
    EXPECT_EQ(numbers::parseInt64(QStringLiteral("-9223372036854775808")), std::numeric_limits<qint64>::min());
}

struct FloatCase {
    const char *text;
    std::optional<double> value;
};

class FloatText : public PolishTest, public ::testing::WithParamInterface<FloatCase> {};

TEST_P(FloatText, ConvertsWithTheRegionalComma)
{
    const FloatCase c = GetParam();
    const auto value = numbers::tryParseFloat(QString::fromUtf8(c.text));
    ASSERT_EQ(value.has_value(), c.value.has_value()) << c.text;
    if (value) {
        EXPECT_DOUBLE_EQ(*value, *c.value) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FloatText, ::testing::Values(
    FloatCase{"4,5", 4.5}, FloatCase{" -0,25 ", -0.25}, FloatCase{"1E3", 1000}, FloatCase{"1,5e-2", 0.015},
    FloatCase{",5", 0.5}, FloatCase{"5,", 5}, FloatCase{"7", 7}, FloatCase{"4.5", std::nullopt},
    FloatCase{"", std::nullopt}, FloatCase{"abc", std::nullopt}, FloatCase{"1e", std::nullopt},
    FloatCase{"--1", std::nullopt}, FloatCase{"1 000", std::nullopt}, FloatCase{"1e999", std::nullopt},
    FloatCase{"inf", std::nullopt}), testsupport::CaseIndex());

TEST_F(PolishTest, InvalidFloatRaisesTheConversionError)
{
    try {
        numbers::parseFloat(QStringLiteral("4.5"));
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'4.5' is not a valid floating point value"));
    }
    // A cell's NUL does not cut the message that quotes it.
    try {
        numbers::parseFloat(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'a\u2400b' is not a valid floating point value"));
        EXPECT_STREQ(e.what(), "'a\u2400b' is not a valid floating point value");
    }
    EXPECT_DOUBLE_EQ(numbers::tryParseFloat(QStringLiteral("4.5"), QLatin1Char('.')).value(), 4.5);
}

struct FormatCase {
    double value;
    const char *text;
};

class FloatFormat : public PolishTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FloatFormat, GeneralFormatWithFifteenDigits)
{
    EXPECT_EQ(numbers::formatFloat(GetParam().value), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Cases, FloatFormat, ::testing::Values(
    FormatCase{4.5, "4,5"}, FormatCase{0, "0"}, FormatCase{-0.0, "0"}, FormatCase{100, "100"},
    FormatCase{-2.25, "-2,25"}, FormatCase{12.5, "12,5"}, FormatCase{1.0 / 3, "0,333333333333333"},
    FormatCase{0.1 + 0.2, "0,3"}, FormatCase{123456789012345.0, "123456789012345"}, FormatCase{1e15, "1E15"},
    FormatCase{1e20, "1E20"}, FormatCase{0.0001, "0,0001"}, FormatCase{0.00001, "1E-5"},
    FormatCase{-1.5e-10, "-1,5E-10"}, FormatCase{2.0 / 3 * 1e17, "6,66666666666667E16"}), testsupport::CaseIndex());

TEST(Numbers, NonFiniteValuesFormat)
{
    EXPECT_EQ(numbers::formatFloat(std::nan(""), QLatin1Char(',')), QStringLiteral("NAN"));
    EXPECT_EQ(numbers::formatFloat(-INFINITY, QLatin1Char(',')), QStringLiteral("-INF"));
    EXPECT_EQ(numbers::formatFloat(4.5, QLatin1Char('.')), QStringLiteral("4.5"));
}
