#include "query/NumberText.h"
#include "support/TestSupport.h"

#include <cmath>

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
                                           AmountCase{std::nan(""), ""},
                                           AmountCase{12.345, "          12,34"},  // ties to even
                                           AmountCase{0.001, "           0,00"},
                                           AmountCase{0.1 + 0.2, "           0,30"},
                                           // Longer than 15 characters: shown whole.
                                           AmountCase{12345678901.25, "12 345 678 901,25"},
                                           AmountCase{-99999999999.99, "-99999999999,99"},
                                           AmountCase{1e16, "           1E16"}),
                         CaseIndex());

} // namespace
