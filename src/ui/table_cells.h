// The cells of the table control: their state flags, the texts drawn in a
// special way, and how a cell is edited.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

class Parameter;

// Flag bits of one cell. The flags of a row are the OR of its cells' flags.
enum CellFlag : std::uint16_t {
    kCellDisabled = 1,     // grey text; the row cannot take the focus; no editing
    kCellRowReadOnly = 2,  // no editing in the row (tested on the row's flags)
    kCellReadOnly = 4,     // no editing of this cell
    kCellError = 8,        // red text
};

// The only column that is edited in place.
inline constexpr int kEditColumn = 1;
// The column that shows the read in progress in green.
inline constexpr int kReadingColumn = 2;

// A cell holding "Нет данных" shows this.
inline constexpr std::string_view kNoDataShort = "Н/Д";
// Text of a cell whose value is being read.
inline constexpr std::string_view kReadingText = "читаю...";

// The text a cell shows for `text`.
std::string shownCellText(std::string_view text);

enum class CellEditorKind {
    Text,  // a right-aligned text box
    List,  // a drop-down list of the value type's items
};

// A text box for the value types "float", "int" and "CLK_frm" (any letter
// case), a list for every other type.
CellEditorKind cellEditorKind(const Parameter& parameter);

// The items of the list editor: the value type's ":"-separated items up to
// the first empty one, each "_" shown as a blank (as the value converter
// spells enumeration values).
std::vector<std::string> cellListItems(std::string_view valueType);

}  // namespace tarn
