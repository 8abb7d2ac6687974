#include "description/description_text.h"

namespace tarn {
namespace {

void splitAtRuns(std::string_view text, std::string_view separators,
                 std::vector<std::string_view>& pieces) {
    pieces.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(separators, pos);
        if (start == std::string_view::npos) {
            break;
        }
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        pieces.push_back(text.substr(start, end - start));
        pos = end;
    }
}

}  // namespace

std::vector<std::string_view> descriptionLines(std::string_view text) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    std::vector<std::string_view> lines;
    splitAtRuns(text, "\r\n", lines);
    return lines;
}

std::vector<std::string_view> descriptionWords(std::string_view line) {
    std::vector<std::string_view> words;
    splitAtRuns(line, " \t", words);
    return words;
}

void descriptionWords(std::string_view line, std::vector<std::string_view>& words) {
    splitAtRuns(line, " \t", words);
}

}  // namespace tarn
