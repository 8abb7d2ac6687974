#include "comm/probe_framing.h"

#include <gtest/gtest.h>

#include "comm/link_context.h"

namespace tarn {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(ProbeFraming, CheckValues) {
    // Reference values of the worked examples published for Modbus framing.
    const std::vector<std::uint8_t> request = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A};
    EXPECT_EQ(modbusCrc16(request), 0xCDC5);
    EXPECT_EQ(modbusLrc(request), 0xF2);
    EXPECT_EQ(characterSum("%10BRIX"),
              static_cast<std::uint8_t>('%' + '1' + '0' + 'B' + 'R' + 'I' + 'X'));
}

TEST(ProbeFraming, Probes) {
    const std::string rtu = buildProbe(kProtocolModbusRtu, 16);
    ASSERT_EQ(rtu.size(), 8u);
    EXPECT_EQ(bytesOf(rtu.substr(0, 6)),
              (std::vector<std::uint8_t>{0x10, 0x05, 0xF0, 0xF0, 0xFF, 0x00}));
    const std::uint16_t crc = modbusCrc16(bytesOf(rtu.substr(0, 6)));  // low byte first
    EXPECT_EQ(static_cast<std::uint8_t>(rtu[6]), crc & 0xFF);
    EXPECT_EQ(static_cast<std::uint8_t>(rtu[7]), crc >> 8);
    // LRC of 10 05 F0 F0 FF 00: sum 0x2F4, low byte F4, negated 0C.
    EXPECT_EQ(buildProbe(kProtocolModbusAscii, 16), ":1005F0F0FF000C\r\n");
    const std::string dcon = buildProbe(kProtocolDcon, 0xAB);
    EXPECT_EQ(dcon.substr(0, 7), "%ABBRIX");
    char sum[3];
    std::snprintf(sum, sizeof sum, "%02X", characterSum("%ABBRIX"));
    EXPECT_EQ(dcon.substr(7), std::string(sum) + "\r");
    EXPECT_EQ(buildProbe(0, 16), "");
}

TEST(ProbeFraming, AnswerChecks) {
    for (const int selector : {kProtocolModbusRtu, kProtocolModbusAscii}) {
        const std::string echo = buildProbe(selector, 16);
        EXPECT_EQ(checkProbeAnswer(selector, 16, echo), ProbeResult::Answered) << selector;
        EXPECT_EQ(checkProbeAnswer(selector, 17, echo), ProbeResult::WrongAddress) << selector;
        EXPECT_EQ(checkProbeAnswer(selector, 16, ""), ProbeResult::BadAnswer) << selector;
    }
    // Other data with a good check value.
    const std::vector<std::uint8_t> other = {0x05, 0xF0, 0xF0, 0x00, 0x00};
    EXPECT_EQ(checkProbeAnswer(kProtocolModbusRtu, 16, encodeModbusRtu(16, other)),
              ProbeResult::BadAnswer);
    EXPECT_EQ(checkProbeAnswer(kProtocolModbusAscii, 16, encodeModbusAscii(16, other)),
              ProbeResult::BadAnswer);
    // A damaged check value.
    std::string rtu = buildProbe(kProtocolModbusRtu, 16);
    rtu.back() ^= 0x01;
    EXPECT_EQ(checkProbeAnswer(kProtocolModbusRtu, 16, rtu), ProbeResult::BadCheck);
    std::string ascii = buildProbe(kProtocolModbusAscii, 16);
    ascii[ascii.size() - 3] = ascii[ascii.size() - 3] == '0' ? '1' : '0';
    EXPECT_EQ(checkProbeAnswer(kProtocolModbusAscii, 16, ascii), ProbeResult::BadCheck);
    EXPECT_EQ(checkProbeAnswer(kProtocolModbusAscii, 16, ":10Z5F0F0FF000C\r"),
              ProbeResult::BadAnswer);

    // DCON style: the answer starts with '!'; the request itself is no answer.
    const std::string answer = encodeDcon('!', 16, "TARN");
    EXPECT_EQ(checkProbeAnswer(kProtocolDcon, 16, answer), ProbeResult::Answered);
    EXPECT_EQ(checkProbeAnswer(kProtocolDcon, 32, answer), ProbeResult::WrongAddress);
    EXPECT_EQ(checkProbeAnswer(kProtocolDcon, 16, buildProbe(kProtocolDcon, 16)),
              ProbeResult::BadAnswer);
    std::string damaged = answer;
    damaged[4] = 'X';
    EXPECT_EQ(checkProbeAnswer(kProtocolDcon, 16, damaged), ProbeResult::BadCheck);
}

}  // namespace
}  // namespace tarn
