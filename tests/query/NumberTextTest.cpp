#include "query/NumberText.h"
#include "support/TestSupport.h"

#include <cmath>
#include <limits>

using testsupport::CaseIndex;

namespace {

struct AmountCase {
    double value;
    const char *text;
};

class GridAmounts : public testsupport::PolishTest, public ::testing::WithParamInterface<AmountCase> {};

TEST_P(GridAmounts, AreGroupedRoundedAndRightAligned)
{
    EXPECT_EQ(tekstLiczby(GetParam().value), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Table, GridAmounts,
                         ::testing::Values(AmountCase{1234567.5, "   1 234 567,50"},
                                           AmountCase{-1234567.5, "    -1234567,50"},
                                           AmountCase{0.0, ""},
                                           AmountCase{std::nan(""), "            NAN"},
                                           AmountCase{-std::numeric_limits<double>::infinity(), "           -INF"},
                                           AmountCase{-0.004, "           0,00"},
                                           AmountCase{999999999.996, "1 000 000 000,00"},
                                           AmountCase{999999999999999.9, "999 999 999 999 999,90"},
                                           AmountCase{12.345, "          12,34"},  // ties to even
                                           AmountCase{0.001, "           0,00"},
                                           AmountCase{0.1 + 0.2, "           0,30"},
                                           // Longer than 15 characters: shown whole.
                                           AmountCase{12345678901.25, "12 345 678 901,25"},
                                           AmountCase{-99999999999.99, "-99999999999,99"},
                                           AmountCase{1e16, "           1E16"}),
                         CaseIndex());

// Every text of a value, general, TXT, CSV, the report's masks and the grid, against Python's
// decimal arithmetic on a sample across the whole range (the million: the number-oracle target).
TEST(NumberTexts, AgreeWithADecimalOracle)
{
    QByteArray out, err;
    EXPECT_EQ(testsupport::run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/tools/number_oracle.py", KWERIX_NUMBER_TEXTS, "30000"},
                               &out, &err),
              0)
        << out.toStdString() << err.toStdString();
}

} // namespace
