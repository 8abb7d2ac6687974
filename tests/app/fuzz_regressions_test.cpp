// Command lines that once broke the parser under the fuzzer.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "support/fuzz_inputs.h"

namespace tarn {
namespace {

// The arguments of a kept input: cut at every NUL byte, as the fuzzer does.
std::vector<std::string> arguments(const std::string& bytes) {
    std::vector<std::string> cut;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        cut.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return cut;
}

TEST(CommandLineFuzzRegressions, KeptInputsParseWithinTheirBounds) {
    const auto inputs = testing::keptFuzzInputs("command_line");
    ASSERT_FALSE(inputs.empty());
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.name);
        const CommandLine line = parseCommandLine(arguments(input.bytes));
        EXPECT_TRUE(line.unattended());
        EXPECT_LE(line.address.size(), 5u);
        EXPECT_LE(line.stopBits.size(), 4u);
    }
}

TEST(CommandLineFuzzRegressions, NumbersOfSixtyFourBitMagnitudeSaturateBeforeTheyAreCut) {
    // -2^63 once was negated as a signed 64-bit value. Saturated values are
    // then cut to the option's width like any other number.
    const CommandLine line = parseCommandLine(
        arguments(testing::keptFuzzInput("command_line", "hex_magnitude_2_pow_63")));
    EXPECT_EQ(line.x, static_cast<std::int32_t>(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(line.y, static_cast<std::int32_t>(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(line.baudRate, static_cast<std::uint32_t>(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(line.w, static_cast<std::int32_t>(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(line.flagsC, CommandLine::kXGiven | CommandLine::kYGiven | CommandLine::kWGiven);
}

}  // namespace
}  // namespace tarn
