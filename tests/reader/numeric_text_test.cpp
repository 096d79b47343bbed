#include "numeric_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct BaudCase {
    std::string text;
    std::string separator;
    std::int32_t baud;
};

// Keeps test names readable when ctest lists them.
void PrintTo(const BaudCase& c, std::ostream* os) {
    *os << '"' << c.text << "\" with \"" << c.separator << '"';
}

class BaudFromTextTest : public ::testing::TestWithParam<BaudCase> {};

TEST_P(BaudFromTextTest, GivesTheRoundedValueOrTheDefault) {
    const BaudCase& c = GetParam();
    EXPECT_EQ(qor::BaudFromText(c.text, c.separator), c.baud)
        << "text '" << c.text << "' separator '" << c.separator << "'";
}

INSTANTIATE_TEST_SUITE_P(
    NumericTexts, BaudFromTextTest,
    ::testing::Values(BaudCase{"19200", ".", 19200}, BaudCase{" 19200 ", ".", 19200},
                      BaudCase{"\t38400\t", ".", 38400}, BaudCase{"57600", ".", 57600},
                      BaudCase{"-5", ".", -5}, BaudCase{"+7", ".", 7},
                      // Halves go to the even neighbour, whichever way that is.
                      BaudCase{"2.5", ".", 2}, BaudCase{"3.5", ".", 4}, BaudCase{"-2.5", ".", -2},
                      BaudCase{"2.51", ".", 3}, BaudCase{".5", ".", 0}, BaudCase{"5.", ".", 5},
                      BaudCase{"1.5E3", ".", 1500}, BaudCase{"1.5e3", ".", 1500},
                      BaudCase{"96E+2", ".", 9600}, BaudCase{"192000e-1", ".", 19200},
                      // The separator is the locale's, whatever its length.
                      BaudCase{"2,5", ",", 2}, BaudCase{"1,5E3", ",", 1500},
                      BaudCase{"2\xD9\xAB"
                               "5",
                               "\xD9\xAB", 2},
                      BaudCase{"2.5", ",", 9600}));

INSTANTIATE_TEST_SUITE_P(NotNumericFallsBack, BaudFromTextTest,
                         ::testing::Values(BaudCase{"abc", ".", 9600}, BaudCase{"", ".", 9600},
                                           BaudCase{"   ", ".", 9600}, BaudCase{"+", ".", 9600},
                                           BaudCase{".", ".", 9600}, BaudCase{"1e", ".", 9600},
                                           BaudCase{"1e+", ".", 9600}, BaudCase{"0x10", ".", 9600},
                                           BaudCase{"1 000", ".", 9600},
                                           BaudCase{"1,000", ".", 9600}, BaudCase{"12a", ".", 9600},
                                           BaudCase{"- 5", ".", 9600}, BaudCase{"1.2.3", ".", 9600},
                                           BaudCase{"\xEF\xBC\x91", ".", 9600}));

INSTANTIATE_TEST_SUITE_P(
    OutOfRangeFallsBack, BaudFromTextTest,
    ::testing::Values(BaudCase{"2147483647", ".", 2147483647},
                      BaudCase{"-2147483648", ".", -2147483647 - 1},
                      BaudCase{"2147483647.4", ".", 2147483647}, BaudCase{"2147483648", ".", 9600},
                      BaudCase{"-2147483649", ".", 9600}, BaudCase{"2147483647.5", ".", 9600},
                      BaudCase{"1e10", ".", 9600}, BaudCase{"1e999", ".", 9600},
                      BaudCase{"-1e999", ".", 9600}, BaudCase{"1e-999", ".", 0}));

}  // namespace
