// TrendScale: how the value text of a scanner becomes a number on a plot.
//
// Integers and reals plot as they are. An enumeration plots as the index of
// its item (the index the module sends), and its items are the labels of
// the plot's axis. Texts, names, clock times and void values do not plot.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

class MyConverter;

class TrendScale {
public:
    // The scale of a parameter's value type; nothing when it does not plot.
    static std::optional<TrendScale> of(const MyConverter& converter);

    bool enumeration() const { return enumeration_; }
    // The items of an enumeration, by index; empty for numbers.
    const std::vector<std::string>& labels() const { return labels_; }

    // The plotted number of a value text; nothing when the text holds no
    // value of this scale (not a number, not an item).
    std::optional<double> valueOf(std::string_view text) const;
    // The text of a plotted value: the item of an enumeration, else the
    // number in the shortest form that reads back the same.
    std::string textOf(double value) const;

private:
    bool enumeration_ = false;
    std::vector<std::string> labels_;
};

}  // namespace tarn
