#include "platform/numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace tarn::numbers {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skipBlanks(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

// Length of the decimal number starting at text[0] (after any sign), as
// strtod would accept it; 0 when no digits.
std::size_t realLength(std::string_view text) {
    std::size_t pos = 0;
    std::size_t digits = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exp = pos + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) {
            ++exp;
        }
        if (exp < text.size() && isDigit(text[exp])) {
            while (exp < text.size() && isDigit(text[exp])) {
                ++exp;
            }
            pos = exp;
        }
    }
    return pos;
}

// Parses a real at the start of `text`; returns the value and the number of
// characters consumed (0 when there is no number).
std::pair<double, std::size_t> parseReal(std::string_view text) {
    std::size_t pos = skipBlanks(text);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t length = realLength(text.substr(pos));
    if (length == 0) {
        return {0.0, 0};
    }
    double value = 0.0;
    const char* first = text.data() + pos;
    const auto result = std::from_chars(first, first + length, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value untouched on overflow; strtod gives
        // HUGE_VAL, and underflow 0.
        bool hasNonZeroDigit = false;
        for (std::size_t i = 0; i < length && first[i] != 'e' && first[i] != 'E'; ++i) {
            hasNonZeroDigit = hasNonZeroDigit || (isDigit(first[i]) && first[i] != '0');
        }
        const auto expPos = std::string_view(first, length).find_first_of("eE");
        const bool bigExponent = expPos != std::string_view::npos && first[expPos + 1] != '-';
        value = hasNonZeroDigit && bigExponent ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return {negative ? -value : value, pos + length};
}

}  // namespace

std::int32_t leadingInteger(std::string_view text) {
    std::size_t pos = skipBlanks(text);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    while (pos < text.size() && isDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        if (value > kLimit) {
            value = kLimit;
        }
        ++pos;
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        value = std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

double leadingReal(std::string_view text) {
    return parseReal(text).first;
}

std::optional<double> wholeReal(std::string_view text) {
    const auto [value, used] = parseReal(text);
    if (used == 0 || used != text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> scanInteger(std::string_view text) {
    std::size_t pos = skipBlanks(text);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos + 1 < text.size() && text[pos] == '0' &&
        (text[pos + 1] == 'x' || text[pos + 1] == 'X') && pos + 2 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[pos + 2]))) {
        base = 16;
        pos += 2;
    } else if (pos < text.size() && text[pos] == '0') {
        base = 8;
    }
    // The magnitude saturates at 2^63, the largest a signed 64-bit value of
    // either sign can take (strtoll saturates alike).
    constexpr std::uint64_t kMaxMagnitude = std::uint64_t{1} << 63;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        int d = -1;
        if (isDigit(c)) {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        }
        if (d < 0 || d >= base) {
            break;
        }
        const auto digit = static_cast<std::uint64_t>(d);
        const auto radix = static_cast<std::uint64_t>(base);
        value = value <= (kMaxMagnitude - digit) / radix ? value * radix + digit : kMaxMagnitude;
        ++digits;
        ++pos;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (negative) {
        return value == kMaxMagnitude ? std::numeric_limits<std::int64_t>::min()
                                      : -static_cast<std::int64_t>(value);
    }
    return value == kMaxMagnitude ? std::numeric_limits<std::int64_t>::max()
                                  : static_cast<std::int64_t>(value);
}

std::string fixed(double value, int decimals) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    }
    return std::string(buffer, result.ptr);
}

}  // namespace tarn::numbers
