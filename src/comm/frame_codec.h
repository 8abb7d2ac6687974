// Frames of the hash-name protocol.
//
// A frame is a 4-byte header, up to 15 data bytes and a 16-bit checksum:
//   byte 0      address (8-bit addressing), or address bits 10..3 (11-bit)
//   byte 1      bits 7..5 address bits 2..0 (11-bit addressing, else 0),
//               bit 4 request flag (1 = read), bits 3..0 data length n
//   bytes 2, 3  name hash, high byte first
//   4 .. 3+n    data
//   4+n, 5+n    checksum, high byte first
// On the wire each byte is two characters, high nibble first, nibble v as
// the character 'G' + v, between '#' and a carriage return.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

inline constexpr std::uint16_t kHashNErr = 0x0233;  // "n.Err", the error answer
inline constexpr std::uint16_t kHashAply = 0x8403;  // "APLY", answered by nobody
inline constexpr char kFrameStart = '#';
inline constexpr char kFrameEnd = '\r';
inline constexpr std::size_t kFrameHeaderBytes = 4;
inline constexpr std::size_t kMaxFrameData = 15;

// CRC-16 (polynomial 0x8F57, most significant bit first, no reflection) of
// whole bytes, starting from `seed`. Always succeeds (returns 1).
int hash_buffer(const std::uint8_t* bytes, std::size_t count, std::uint16_t& crc,
                std::uint16_t seed = 0);
// 2 x count characters 'G'..'V'. Always succeeds (returns 1).
int encode_buffer(const std::uint8_t* bytes, std::size_t count, char* characters);
// count / 2 bytes; a character outside 'G'..'V' counts as nibble 0.
void decode_buffer(const char* characters, std::size_t count, std::uint8_t* bytes);

struct Frame {
    int address = 0;
    bool readFlag = false;
    std::uint16_t hash = 0;
    std::vector<std::uint8_t> data;

    bool operator==(const Frame&) const = default;
};

// Header, data and checksum. Only the low 4 bits of the data length go
// into the header; 11-bit addressing exactly when `addressLength` is 11.
std::vector<std::uint8_t> frameBytes(const Frame& frame, int addressLength);
// The characters on the wire, start and end character included.
std::string encodeFrame(const Frame& frame, int addressLength);

// A frame read off the wire. `checksumOk` is false when the checksum does
// not match; the other fields are filled all the same.
struct ParsedFrame {
    Frame frame;
    bool checksumOk = false;
};
// Parses "#...\r" (the end character may be missing); empty when the text
// does not start with '#', holds fewer than the 6 bytes of an empty frame,
// or fewer bytes than its length field says.
std::optional<ParsedFrame> parseFrame(std::string_view wire, int addressLength);

// What the answer to a request says, checked in the order the protocol
// requires.
enum class AnswerVerdict {
    Accepted,      // the answer carries the command's hash
    BadChecksum,   // checksum wrong, or too short to carry one
    DeviceError,   // an n.Err answer; its data hold the error code
    OtherCommand,  // the hash of some other command
};
struct AnswerCheck {
    AnswerVerdict verdict = AnswerVerdict::BadChecksum;
    std::uint16_t hash = 0;
    std::vector<std::uint8_t> data;  // the n data bytes (empty for BadChecksum)
};
// `answer` as collected: '#', the characters, usually the carriage return.
// The characters between the first and the last are decoded.
AnswerCheck checkAnswer(std::string_view answer, std::uint16_t command);

}  // namespace tarn
