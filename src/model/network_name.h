// Network names of the hash-name protocol: their 7-bit character codes and
// the 16-bit name hash that identifies a parameter on the wire, in
// configuration files and in the HTML list.
//
// A network name has up to four coded characters from "0"-"9", "A"-"Z", "-",
// "_", "/" and space, each optionally followed by a dot ("A.Len", "r.oe.s").
// A character's code is twice its alphabet index, plus 1 when a dot follows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarn {

using NameCodes = std::array<std::uint8_t, 4>;

// Code of a position the name does not fill (a space).
inline constexpr std::uint8_t kNameCodeSpace = 78;
// Codes from this value on are not valid.
inline constexpr std::uint8_t kNameCodeLimit = 80;

// Alphabet index of a character: digits 0-9, letters (either case) 10-35,
// "-" 36, "_" 37, "/" 38, space 39; -1 for anything else.
int nameAlphabetIndex(char c);

// The character of an alphabet index (0-9 digit, 10-35 letter, 36 "-",
// 37 "_", 38 "/", anything else a space).
char nameAlphabetChar(int index);

// The text of one name code: its character, followed by "." for odd codes.
std::string nameCodeText(std::uint8_t code);

// The four codes used for hashing: at most the first 8 characters,
// upper-cased; characters outside digits, letters, space, "_" and "-" (and a
// dot at the very start) are skipped silently.
NameCodes hashNameCodes(std::string_view name);

// One step of the protocol's CRC: feeds the low `bits` bits of `value`, most
// significant first, through the register (polynomial 0x8F57, no reflection,
// no final exclusive-or).
std::uint16_t crc8F57(std::uint16_t reg, std::uint32_t value, int bits);

// The 16-bit hash of a network name; an empty name hashes to 0.
std::uint16_t NetNameHash(std::string_view name);

}  // namespace tarn
