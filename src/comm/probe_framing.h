// Framings of other protocols that the connection search probes with, to
// recognise a module that answers on the line in another protocol:
//   Modbus RTU    address, data, CRC-16/MODBUS low byte first (binary)
//   Modbus ASCII  ':', address and data as hexadecimal pairs, LRC pair, CR LF
//   DCON style    '%', address pair, "BRIX", 8-bit sum pair, CR; the
//                 answer starts with '!' instead of '%'
// The probe asks for data 05 F0 F0 FF 00 (Modbus: force coil 0xF0F0 on),
// which a Modbus device echoes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

inline constexpr std::array<std::uint8_t, 5> kProbeData = {0x05, 0xF0, 0xF0, 0xFF, 0x00};
inline constexpr std::string_view kDconProbeText = "BRIX";

// Results of a probe (LinkErrorText gives their texts).
enum class ProbeResult : int {
    Answered = 0,
    Timeout = 2,
    LineErrors = 3,
    BadCheck = 4,      // the answer's check value is wrong
    WrongAddress = 5,  // another device answered
    BadAnswer = 6,     // empty, malformed, or other data
    NotPossible = -1,  // no probe with 11-bit addressing, or an unknown framing
};

// CRC-16/MODBUS: initial 0xFFFF, reflected polynomial 0xA001.
std::uint16_t modbusCrc16(std::span<const std::uint8_t> bytes);
// Two's complement of the 8-bit sum.
std::uint8_t modbusLrc(std::span<const std::uint8_t> bytes);
// 8-bit sum of the characters.
std::uint8_t characterSum(std::string_view text);

// One message of a framing: an address and data bytes (for DCON style the
// characters between the address and the check value).
struct ProbeMessage {
    int address = 0;
    std::vector<std::uint8_t> data;
    bool checkOk = false;
};

std::string encodeModbusRtu(int address, std::span<const std::uint8_t> data);
std::string encodeModbusAscii(int address, std::span<const std::uint8_t> data);
// `lead` is '%' for a request, '!' for an answer.
std::string encodeDcon(char lead, int address, std::string_view payload);

// Empty when the text is not of the framing at all (too short, wrong lead
// character, characters that are not hexadecimal digits).
std::optional<ProbeMessage> decodeModbusRtu(std::string_view wire);
std::optional<ProbeMessage> decodeModbusAscii(std::string_view wire);
std::optional<ProbeMessage> decodeDcon(char lead, std::string_view wire);

// The probe of framing `selector` (1 RTU, 2 ASCII, 3 DCON style) to `address`.
std::string buildProbe(int selector, int address);
// Checks an answer to that probe: Answered, BadCheck, WrongAddress or
// BadAnswer.
ProbeResult checkProbeAnswer(int selector, int address, std::string_view answer);

}  // namespace tarn
