// Text at the program's boundaries.
//
// Inside the program every text is UTF-8. The module, the tree files, the
// configuration files, the error log and the HTML export use the single-byte
// Windows code page 1251; these functions convert between the two and compare
// names the way the program compares them everywhere: without regard to case,
// for Latin and Cyrillic letters alike.
#pragma once

#include <string>
#include <string_view>

namespace tarn::text {

// CP1251 bytes to UTF-8. Every one of the 256 bytes has a character; the one
// byte CP1251 leaves unassigned (0x98) maps to U+0098 so that decoding and
// encoding round-trip every byte exactly.
std::string fromCp1251(std::string_view bytes);
// The same into `out`, whose storage is reused.
void fromCp1251(std::string_view bytes, std::string& out);

// UTF-8 to CP1251. A character CP1251 cannot hold, and every byte of malformed
// UTF-8, becomes one '?' (the replacement Windows itself uses), so the result
// always has exactly one byte per character of the input.
std::string toCp1251(std::string_view utf8);
// The same into `out`, replacing what it held and reusing its storage.
void toCp1251(std::string_view utf8, std::string& out);

// True when every character of the UTF-8 text has a CP1251 byte.
bool representableInCp1251(std::string_view utf8);

// Number of characters (code points) of a UTF-8 text; malformed bytes count
// one each.
std::size_t characterCount(std::string_view utf8);

// Case folding of Latin and Cyrillic letters (Ё/ё and the other letters of
// the CP1251 Cyrillic range included). Other characters are unchanged.
std::string toLower(std::string_view utf8);
std::string toUpper(std::string_view utf8);

// Case-insensitive comparison by the folding above: <0, 0, >0 like strcmp,
// ordering by the folded code points.
int compareNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// Replaces every occurrence of `from` by `to`.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace tarn::text
