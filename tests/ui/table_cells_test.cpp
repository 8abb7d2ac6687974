#include "ui/table_cells.h"

#include <gtest/gtest.h>

#include "model/parameter.h"

namespace tarn {
namespace {

TEST(TableCells, NumbersAndTimesAreTypedEverythingElseIsChosen) {
    Parameter parameter("Addr");
    for (const char* typed : {"float", "int", "clk_frm", "CLK_frm", "INT", "Float"}) {
        parameter.setValueType(typed);
        EXPECT_EQ(cellEditorKind(parameter), CellEditorKind::Text) << typed;
    }
    for (const char* chosen :
         {"7:8", "Отсутствует:Четность:Нечетность", "COM1:COM3", "int:1", "integer", ""}) {
        parameter.setValueType(chosen);
        EXPECT_EQ(cellEditorKind(parameter), CellEditorKind::List) << chosen;
    }
}

TEST(TableCells, ListItemsEndAtTheFirstEmptyItem) {
    using Items = std::vector<std::string>;
    EXPECT_EQ(cellListItems("2400:4800:9600"), (Items{"2400", "4800", "9600"}));
    EXPECT_EQ(cellListItems("COM1:COM3::COM7"), (Items{"COM1", "COM3"}));
    EXPECT_EQ(cellListItems("7:8:"), (Items{"7", "8"}));
    EXPECT_EQ(cellListItems(":7:8"), Items{});
    EXPECT_EQ(cellListItems(""), Items{});
    // Enumeration values are spelt with blanks where the type has "_".
    EXPECT_EQ(cellListItems("Вкл_выход:Выкл"), (Items{"Вкл выход", "Выкл"}));
}

}  // namespace
}  // namespace tarn
