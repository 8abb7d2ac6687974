#include "comm/frame_text.h"

#include <cstdio>
#include <ctime>

namespace tarn {
namespace {

constexpr std::array<std::string_view, kFrameColumnCount> kTitles = {
    "Время", "Мс",    "Напр.",  "Источник", "Посылка",  "Команда",
    "Хэш",   "Адрес", "Индекс", "Данные",   "Значение", "Результат",
};

std::string timeText(std::chrono::system_clock::time_point time) {
    const auto sinceEpoch = time.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds).count();
    const std::time_t whole = static_cast<std::time_t>(seconds.count());
    std::tm local{};
    localtime_r(&whole, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis));
    return text;
}

std::string hexBytes(const unsigned char* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            text.push_back(' ');
        }
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

std::string wireText(const FrameRecord& record) {
    if (record.binary) {
        return hexBytes(reinterpret_cast<const unsigned char*>(record.wire.data()),
                        record.wire.size());
    }
    std::string text;
    text.reserve(record.wire.size() + 4);
    for (const char c : record.wire) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            text += "↵";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        } else {
            text.push_back(c);
        }
    }
    return text;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') {
            quoted.push_back('"');
        }
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

// Outcomes may hold a line end (some error texts of the line end with one);
// a row stays one line.
std::string oneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace

std::string_view frameColumnTitle(int column) {
    return column >= 0 && column < kFrameColumnCount ? kTitles[static_cast<std::size_t>(column)]
                                                     : std::string_view();
}

std::string frameColumnText(const FrameRecord& record, int column) {
    switch (column) {
        case kFrameColumnTime:
            return timeText(record.time);
        case kFrameColumnSinceRequest:
            return record.sinceRequestMs >= 0 ? std::to_string(record.sinceRequestMs)
                                              : std::string();
        case kFrameColumnDirection:
            return record.direction == FrameDirection::Sent ? "->" : "<-";
        case kFrameColumnSource:
            return std::string(frameSourceText(record.source));
        case kFrameColumnWire:
            return wireText(record);
        case kFrameColumnName:
            return record.name;
        case kFrameColumnHash: {
            if (!record.hasHash) {
                return {};
            }
            char text[8];
            std::snprintf(text, sizeof text, "%04X", record.hash);
            return text;
        }
        case kFrameColumnAddress:
            return record.address >= 0 ? std::to_string(record.address) : std::string();
        case kFrameColumnIndex:
            return record.linearIndex >= 0 ? std::to_string(record.linearIndex) : std::string();
        case kFrameColumnData:
            return hexBytes(record.data.data(), record.data.size());
        case kFrameColumnValue:
            return oneLine(record.valueText);
        case kFrameColumnOutcome:
            return oneLine(record.outcome);
        default:
            return {};
    }
}

std::string frameTextLine(const FrameRecord& record) {
    std::string line;
    for (int column = 0; column < kFrameColumnCount; ++column) {
        if (column != 0) {
            line.push_back('\t');
        }
        line += frameColumnText(record, column);
    }
    return line;
}

std::string frameTextHeader() {
    std::string line;
    for (int column = 0; column < kFrameColumnCount; ++column) {
        if (column != 0) {
            line.push_back('\t');
        }
        line += frameColumnTitle(column);
    }
    return line;
}

std::string frameCsvLine(const FrameRecord& record) {
    std::string line;
    for (int column = 0; column < kFrameColumnCount; ++column) {
        if (column != 0) {
            line.push_back(',');
        }
        line += csvField(frameColumnText(record, column));
    }
    return line;
}

std::string frameCsvHeader() {
    std::string line;
    for (int column = 0; column < kFrameColumnCount; ++column) {
        if (column != 0) {
            line.push_back(',');
        }
        line += csvField(std::string(frameColumnTitle(column)));
    }
    return line;
}

}  // namespace tarn
