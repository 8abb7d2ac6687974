#include "ui/row_text_order.h"

#include "platform/text.h"

namespace tarn {
namespace {

constexpr std::string_view kDigits = "0123456789";

struct Split {
    std::string_view prefix;
    std::string_view digits;  // the run of digits after the prefix; may be empty
};

Split split(std::string_view text) {
    const std::size_t first = text.find_first_of(kDigits);
    if (first == std::string_view::npos) {
        return {text, {}};
    }
    std::size_t end = text.find_first_not_of(kDigits, first);
    if (end == std::string_view::npos) {
        end = text.size();
    }
    return {text.substr(0, first), text.substr(first, end - first)};
}

// Compares two runs of decimal digits by their value, however long they are.
int compareNumbers(std::string_view a, std::string_view b) {
    const auto significant = [](std::string_view run) {
        const std::size_t first = run.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view{} : run.substr(first);
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b) < 0 ? -1 : (a.compare(b) > 0 ? 1 : 0);
}

}  // namespace

int compareRowTexts(std::string_view a, std::string_view b) {
    const bool digits = a.find_first_of(kDigits) != std::string_view::npos ||
                        b.find_first_of(kDigits) != std::string_view::npos;
    if (digits) {
        const Split left = split(a);
        const Split right = split(b);
        if (text::equalsNoCase(left.prefix, right.prefix)) {
            if (const int byNumber = compareNumbers(left.digits, right.digits); byNumber != 0) {
                return byNumber;
            }
        }
    }
    return text::compareNoCase(a, b);
}

}  // namespace tarn
