#include "model/network_name.h"

namespace tarn {

int nameAlphabetIndex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    switch (c) {
        case '-':
            return 36;
        case '_':
            return 37;
        case '/':
            return 38;
        case ' ':
            return 39;
        default:
            return -1;
    }
}

char nameAlphabetChar(int index) {
    if (index >= 0 && index <= 9) {
        return static_cast<char>('0' + index);
    }
    if (index >= 10 && index <= 35) {
        return static_cast<char>('A' + index - 10);
    }
    if (index == 36) {
        return '-';
    }
    if (index == 37) {
        return '_';
    }
    if (index == 38) {
        return '/';
    }
    return ' ';
}

std::string nameCodeText(std::uint8_t code) {
    std::string text(1, nameAlphabetChar(code / 2));
    if ((code & 1) != 0) {
        text.push_back('.');
    }
    return text;
}

NameCodes hashNameCodes(std::string_view name) {
    NameCodes codes = {kNameCodeSpace, kNameCodeSpace, kNameCodeSpace, kNameCodeSpace};
    std::size_t filled = 0;
    bool previousCoded = false;
    const std::string_view head = name.substr(0, 8);
    for (const char c : head) {
        if (c == '.') {
            // A dot marks the character before it; a leading dot, or one after
            // a skipped character or beyond the fourth position, is dropped.
            if (previousCoded && filled <= codes.size()) {
                codes[filled - 1] |= 1;
            }
            previousCoded = false;
            continue;
        }
        const int index = nameAlphabetIndex(c);
        if (index < 0 || index == 38) {  // "/" is not part of the hashed alphabet
            previousCoded = false;
            continue;
        }
        if (filled < codes.size()) {
            codes[filled] = static_cast<std::uint8_t>(index * 2);
            previousCoded = true;
        } else {
            previousCoded = false;
        }
        ++filled;
    }
    return codes;
}

std::uint16_t crc8F57(std::uint16_t reg, std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        const unsigned bit = (value >> i) & 1U;
        const unsigned top = (reg >> 15) & 1U;
        reg = static_cast<std::uint16_t>(reg << 1);
        if (bit != top) {
            reg ^= 0x8F57;
        }
    }
    return reg;
}

std::uint16_t NetNameHash(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    std::uint16_t reg = 0;
    for (const std::uint8_t code : hashNameCodes(name)) {
        reg = crc8F57(reg, code & 0x7F, 7);
    }
    return reg;
}

}  // namespace tarn
