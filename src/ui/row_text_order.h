// The order of rows when the user sorts the tree by a column.
//
// Texts that hold digits compare by the part before their first digit and
// then by the number that starts there, so "A9" comes before "A10" and
// "Выход №2" before "Выход №10"; otherwise, and for equal numbers, the texts
// compare without regard to letter case.
#pragma once

#include <string_view>

namespace tarn {

// <0 when `a` sorts before `b`, 0 when they sort together, >0 after.
int compareRowTexts(std::string_view a, std::string_view b);

}  // namespace tarn
