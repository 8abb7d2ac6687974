#include "ui/table_cells.h"

#include "model/my_converter.h"
#include "model/parameter.h"
#include "platform/text.h"

namespace tarn {

std::string shownCellText(std::string_view text) {
    return std::string(text == kNoData ? kNoDataShort : text);
}

CellEditorKind cellEditorKind(const Parameter& parameter) {
    const std::string& type = parameter.valueType();
    for (std::string_view word : {"float", "int", "clk_frm"}) {
        if (text::equalsNoCase(type, word)) {
            return CellEditorKind::Text;
        }
    }
    return CellEditorKind::List;
}

std::vector<std::string> cellListItems(std::string_view valueType) {
    std::vector<std::string> items;
    if (valueType.empty()) {
        return items;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = valueType.find(':', start);
        const std::string_view item = valueType.substr(
            start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        if (item.empty()) {
            break;
        }
        items.push_back(text::replaceAll(item, "_", " "));
        if (colon == std::string_view::npos) {
            break;
        }
        start = colon + 1;
    }
    return items;
}

}  // namespace tarn
