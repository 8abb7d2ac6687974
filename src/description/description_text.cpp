#include "description/description_text.h"

namespace tarn {
namespace {

template <typename Piece>
std::vector<Piece> splitAtRuns(std::string_view text, std::string_view separators) {
    std::vector<Piece> pieces;
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
        pieces.emplace_back(text.substr(start, end - start));
        pos = end;
    }
    return pieces;
}

}  // namespace

std::vector<std::string_view> descriptionLines(std::string_view text) {
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    return splitAtRuns<std::string_view>(text, "\r\n");
}

std::vector<std::string> descriptionWords(std::string_view line) {
    return splitAtRuns<std::string>(line, " \t");
}

}  // namespace tarn
