#include "comm/frame_codec.h"

#include "model/network_name.h"

namespace tarn {
namespace {

constexpr char kNibbleBase = 'G';

std::uint8_t nibbleOf(char c) {
    const int value = c - kNibbleBase;
    return (value >= 0 && value <= 15) ? static_cast<std::uint8_t>(value) : 0;
}

std::uint16_t checksumOf(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    hash_buffer(bytes.data(), bytes.size(), crc, 0);
    return crc;
}

}  // namespace

int hash_buffer(const std::uint8_t* bytes, std::size_t count, std::uint16_t& crc,
                std::uint16_t seed) {
    std::uint16_t reg = seed;
    for (std::size_t i = 0; i < count; ++i) {
        reg = crc8F57(reg, bytes[i], 8);
    }
    crc = reg;
    return 1;
}

int encode_buffer(const std::uint8_t* bytes, std::size_t count, char* characters) {
    for (std::size_t i = 0; i < count; ++i) {
        characters[2 * i] = static_cast<char>(kNibbleBase + (bytes[i] >> 4));
        characters[2 * i + 1] = static_cast<char>(kNibbleBase + (bytes[i] & 0x0F));
    }
    return 1;
}

void decode_buffer(const char* characters, std::size_t count, std::uint8_t* bytes) {
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        bytes[i / 2] =
            static_cast<std::uint8_t>((nibbleOf(characters[i]) << 4) | nibbleOf(characters[i + 1]));
    }
}

std::vector<std::uint8_t> frameBytes(const Frame& frame, int addressLength) {
    const auto length = static_cast<std::uint8_t>(frame.data.size() & 0x0F);
    const std::uint8_t request = frame.readFlag ? 0x10 : 0x00;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kFrameHeaderBytes + frame.data.size() + 2);
    if (addressLength == 11) {
        bytes.push_back(static_cast<std::uint8_t>((frame.address >> 3) & 0xFF));
        bytes.push_back(
            static_cast<std::uint8_t>(((frame.address & 0x07) << 5) | request | length));
    } else {
        bytes.push_back(static_cast<std::uint8_t>(frame.address & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(request | length));
    }
    bytes.push_back(static_cast<std::uint8_t>(frame.hash >> 8));
    bytes.push_back(static_cast<std::uint8_t>(frame.hash & 0xFF));
    for (const std::uint8_t byte : frame.data) {
        bytes.push_back(byte);
    }
    const std::uint16_t crc = checksumOf(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return bytes;
}

std::string encodeFrame(const Frame& frame, int addressLength) {
    const auto bytes = frameBytes(frame, addressLength);
    std::string wire(2 * bytes.size() + 2, kFrameStart);
    encode_buffer(bytes.data(), bytes.size(), wire.data() + 1);
    wire.back() = kFrameEnd;
    return wire;
}

std::optional<ParsedFrame> parseFrame(std::string_view wire, int addressLength) {
    if (wire.empty() || wire.front() != kFrameStart) {
        return std::nullopt;
    }
    wire.remove_prefix(1);
    if (!wire.empty() && wire.back() == kFrameEnd) {
        wire.remove_suffix(1);
    }
    std::vector<std::uint8_t> bytes(wire.size() / 2);
    decode_buffer(wire.data(), wire.size(), bytes.data());
    if (bytes.size() < kFrameHeaderBytes + 2) {
        return std::nullopt;
    }
    const std::size_t n = bytes[1] & 0x0F;
    if (bytes.size() < kFrameHeaderBytes + n + 2) {
        return std::nullopt;
    }
    ParsedFrame parsed;
    Frame& frame = parsed.frame;
    if (addressLength == 11) {
        frame.address = (bytes[0] << 3) | (bytes[1] >> 5);
    } else {
        frame.address = bytes[0];
    }
    frame.readFlag = (bytes[1] & 0x10) != 0;
    frame.hash = static_cast<std::uint16_t>((bytes[2] << 8) | bytes[3]);
    frame.data.assign(bytes.begin() + kFrameHeaderBytes, bytes.begin() + kFrameHeaderBytes + n);
    const std::size_t crcAt = kFrameHeaderBytes + n;
    const auto received = static_cast<std::uint16_t>((bytes[crcAt] << 8) | bytes[crcAt + 1]);
    parsed.checksumOk = bytes.size() == crcAt + 2 && checksumOf({bytes.data(), crcAt}) == received;
    return parsed;
}

AnswerCheck checkAnswer(std::string_view answer, std::uint16_t command) {
    AnswerCheck check;
    if (answer.size() < 2) {
        return check;
    }
    const std::size_t count = answer.size() - 2;
    std::vector<std::uint8_t> bytes(count / 2);
    decode_buffer(answer.data() + 1, count, bytes.data());
    const std::size_t m = bytes.size();
    if (m < kFrameHeaderBytes + 2) {
        return check;
    }
    const std::size_t n = bytes[1] & 0x0F;
    if (m < kFrameHeaderBytes + n + 2) {
        // The length field points past the answer: there is no checksum to
        // compare with.
        return check;
    }
    const auto received = static_cast<std::uint16_t>((bytes[kFrameHeaderBytes + n] << 8) |
                                                     bytes[kFrameHeaderBytes + n + 1]);
    if (checksumOf({bytes.data(), m - 2}) != received) {
        return check;
    }
    check.hash = static_cast<std::uint16_t>((bytes[2] << 8) | bytes[3]);
    check.data.assign(bytes.begin() + kFrameHeaderBytes, bytes.begin() + kFrameHeaderBytes + n);
    if (check.hash == command) {
        check.verdict = AnswerVerdict::Accepted;
    } else if (check.hash == kHashNErr) {
        check.verdict = AnswerVerdict::DeviceError;
    } else {
        check.verdict = AnswerVerdict::OtherCommand;
    }
    return check;
}

}  // namespace tarn
