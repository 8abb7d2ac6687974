#include "platform/text.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace tarn::text {
namespace {

// Code points of the CP1251 bytes 0x80..0xFF.
constexpr std::array<char32_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one code point at `pos` and advances it. Malformed sequences yield
// kInvalid and consume one byte.
char32_t nextCodePoint(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kInvalid;
    }
    if (pos + extra >= s.size()) {
        ++pos;
        return kInvalid;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto c = static_cast<unsigned char>(s[pos + i]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return kInvalid;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kInvalid;
    }
    pos += extra + 1;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// CP1251 byte of a code point, or -1.
int cp1251Byte(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<int>(cp);
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        return static_cast<int>(cp - 0x0410 + 0xC0);
    }
    for (std::size_t i = 0; i < 64; ++i) {  // 0x80..0xBF hold everything else
        if (kCp1251High[i] == cp) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

char32_t foldLower(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z') {
        return cp + 32;
    }
    if (cp >= 0x0410 && cp <= 0x042F) {
        return cp + 0x20;
    }
    if (cp >= 0x0400 && cp <= 0x040F) {
        return cp + 0x50;
    }
    if (cp == 0x0490) {
        return 0x0491;
    }
    return cp;
}

char32_t foldUpper(char32_t cp) {
    if (cp >= 'a' && cp <= 'z') {
        return cp - 32;
    }
    if (cp >= 0x0430 && cp <= 0x044F) {
        return cp - 0x20;
    }
    if (cp >= 0x0450 && cp <= 0x045F) {
        return cp - 0x50;
    }
    if (cp == 0x0491) {
        return 0x0490;
    }
    return cp;
}

template <typename Fold>
std::string mapCase(std::string_view s, Fold fold) {
    std::string out;
    out.reserve(s.size());
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::size_t start = pos;
        const char32_t cp = nextCodePoint(s, pos);
        if (cp == kInvalid) {
            out.append(s.substr(start, pos - start));
        } else {
            appendUtf8(out, fold(cp));
        }
    }
    return out;
}

// The length of the ASCII run at the start of `s`, eight bytes at a time.
std::size_t asciiPrefix(std::string_view s) {
    std::size_t n = 0;
    for (; n + 8 <= s.size(); n += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + n, 8);
        if ((word & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    while (n < s.size() && static_cast<unsigned char>(s[n]) < 0x80) {
        ++n;
    }
    return n;
}

}  // namespace

void fromCp1251(std::string_view bytes, std::string& out) {
    const std::size_t ascii = asciiPrefix(bytes);
    if (ascii == bytes.size()) {
        out.assign(bytes);
        return;
    }
    // Every byte's UTF-8 form and its length: one table look-up a byte and
    // no branch, for the configuration files are mostly Cyrillic texts.
    struct Sequence {
        std::array<char, 3> bytes;
        std::uint8_t length;
    };
    static constexpr auto kUtf8 = [] {
        std::array<Sequence, 256> table{};
        for (std::size_t i = 0; i < 128; ++i) {
            table[i] = {{static_cast<char>(i), 0, 0}, 1};
        }
        for (std::size_t i = 0; i < 128; ++i) {
            const char32_t cp = kCp1251High[i];
            if (cp < 0x800) {
                table[128 + i] = {
                    {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0},
                    2};
            } else {
                table[128 + i] = {{static_cast<char>(0xE0 | (cp >> 12)),
                                   static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                                   static_cast<char>(0x80 | (cp & 0x3F))},
                                  3};
            }
        }
        return table;
    }();
    // Three bytes of room for each byte, and the copy of a sequence writes
    // all three: the last one's spare bytes are cut off below.
    out.resize(ascii + (bytes.size() - ascii) * 3);
    std::memcpy(out.data(), bytes.data(), ascii);
    char* next = out.data() + ascii;
    for (const char ch : bytes.substr(ascii)) {
        const Sequence& sequence = kUtf8[static_cast<unsigned char>(ch)];
        std::memcpy(next, sequence.bytes.data(), 3);
        next += sequence.length;
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
}

std::string fromCp1251(std::string_view bytes) {
    std::string out;
    fromCp1251(bytes, out);
    return out;
}

void toCp1251(std::string_view utf8, std::string& out) {
    if (asciiPrefix(utf8) == utf8.size()) {
        out.assign(utf8);
        return;
    }
    // One byte per character: never more bytes than the UTF-8 text has.
    out.resize(utf8.size());
    char* next = out.data();
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[pos]);
        if (lead < 0x80) {
            *next++ = static_cast<char>(lead);
            ++pos;
            continue;
        }
        // The letters А..я, most of what is not ASCII, take a shorter way.
        if ((lead == 0xD0 || lead == 0xD1) && pos + 1 < utf8.size()) {
            const auto trail = static_cast<unsigned char>(utf8[pos + 1]);
            const char32_t letter = ((lead & 0x1Fu) << 6) | (trail & 0x3Fu);
            if ((trail & 0xC0) == 0x80 && letter >= 0x0410 && letter <= 0x044F) {
                *next++ = static_cast<char>(letter - 0x0410 + 0xC0);
                pos += 2;
                continue;
            }
        }
        const char32_t cp = nextCodePoint(utf8, pos);
        const int b = cp == kInvalid ? -1 : cp1251Byte(cp);
        *next++ = b < 0 ? '?' : static_cast<char>(b);
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
}

std::string toCp1251(std::string_view utf8) {
    std::string out;
    toCp1251(utf8, out);
    return out;
}

bool representableInCp1251(std::string_view utf8) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = nextCodePoint(utf8, pos);
        if (cp == kInvalid || cp1251Byte(cp) < 0) {
            return false;
        }
    }
    return true;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        nextCodePoint(utf8, pos);
        ++count;
    }
    return count;
}

std::string toLower(std::string_view utf8) {
    return mapCase(utf8, foldLower);
}

std::string toUpper(std::string_view utf8) {
    return mapCase(utf8, foldUpper);
}

int compareNoCase(std::string_view a, std::string_view b) {
    std::size_t pa = 0;
    std::size_t pb = 0;
    while (pa < a.size() && pb < b.size()) {
        // Two ASCII characters, most of what is compared, directly.
        const auto ba = static_cast<unsigned char>(a[pa]);
        const auto bb = static_cast<unsigned char>(b[pb]);
        if ((ba | bb) < 0x80) {
            const char32_t la = ba >= 'A' && ba <= 'Z' ? ba + 32 : ba;
            const char32_t lb = bb >= 'A' && bb <= 'Z' ? bb + 32 : bb;
            if (la != lb) {
                return la < lb ? -1 : 1;
            }
            ++pa;
            ++pb;
            continue;
        }
        const std::size_t sa = pa;
        const std::size_t sb = pb;
        char32_t ca = nextCodePoint(a, pa);
        char32_t cb = nextCodePoint(b, pb);
        // Malformed bytes compare by their byte value, below every character.
        ca = ca == kInvalid ? static_cast<unsigned char>(a[sa]) : foldLower(ca);
        cb = cb == kInvalid ? static_cast<unsigned char>(b[sb]) : foldLower(cb);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (pa < a.size()) {
        return 1;
    }
    if (pb < b.size()) {
        return -1;
    }
    return 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return compareNoCase(a, b) == 0;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    std::size_t pt = 0;
    std::size_t pp = 0;
    while (pp < prefix.size()) {
        if (pt >= text.size()) {
            return false;
        }
        const char32_t ct = nextCodePoint(text, pt);
        const char32_t cp = nextCodePoint(prefix, pp);
        if (ct == kInvalid || cp == kInvalid || foldLower(ct) != foldLower(cp)) {
            return false;
        }
    }
    return true;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    if (from.empty()) {
        return std::string(text);
    }
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) {
            out.append(text.substr(pos));
            return out;
        }
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
}

}  // namespace tarn::text
