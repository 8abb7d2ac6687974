// Numbers read from and written as text, independent of the process locale.
//
// The GUI toolkit switches the C locale to the user's (a Russian desktop
// writes "1,500"), but the module, the tree files and the configuration files
// always use a decimal point. Everything here uses the "C" conventions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::numbers {

// The integer of the longest leading run of blanks, an optional sign and
// decimal digits, as atoi reads it: a text without digits reads 0, trailing
// characters are ignored; values beyond the 32-bit range saturate.
std::int32_t leadingInteger(std::string_view text);

// The real of the longest leading decimal number (blanks, sign, digits,
// decimal point, exponent), as atof reads it; 0 when there is none.
double leadingReal(std::string_view text);

// The real when the whole text is one decimal number (leading blanks
// allowed, nothing after it); empty otherwise.
std::optional<double> wholeReal(std::string_view text);

// An integer in the forms printf's "%i" accepts on input: decimal, 0x
// hexadecimal, or octal after a leading 0, with an optional sign. Trailing
// characters are ignored as scanf ignores them; no leading number → empty.
// Values beyond the 64-bit range saturate, as strtoll reads them.
std::optional<std::int64_t> scanInteger(std::string_view text);

// "%.<decimals>f" with a decimal point.
std::string fixed(double value, int decimals);

}  // namespace tarn::numbers
