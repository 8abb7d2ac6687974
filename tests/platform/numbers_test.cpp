#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

namespace tarn::numbers {
namespace {

TEST(Numbers, LeadingIntegerReadsLikeAtoi) {
    EXPECT_EQ(leadingInteger("  -42xyz"), -42);
    EXPECT_EQ(leadingInteger("+7"), 7);
    EXPECT_EQ(leadingInteger("abc12"), 0);
    EXPECT_EQ(leadingInteger(""), 0);
    EXPECT_EQ(leadingInteger("99999999999"), 2147483647);
    EXPECT_EQ(leadingInteger("-99999999999"), -2147483647 - 1);
}

TEST(Numbers, RealsParseWithADecimalPointWhateverTheLocale) {
    // A Russian desktop locale writes a decimal comma; files never do.
    const char* previous = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8");
    EXPECT_DOUBLE_EQ(leadingReal("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(leadingReal(" -2.25e2kg"), -225.0);
    EXPECT_DOUBLE_EQ(leadingReal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingReal("x1"), 0.0);
    EXPECT_DOUBLE_EQ(leadingReal("3e"), 3.0);
    EXPECT_EQ(fixed(1.0, 3), "1.000");
    EXPECT_EQ(fixed(-0.0005, 3), "-0.001");
    if (previous != nullptr) {
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST(Numbers, WholeRealRejectsTrailingCharacters) {
    EXPECT_EQ(wholeReal("12"), 12.0);
    EXPECT_EQ(wholeReal(" 12.5"), 12.5);
    EXPECT_FALSE(wholeReal("12 "));
    EXPECT_FALSE(wholeReal("12a"));
    EXPECT_FALSE(wholeReal(""));
    EXPECT_FALSE(wholeReal("-"));
}

TEST(Numbers, ScanIntegerAcceptsTheFormsOfPercentI) {
    EXPECT_EQ(scanInteger("19200"), 19200);
    EXPECT_EQ(scanInteger("0x10"), 16);
    EXPECT_EQ(scanInteger("010"), 8);
    EXPECT_EQ(scanInteger("0"), 0);
    EXPECT_EQ(scanInteger("-5"), -5);
    EXPECT_EQ(scanInteger("09"), 0);  // octal stops at the 9
    EXPECT_EQ(scanInteger("12abc"), 12);
    EXPECT_FALSE(scanInteger("abc"));
    EXPECT_FALSE(scanInteger(""));
}

TEST(Numbers, ScanIntegerSaturatesBeyondSixtyFourBits) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(scanInteger("0x7FFFFFFFFFFFFFFF"), kMax);
    EXPECT_EQ(scanInteger("-0x8000000000000000"), kMin);
    EXPECT_EQ(scanInteger("0x8000000000000000"), kMax);
    EXPECT_EQ(scanInteger("0xFFFFFFFFFFFFFFFF"), kMax);
    EXPECT_EQ(scanInteger("-0xFFFFFFFFFFFFFFFFFF"), kMin);
    EXPECT_EQ(scanInteger("99999999999999999999"), kMax);
    EXPECT_EQ(scanInteger("-9223372036854775807"), kMin + 1);
    EXPECT_EQ(scanInteger("01777777777777777777777"), kMax);
}

}  // namespace
}  // namespace tarn::numbers
