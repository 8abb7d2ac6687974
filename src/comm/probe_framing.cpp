#include "comm/probe_framing.h"

#include <algorithm>

#include "comm/link_context.h"

namespace tarn {
namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

void appendHex(std::string& text, std::uint8_t byte) {
    text.push_back(kHexDigits[byte >> 4]);
    text.push_back(kHexDigits[byte & 0x0F]);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Hexadecimal pairs; empty when a character is not a digit or one is left over.
std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>((high << 4) | low));
    }
    return bytes;
}

std::string_view withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::uint16_t modbusCrc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

std::uint8_t modbusLrc(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    return static_cast<std::uint8_t>(-sum);
}

std::uint8_t characterSum(std::string_view text) {
    std::uint8_t sum = 0;
    for (const char c : text) {
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    }
    return sum;
}

std::string encodeModbusRtu(int address, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> bytes;
    bytes.push_back(static_cast<std::uint8_t>(address));
    bytes.insert(bytes.end(), data.begin(), data.end());
    const std::uint16_t crc = modbusCrc16(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return std::string(bytes.begin(), bytes.end());
}

std::string encodeModbusAscii(int address, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> bytes;
    bytes.push_back(static_cast<std::uint8_t>(address));
    bytes.insert(bytes.end(), data.begin(), data.end());
    std::string text = ":";
    for (const std::uint8_t byte : bytes) {
        appendHex(text, byte);
    }
    appendHex(text, modbusLrc(bytes));
    text += "\r\n";
    return text;
}

std::string encodeDcon(char lead, int address, std::string_view payload) {
    std::string text(1, lead);
    appendHex(text, static_cast<std::uint8_t>(address));
    text += payload;
    appendHex(text, characterSum(text));
    text += '\r';
    return text;
}

std::optional<ProbeMessage> decodeModbusRtu(std::string_view wire) {
    if (wire.size() < 4) {
        return std::nullopt;
    }
    const std::vector<std::uint8_t> bytes(wire.begin(), wire.end());
    ProbeMessage message;
    message.address = bytes[0];
    message.data.assign(bytes.begin() + 1, bytes.end() - 2);
    const auto received =
        static_cast<std::uint16_t>(bytes[bytes.size() - 2] | (bytes[bytes.size() - 1] << 8));
    message.checkOk = modbusCrc16({bytes.data(), bytes.size() - 2}) == received;
    return message;
}

std::optional<ProbeMessage> decodeModbusAscii(std::string_view wire) {
    wire = withoutLineEnd(wire);
    if (wire.empty() || wire.front() != ':') {
        return std::nullopt;
    }
    const auto bytes = hexBytes(wire.substr(1));
    if (!bytes || bytes->size() < 2) {
        return std::nullopt;
    }
    ProbeMessage message;
    message.address = bytes->front();
    message.data.assign(bytes->begin() + 1, bytes->end() - 1);
    message.checkOk = modbusLrc({bytes->data(), bytes->size() - 1}) == bytes->back();
    return message;
}

std::optional<ProbeMessage> decodeDcon(char lead, std::string_view wire) {
    wire = withoutLineEnd(wire);
    if (wire.size() < 5 || wire.front() != lead) {
        return std::nullopt;
    }
    const auto address = hexBytes(wire.substr(1, 2));
    const auto check = hexBytes(wire.substr(wire.size() - 2));
    if (!address || !check) {
        return std::nullopt;
    }
    ProbeMessage message;
    message.address = address->front();
    const std::string_view payload = wire.substr(3, wire.size() - 5);
    message.data.assign(payload.begin(), payload.end());
    message.checkOk = characterSum(wire.substr(0, wire.size() - 2)) == check->front();
    return message;
}

std::string buildProbe(int selector, int address) {
    switch (selector) {
        case kProtocolModbusRtu:
            return encodeModbusRtu(address, kProbeData);
        case kProtocolModbusAscii:
            return encodeModbusAscii(address, kProbeData);
        case kProtocolDcon:
            return encodeDcon('%', address, kDconProbeText);
        default:
            return {};
    }
}

ProbeResult checkProbeAnswer(int selector, int address, std::string_view answer) {
    std::optional<ProbeMessage> message;
    switch (selector) {
        case kProtocolModbusRtu:
            message = decodeModbusRtu(answer);
            break;
        case kProtocolModbusAscii:
            message = decodeModbusAscii(answer);
            break;
        case kProtocolDcon:
            message = decodeDcon('!', answer);
            break;
        default:
            break;
    }
    if (!message) {
        return ProbeResult::BadAnswer;
    }
    if (!message->checkOk) {
        return ProbeResult::BadCheck;
    }
    if (message->address != (address & 0xFF)) {
        return ProbeResult::WrongAddress;
    }
    if (selector != kProtocolDcon && !std::equal(message->data.begin(), message->data.end(),
                                                 kProbeData.begin(), kProbeData.end())) {
        return ProbeResult::BadAnswer;
    }
    return ProbeResult::Answered;
}

}  // namespace tarn
