#include "comm/line_settings.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <vector>

#include "comm/answer_collector.h"

namespace tarn {
namespace {

TEST(LineTimeouts, NineThousandSixHundredEightNoneOne) {
    const auto t = computeLineTimeouts({9600, 8, Parity::None, 1});
    EXPECT_NEAR(t.characterTime, 1.0417, 0.0001);
    EXPECT_EQ(t.readInterval, 2);
    EXPECT_EQ(t.readMultiplier, 4);
    EXPECT_EQ(t.readConstant, 50);
    EXPECT_EQ(t.writeMultiplier, 10);
    EXPECT_EQ(t.writeConstant, 500);
    EXPECT_EQ(t.answerTimeout, 170);
}

TEST(LineTimeouts, ParityAndStopBitsLengthenTheCharacter) {
    // 1 + 8 + 1 + 2 = 12 bits at 110 baud: 109.09 ms a character.
    const auto slow = computeLineTimeouts({110, 8, Parity::Even, 2});
    EXPECT_NEAR(slow.characterTime, 109.0909, 0.001);
    EXPECT_EQ(slow.readInterval, 164);
    EXPECT_EQ(slow.readMultiplier, 274);
    EXPECT_EQ(slow.answerTimeout, 274 * 30 + 50);
    // Mark and space parity add a bit too; no parity adds none.
    EXPECT_EQ(bitsPerCharacter({9600, 7, Parity::Mark, 1}), 10);
    EXPECT_EQ(bitsPerCharacter({9600, 7, Parity::Space, 1}), 10);
    EXPECT_EQ(bitsPerCharacter({9600, 7, Parity::None, 1}), 9);
    // 115200 8N1: the read interval rounds up to 1 ms.
    const auto fast = computeLineTimeouts({115200, 8, Parity::None, 1});
    EXPECT_EQ(fast.readInterval, 1);
    EXPECT_EQ(fast.readMultiplier, 2);
    EXPECT_EQ(fast.answerTimeout, 110);
}

TEST(LineTimeouts, AllowedSpeeds) {
    for (const int baud : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 28800, 38400, 56000,
                           57600, 115200, 128000}) {
        EXPECT_TRUE(isAllowedBaudRate(baud)) << baud;
    }
    for (const int baud : {0, 250, 256000, 230400, 9601, -9600}) {
        EXPECT_FALSE(isAllowedBaudRate(baud)) << baud;
    }
}

TEST(LineFraming, EveryFramingHasItsOwnFlags) {
    std::vector<std::uint32_t> seen;
    for (int dataBits = 5; dataBits <= 8; ++dataBits) {
        for (const Parity parity :
             {Parity::None, Parity::Even, Parity::Mark, Parity::Odd, Parity::Space}) {
            for (int stopBits = 1; stopBits <= 2; ++stopBits) {
                const LineSettings settings{4800, dataBits, parity, stopBits};
                const std::uint32_t flags = line::framingFlags(settings);
                EXPECT_EQ(line::fromFramingFlags(flags, 4800), settings)
                    << dataBits << " " << static_cast<int>(parity) << " " << stopBits;
                EXPECT_EQ(std::count(seen.begin(), seen.end(), flags), 0);
                seen.push_back(flags);
            }
        }
    }
    // No parity sets no parity flag.
    EXPECT_EQ(line::framingFlags({9600, 8, Parity::None, 1}) & PARENB, 0u);
}

TEST(AnswerCollector, CollectsUpToTheCarriageReturn) {
    AnswerCollector collector(AnswerCollector::End::CarriageReturn);
    collector.feed("#HGH");
    EXPECT_FALSE(collector.complete());
    collector.feed("G\rlate");
    EXPECT_TRUE(collector.complete());
    EXPECT_EQ(collector.answer(), "#HGHG\r");
}

TEST(AnswerCollector, LongAnswersAreCutTo31Characters) {
    AnswerCollector collector(AnswerCollector::End::CarriageReturn);
    const std::string longAnswer = "#" + std::string(40, 'H') + "\r";
    collector.feed(longAnswer.substr(0, 20));
    collector.feed(longAnswer.substr(20));
    EXPECT_TRUE(collector.complete());
    EXPECT_EQ(collector.answer(), longAnswer.substr(0, 31));
}

TEST(AnswerCollector, MarkedLineErrorsAndDoubledFF) {
    {
        // A real 0xFF arrives doubled, possibly split across two reads.
        AnswerCollector collector(AnswerCollector::End::CarriageReturn);
        collector.feed("#\xFF");
        collector.feed(
            "\xFF"
            "A\r");
        EXPECT_FALSE(collector.lineError());
        EXPECT_EQ(collector.answer(),
                  "#\xFF"
                  "A\r");
    }
    {
        AnswerCollector collector(AnswerCollector::End::CarriageReturn);
        collector.feed(std::string("#H\xFF\x00", 4));
        EXPECT_FALSE(collector.lineError());
        collector.feed(std::string("\x00", 1));  // break
        EXPECT_TRUE(collector.lineError());
        EXPECT_FALSE(collector.complete());
    }
    {
        AnswerCollector collector(AnswerCollector::End::CarriageReturn);
        collector.feed(
            std::string("#\xFF\x00"
                        "G\r",
                        5));  // parity error on 'G'
        EXPECT_TRUE(collector.lineError());
        EXPECT_FALSE(collector.complete());
    }
}

TEST(AnswerCollector, SilenceEndedAnswersKeepCarriageReturns) {
    AnswerCollector collector(AnswerCollector::End::Silence);
    EXPECT_FALSE(collector.anyCharacter());
    collector.feed(std::string("\x10\x05\r\x00", 4));
    EXPECT_FALSE(collector.complete());
    EXPECT_TRUE(collector.anyCharacter());
    collector.feed(std::string(40, 'x'));
    EXPECT_EQ(collector.answer().size(), kAnswerCapacity);
    EXPECT_EQ(collector.answer().substr(0, 4), std::string("\x10\x05\r\x00", 4));
}

}  // namespace
}  // namespace tarn
