#include "model/trend_scale.h"

#include <charconv>
#include <cmath>

#include "model/my_converter.h"
#include "platform/numbers.h"
#include "platform/text.h"

namespace tarn {

std::optional<TrendScale> TrendScale::of(const MyConverter& converter) {
    TrendScale scale;
    switch (converter.valueKind()) {
        case ValueKind::Integer:
        case ValueKind::Real:
            return scale;
        case ValueKind::Enumeration:
            scale.enumeration_ = true;
            scale.labels_ = converter.typeItems();
            if (scale.labels_.empty()) {
                return std::nullopt;
            }
            return scale;
        default:
            return std::nullopt;
    }
}

std::optional<double> TrendScale::valueOf(std::string_view text) const {
    if (!enumeration_) {
        // The module's numbers come without blanks; a typed one may have some.
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        }
        return numbers::wholeReal(text);
    }
    // The conversion shows the item itself; an exact match first, since two
    // items may differ in case only.
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        if (labels_[i] == text) {
            return static_cast<double>(i);
        }
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        if (text::equalsNoCase(labels_[i], text)) {
            return static_cast<double>(i);
        }
    }
    return std::nullopt;
}

std::string TrendScale::textOf(double value) const {
    if (enumeration_) {
        const double index = std::round(value);
        if (index >= 0 && index < static_cast<double>(labels_.size())) {
            return labels_[static_cast<std::size_t>(index)];
        }
    }
    // The samples are floats: their shortest form is what was polled.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    return std::string(buffer, result.ptr);
}

}  // namespace tarn
