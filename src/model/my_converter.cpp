#include "model/my_converter.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "model/network_name.h"
#include "model/network_settings.h"
#include "platform/numbers.h"
#include "platform/text.h"

namespace tarn {
namespace {

// The value text is handled in a working buffer of 512 bytes, one of them
// the terminator.
constexpr std::size_t kWorkingChars = 511;
// Longest enumeration item shown as a value.
constexpr std::size_t kMaxItemChars = 254;
// Items searched when encoding an enumeration (the index travels in 7 bits).
constexpr std::size_t kMaxEncodedItems = 127;

std::string truncateChars(std::string_view utf8, std::size_t maxChars) {
    std::size_t chars = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        if (chars == maxChars) {
            return std::string(utf8.substr(0, pos));
        }
        const auto lead = static_cast<unsigned char>(utf8[pos]);
        std::size_t len = 1;
        if ((lead & 0xE0) == 0xC0) {
            len = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            len = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            len = 4;
        }
        pos = std::min(pos + len, utf8.size());
        ++chars;
    }
    return std::string(utf8);
}

std::string_view trimTrailingControl(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) {
        text.remove_suffix(1);
    }
    return text;
}

// Data bytes taken as CP1251 characters; like a C string they end at the
// first zero byte.
std::string bytesAsText(std::span<const std::uint8_t> data) {
    std::string bytes(reinterpret_cast<const char*>(data.data()), data.size());
    const auto zero = bytes.find('\0');
    if (zero != std::string::npos) {
        bytes.resize(zero);
    }
    return text::fromCp1251(bytes);
}

std::string formatInt(const char* format, long value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

void pushBigEndian16(std::vector<std::uint8_t>& data, std::uint16_t value) {
    data.push_back(static_cast<std::uint8_t>(value >> 8));
    data.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

bool nameIsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (const auto candidate : names) {
        if (text::equalsNoCase(name, candidate)) {
            return true;
        }
    }
    return false;
}

// The item `index` of a line setting's enumeration (the byte the module
// sends for it); nothing beyond its end.
std::optional<std::string_view> enumerationItem(std::string_view valueType, std::size_t index) {
    while (true) {
        const std::size_t colon = valueType.find(':');
        if (index == 0) {
            return valueType.substr(0, colon);
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        valueType.remove_prefix(colon + 1);
        --index;
    }
}

std::string exitCauseText(std::uint8_t byte) {
    const auto code = static_cast<std::int8_t>(byte);
    switch (code) {
        case 1:
        case 14:
            return "Нештатный вход в программу контроля";
        case 2:
            return "Сбой бегущей единицы на порту С";
        case 3:
            return "Сбой бегущей единицы на порту E";
        case 4:
            return "сбой бегущей единицы на порту B";
        case 5:
            return "переполнение одного из стеков (данных или адресов возврата)";
        case 6:
            return "внешний сброс";
        case 7:
            return "сброс по питанию";
        case 8:
            return "Самопроизвольный watchdog";
        case 9:
            return "Кто-то держит SDA линию магистрали в 0";
        case 10:
            return "Ошибки при чтения/записи еепром";
        case 11:
            return "ошибки при записи еепром";
        case 12:
            return "Не хватает времени до перезагрузки очереди";
        case 13:
            return "Ошибка зацикливания указателей pwmQueue";
        case 15:
            return "Повторная проверка обнаружила неисправимый код (Check_Segment)";
        case 95:
            return "Сбой регистра SREG";
        default:
            break;
    }
    if (code >= 32 && code <= 94) {
        return std::string("Ошибки регистров ввода/вывода. Номеру сбившегося регистра : ") + " " +
               std::to_string(code);
    }
    return "Не найдено значение ошибки ";
}

std::string lengthErrorText(std::size_t length) {
    return "Ошибка; (Непонятная длина ответа:" + std::to_string(length) + ")";
}

// A "CHAr*" value: 1 to 4 characters of the name alphabet, each optionally
// followed by one dot, and nothing else.
bool isValidNameValue(std::string_view text) {
    std::size_t chars = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const int index = nameAlphabetIndex(text[pos]);
        if (index < 0) {
            return false;
        }
        ++chars;
        ++pos;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
        }
    }
    return chars >= 1 && chars <= 4;
}

}  // namespace

std::optional<std::uint16_t> clockValue(std::string_view text) {
    std::uint16_t value = 0;
    std::uint16_t multiplier = 10;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            const std::size_t following = text.size() - i - 1;
            if (following >= 2) {
                multiplier = 6;
            } else if (following == 1) {
                multiplier = 60;
            }
            continue;
        }
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = static_cast<std::uint16_t>(value * multiplier + (c - '0'));
        multiplier = 10;
    }
    return value;
}

MyConverter::MyConverter() : valueKind_(kindOfType()) {}

MyConverter::MyConverter(std::string networkName)
    : networkName_(std::move(networkName)),
      nameHash_(NetNameHash(networkName_)),
      valueType_("неизвестен"),
      valueKind_(kindOfType()) {}

void MyConverter::setNetworkName(std::string name) {
    networkName_ = std::move(name);
    nameHash_ = NetNameHash(networkName_);
}

bool MyConverter::hasName(std::string_view name) const {
    return text::equalsNoCase(networkName_, name);
}

bool MyConverter::wholeTypeIs(std::string_view type) const {
    return text::equalsNoCase(valueType_, type);
}

std::string MyConverter::typeWord() const {
    std::string_view rest = valueType_;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const auto item = rest.substr(0, colon);
        if (!item.empty()) {
            return std::string(item);
        }
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    return {};
}

std::vector<std::string> MyConverter::typeItems() const {
    std::vector<std::string> items;
    std::string_view rest = valueType_;
    while (true) {
        const auto colon = rest.find(':');
        const auto item = rest.substr(0, colon);
        if (!item.empty()) {
            items.push_back(text::replaceAll(item, "_", " "));
        }
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    return items;
}

void MyConverter::setValueType(std::string type) {
    valueType_ = std::move(type);
    valueKind_ = kindOfType();
}

ValueKind MyConverter::kindOfType() const {
    const std::string word = typeWord();
    if (text::equalsNoCase(word, "float")) {
        return ValueKind::Real;
    }
    if (text::equalsNoCase(word, "int")) {
        return ValueKind::Integer;
    }
    if (text::equalsNoCase(word, "CLK_frm")) {
        return ValueKind::Clock;
    }
    if (wholeTypeIs("void")) {
        return ValueKind::Void;
    }
    if (wholeTypeIs("name")) {
        return ValueKind::Name;
    }
    if (wholeTypeIs("string") || wholeTypeIs("ASCI")) {
        return ValueKind::Text;
    }
    return ValueKind::Enumeration;
}

int MyConverter::ConvertToData(std::string_view textIn, std::vector<std::uint8_t>& data,
                               std::string* message) const {
    data.clear();
    const std::string text = truncateChars(textIn, kWorkingChars);

    if (nameIsOneOf(networkName_, {"dev", "ver", "exit"})) {
        return kNoConversion;
    }
    if (hasName("APLY")) {
        return kConverted;
    }
    const std::string word = typeWord();
    if (text::equalsNoCase(word, "float")) {
        const auto value = static_cast<float>(numbers::leadingReal(trimTrailingControl(text)));
        std::uint32_t bits = 0;
        static_assert(sizeof bits == sizeof value);
        std::memcpy(&bits, &value, sizeof bits);
        data = {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
                static_cast<std::uint8_t>(bits >> 8)};
        return kConverted;
    }
    if (text::equalsNoCase(word, "int")) {
        const auto value =
            static_cast<std::uint16_t>(numbers::leadingInteger(trimTrailingControl(text)));
        if (nameIsOneOf(networkName_, {"Addr", "SoUr", "Alr.t", "tHP", "tP.H", "CLB.K"}) ||
            (value >> 8) != 0) {
            pushBigEndian16(data, value);
        } else {
            data.push_back(static_cast<std::uint8_t>(value));
        }
        return kConverted;
    }
    if (text::equalsNoCase(word, "CLK_frm")) {
        const auto value = clockValue(text);
        if (!value) {
            return kNoConversion;
        }
        if (nameIsOneOf(networkName_, {"Alr.t", "tHP", "tP.H"}) || *value >= 256) {
            pushBigEndian16(data, *value);
        } else {
            data.push_back(static_cast<std::uint8_t>(*value));
        }
        return kConverted;
    }
    if (wholeTypeIs("void")) {
        return kConverted;
    }
    if (wholeTypeIs("name")) {
        const std::string bytes = text::toCp1251(text);
        auto fail = [&](const char* why) {
            if (message != nullptr) {
                *message = why;
            }
            return kNoConversion;
        };
        if (bytes.empty()) {
            return fail("Сетевое имя пусто");
        }
        if (bytes.size() >= 9) {
            return fail("Сетевое имя слишком длинное");
        }
        NameCodes codes = {kNameCodeSpace, kNameCodeSpace, kNameCodeSpace, kNameCodeSpace};
        std::size_t coded = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c == '.') {
                if (i == 0) {
                    return fail("Недопустимый символ в сетевом имени");
                }
                if (coded >= 1 && coded <= codes.size() && bytes[i - 1] != '.') {
                    codes[coded - 1] |= 1;
                }
                continue;
            }
            const int index = nameAlphabetIndex(c);
            if (index < 0 || index == 38) {
                return fail("Недопустимый символ в сетевом имени");
            }
            if (coded < codes.size()) {
                codes[coded] = static_cast<std::uint8_t>(index * 2);
            }
            ++coded;
        }
        data = {codes[3], codes[2], codes[1], codes[0]};
        return kConverted;
    }
    const auto items = typeItems();
    for (std::size_t i = 0; i < items.size() && i < kMaxEncodedItems; ++i) {
        if (text::equalsNoCase(text, items[i])) {
            data.push_back(static_cast<std::uint8_t>(i));
            return kConverted;
        }
    }
    return kNotConvertible;
}

int MyConverter::ConvertFromData(std::span<const std::uint8_t> data) {
    const std::size_t length = data.size();
    if (length == 0) {
        if (hasName("APLY") || wholeTypeIs("void")) {
            valueText_.clear();
            return kConverted;
        }
        return kNotConvertible;
    }
    if (nameIsOneOf(networkName_, {"dev", "ver"})) {
        valueText_ = bytesAsText(data);
        return kConverted;
    }
    if (hasName("exit")) {
        if (length != 3) {
            return kNotConvertible;
        }
        if (data[0] == 24) {
            valueText_ = "Адрес прибора: " + std::to_string((data[1] << 8) | data[2]);
        } else {
            valueText_ = exitCauseText(data[2]);
        }
        return kConverted;
    }
    // The module's line settings travel as the index of their item,
    // whatever the description calls their type; the address is a number.
    for (const NetworkSetting& setting : kLineSettings) {
        if (setting.valueType != kAddressType && hasName(setting.networkName)) {
            const auto item = enumerationItem(setting.valueType, data[0]);
            if (!item) {
                return kNotConvertible;
            }
            valueText_ = std::string(*item);
            return kConverted;
        }
    }
    if (hasName("Addr")) {
        if (length == 1) {
            valueText_ = formatInt("%ld", data[0]);
        } else if (length == 2) {
            valueText_ = formatInt("%ld", (data[0] << 8) | data[1]);
        } else {
            return kNotConvertible;
        }
        return kConverted;
    }
    const std::string word = typeWord();
    if (text::equalsNoCase(word, "float")) {
        if (length != 3 && length != 5) {
            return kNotConvertible;
        }
        const std::uint32_t bits = (std::uint32_t{data[0]} << 24) | (std::uint32_t{data[1]} << 16) |
                                   (std::uint32_t{data[2]} << 8);
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        valueText_ = numbers::fixed(value, 3);
        return kConverted;
    }
    const bool isInt = text::equalsNoCase(word, "int");
    const bool isClock = text::equalsNoCase(word, "CLK_frm");
    if (isInt || isClock) {
        unsigned value = 0;
        if (length == 1 || length == 3) {
            value = data[0];
        } else if (length == 2 || length == 4) {
            value = (unsigned{data[0]} << 8) | data[1];
        } else {
            valueText_ = lengthErrorText(length);
            return kNoConversion;
        }
        if (isInt) {
            valueText_ = std::to_string(value);
        } else {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%02u:%02u", value / 60, value % 60);
            valueText_ = buffer;
        }
        return kConverted;
    }
    if (wholeTypeIs("string") || wholeTypeIs("ASCI")) {
        valueText_ = bytesAsText(data);
        return kConverted;
    }
    if (!wholeTypeIs("name")) {
        const auto index = static_cast<std::int8_t>(data[0]);
        const auto items = typeItems();
        if (index < 0 || static_cast<std::size_t>(index) >= items.size()) {
            return kNotConvertible;
        }
        valueText_ = truncateChars(items[static_cast<std::size_t>(index)], kMaxItemChars);
        return kConverted;
    }
    if (length != 4 && length != 6) {
        valueText_ = lengthErrorText(length);
        return kNoConversion;
    }
    std::string name;
    for (int i = 3; i >= 0; --i) {
        const std::uint8_t code = data[static_cast<std::size_t>(i)];
        if (code >= kNameCodeLimit) {
            valueText_ = "Недопустимый код символа в сетевом имени";
            return kNoConversion;
        }
        name += nameCodeText(code);
    }
    valueText_ = name;
    return kConverted;
}

std::optional<std::string> MyConverter::checkUserInput(std::string_view text) const {
    if (hasName("CHAr*")) {
        if (!isValidNameValue(text)) {
            return std::nullopt;
        }
        return std::string(text);
    }
    if (wholeTypeIs("float")) {
        const double value = numbers::leadingReal(text);
        if (hasLimits() && (value < lowerLimit_ - 0.0009 || value > upperLimit_ + 0.0009)) {
            return std::nullopt;
        }
        return numbers::fixed(value, 3);
    }
    if (wholeTypeIs("int")) {
        const auto value = numbers::wholeReal(text);
        if (!value) {
            return std::nullopt;
        }
        if (hasLimits() && (*value < lowerLimit_ || *value > upperLimit_)) {
            return std::nullopt;
        }
        if (std::fabs(*value - std::trunc(*value)) > 0.00001) {
            return std::nullopt;
        }
        return std::string(text);
    }
    if (wholeTypeIs("CLK_frm")) {
        const auto value = clockValue(text);
        if (!value) {
            return std::nullopt;
        }
        if (hasLimits() && (*value < lowerLimit_ || *value > upperLimit_)) {
            return std::nullopt;
        }
        return std::string(text);
    }
    return std::string(text);
}

}  // namespace tarn
