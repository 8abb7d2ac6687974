// The table control on a real window (offscreen): focus keeping, drawing,
// flags, in-place editors and the cell hooks.
#include "ui/table_ctrl.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <vector>

#include "model/parameter.h"
#include "ui/table_model.h"
#include "widget_helpers.h"

namespace tarn::testing {
namespace {

// Records every set-cell-value call, and whether the editor was still open.
class RecordingTable : public CTableCtrl {
public:
    struct Call {
        int row;
        int column;
        std::string text;
        bool editorOpen;
    };

    using CTableCtrl::CTableCtrl;

    void setCellValue(int row, int column, const std::string& text) override {
        calls.push_back({row, column, text, cellEditor() != nullptr});
        CTableCtrl::setCellValue(row, column, text);
    }

    std::vector<Call> calls;
};

class TableCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        table = new RecordingTable(&window);
        other = new QLineEdit(&window);
        layout->addWidget(table);
        layout->addWidget(other);
        table->addColumn("Параметр", 160);
        table->addColumn("Значение", 110);
        table->addColumn("Состояние", 110);
        window.resize(420, 360);
    }

    // A row bound (all columns) to a new parameter of `type` holding `value`.
    int addRow(const std::string& caption, const std::string& type, const std::string& value,
               std::uint16_t flags = 0) {
        auto parameter = std::make_unique<Parameter>("P" + std::to_string(parameters.size()));
        parameter->setCaption(caption);
        parameter->setValueType(type);
        parameter->setValueText(value);
        const int row = table->appendRow(caption);
        table->setCellText(row, 1, value);
        table->setRowBinding(row, parameter.get(), flags);
        parameters.push_back(std::move(parameter));
        return row;
    }

    Parameter& parameterOf(int row) { return *table->boundParameter(row, 1); }

    template <typename Editor>
    Editor* openEditor(int row) {
        if (!table->beginEdit(row)) {
            return nullptr;
        }
        return qobject_cast<Editor*>(table->cellEditor());
    }

    QRect cellRect(int row, int column) const {
        return table->visualRect(table->tableModel().index(row, column));
    }

    // The parameters outlive the window: closing it ends an open edit.
    std::vector<std::unique_ptr<Parameter>> parameters;
    QWidget window;
    RecordingTable* table = nullptr;
    QLineEdit* other = nullptr;
};

// ---- Focus ------------------------------------------------------------------

TEST_F(TableCtrlTest, FocusNeverRestsOnADisabledRow) {
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        addRow(name, "int", "1");
    }
    table->changeFlags(2, -1, 0, kCellDisabled);  // every cell disabled
    table->changeFlags(4, 2, 0, kCellDisabled);   // one cell: the row's flags disable it
    table->changeFlags(0, -1, 0, kCellDisabled);
    ASSERT_TRUE(showAndActivate(window));
    table->setFocus();
    // Taking the keyboard focus, the table focuses its first enabled row.
    EXPECT_EQ(table->focusedRow(), 1);

    EXPECT_FALSE(table->setFocusedRow(0));
    EXPECT_FALSE(table->setFocusedRow(2));
    EXPECT_FALSE(table->setFocusedRow(4));
    EXPECT_FALSE(table->setFocusedRow(6));
    EXPECT_EQ(table->focusedRow(), 1);

    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(table->focusedRow(), 3);
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(table->focusedRow(), 5);
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(table->focusedRow(), 5);
    QTest::keyClick(table, Qt::Key_Up);
    EXPECT_EQ(table->focusedRow(), 3);
    QTest::keyClick(table, Qt::Key_Up);
    EXPECT_EQ(table->focusedRow(), 1);
    QTest::keyClick(table, Qt::Key_Up);
    EXPECT_EQ(table->focusedRow(), 1);

    // A click on a disabled row leaves the focus where it was.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellRect(2, 0).center());
    EXPECT_EQ(table->focusedRow(), 1);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellRect(3, 1).center());
    EXPECT_EQ(table->focusedRow(), 3);

    // Whatever else moves the current index onto a disabled row is undone.
    table->setCurrentIndex(table->tableModel().index(2, 0));
    EXPECT_EQ(table->focusedRow(), 3);
}

TEST_F(TableCtrlTest, NoEnabledRowLeftKeepsTheFocus) {
    for (const char* name : {"a", "b", "c", "d"}) {
        addRow(name, "int", "1");
    }
    table->changeFlags(0, -1, 0, kCellDisabled);
    table->changeFlags(3, -1, 0, kCellDisabled);
    ASSERT_TRUE(showAndActivate(window));

    ASSERT_TRUE(table->setFocusedRow(2));
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(table->focusedRow(), 2);
    ASSERT_TRUE(table->setFocusedRow(1));
    QTest::keyClick(table, Qt::Key_Up);
    EXPECT_EQ(table->focusedRow(), 1);

    // Jumps to a disabled end come back to the nearest enabled row.
    QTest::keyClick(table, Qt::Key_End);
    EXPECT_EQ(table->focusedRow(), 2);
    QTest::keyClick(table, Qt::Key_Home);
    EXPECT_EQ(table->focusedRow(), 1);
    QTest::keyClick(table, Qt::Key_PageDown);
    EXPECT_EQ(table->focusedRow(), 2);
}

TEST_F(TableCtrlTest, AllRowsDisabledTakeNoFocus) {
    addRow("a", "int", "1", kCellDisabled);
    addRow("b", "int", "1", kCellDisabled);
    ASSERT_TRUE(showAndActivate(window));
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_End);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellRect(1, 1).center());
    EXPECT_EQ(table->focusedRow(), -1);
}

// ---- Flags --------------------------------------------------------------------

TEST_F(TableCtrlTest, FlagsOfARowAreTheOrOfItsCells) {
    const int row = addRow("a", "int", "1");
    table->setBinding(row, 0, table->boundParameter(row, 0), kCellReadOnly);
    table->setBinding(row, 2, nullptr, kCellError);
    EXPECT_EQ(table->cellFlags(row, 0), kCellReadOnly);
    EXPECT_EQ(table->cellFlags(row, 1), 0);
    EXPECT_EQ(table->rowFlags(row), kCellReadOnly | kCellError);
    EXPECT_EQ(table->boundParameter(row, 2), nullptr);

    EXPECT_TRUE(table->changeFlags(row, -1, kCellReadOnly | kCellError, kCellRowReadOnly));
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(table->cellFlags(row, column), kCellRowReadOnly) << column;
    }
}

TEST_F(TableCtrlTest, OnlyRowsWhoseFlagsChangeAreRedrawn) {
    addRow("a", "int", "1");
    const int row = addRow("b", "int", "1", kCellError);
    addRow("c", "int", "1");
    const int unbound = table->appendRow("без привязки");
    QSignalSpy redraws(&table->tableModel(), &QAbstractItemModel::dataChanged);

    // The same values again: nothing to redraw.
    EXPECT_FALSE(table->changeFlags(row, -1, 0, kCellError));
    EXPECT_FALSE(table->changeFlags(row, 1, kCellError, kCellError));
    EXPECT_FALSE(table->changeFlags(row, 0, kCellReadOnly, 0));
    EXPECT_EQ(redraws.count(), 0);

    // A real change redraws that row and no other.
    EXPECT_TRUE(table->changeFlags(row, 1, kCellError, kCellDisabled));
    ASSERT_EQ(redraws.count(), 1);
    const auto topLeft = redraws.at(0).at(0).value<QModelIndex>();
    const auto bottomRight = redraws.at(0).at(1).value<QModelIndex>();
    EXPECT_EQ(topLeft.row(), row);
    EXPECT_EQ(bottomRight.row(), row);
    EXPECT_EQ(table->rowFlags(row), kCellError | kCellDisabled);

    // A row without a binding has no flags to change.
    EXPECT_FALSE(table->changeFlags(unbound, -1, 0, kCellError));
    EXPECT_EQ(table->rowFlags(unbound), 0);
    EXPECT_EQ(redraws.count(), 1);
}

// ---- Drawing ------------------------------------------------------------------

TEST_F(TableCtrlTest, TextsColoursAndAlignment) {
    const int plain = addRow("Обычный", "int", "Нет данных");
    const int grey = addRow("Серый", "int", "12", kCellDisabled);
    const int red = addRow("Ошибка", "int", "13");
    table->changeFlags(red, 2, 0, kCellError);
    const int reading = addRow("Чтение", "int", "читаю...");
    table->setCellText(reading, 2, "читаю...");

    const TableModel& model = table->tableModel();
    auto data = [&](int row, int column, int role) { return model.index(row, column).data(role); };
    EXPECT_EQ(data(plain, 1, Qt::DisplayRole).toString(), QStringLiteral("Н/Д"));
    EXPECT_EQ(data(plain, 1, TableModel::kRawTextRole).toString(), QStringLiteral("Нет данных"));
    EXPECT_EQ(table->cellText(plain, 1), "Нет данных");

    EXPECT_EQ(model.textColour(grey, 1), QColor(170, 170, 170));
    EXPECT_EQ(model.textColour(red, 0), QColor(255, 0, 0));
    // Only column 2 reads "читаю..." in green.
    EXPECT_EQ(model.textColour(reading, 2), QColor(0, 128, 64));
    EXPECT_EQ(model.textColour(reading, 1), QColor(0, 0, 0));

    EXPECT_EQ(data(plain, 0, Qt::TextAlignmentRole).toInt(),
              static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(data(plain, 1, Qt::TextAlignmentRole).toInt(), static_cast<int>(Qt::AlignCenter));
    EXPECT_EQ(data(plain, 2, Qt::TextAlignmentRole).toInt(), static_cast<int>(Qt::AlignCenter));
}

TEST_F(TableCtrlTest, RowsArePaintedByTheirState) {
    const int focused = addRow("Выбранный", "int", "1");
    const int plain = addRow("Обычный", "int", "2");
    const int grey = addRow("Серый", "int", "3", kCellDisabled);
    const int red = addRow("Ошибка", "int", "4", kCellError);
    const int reading = addRow("Чтение", "int", "5");
    table->setCellText(reading, 2, "читаю...");
    ASSERT_TRUE(showAndActivate(window));
    ASSERT_TRUE(table->setFocusedRow(focused));

    const QImage image = table->viewport()->grab().toImage();
    ASSERT_EQ(image.width(), table->viewport()->width());
    auto pixel = [&](int x, int y) { return image.pixelColor(x, y); };

    // Fills: the focused row grey, the others white.
    const QRect focusCell = cellRect(focused, 1);
    EXPECT_EQ(pixel(focusCell.left() + 1, focusCell.center().y()), QColor(210, 210, 210));
    const QRect plainCell = cellRect(plain, 1);
    EXPECT_EQ(pixel(plainCell.left() + 1, plainCell.center().y()), QColor(255, 255, 255));
    // The focused row's frame, above and below.
    EXPECT_EQ(pixel(focusCell.center().x(), focusCell.top()), QColor(100, 100, 100));
    EXPECT_EQ(pixel(focusCell.center().x(), focusCell.bottom()), QColor(100, 100, 100));
    // Grid lines between cells and under rows elsewhere.
    EXPECT_EQ(pixel(cellRect(plain, 0).right(), plainCell.center().y()), QColor(243, 243, 227));
    EXPECT_EQ(pixel(plainCell.left() + 5, plainCell.bottom()), QColor(243, 243, 227));

    // Text colours: the darkest pixel of each text is its colour.
    auto textArea = [&](int row, int column) {
        return cellRect(row, column).adjusted(1, 2, -2, -2);
    };
    const QColor black = darkestPixel(image, textArea(plain, 0));
    EXPECT_LT(black.red() + black.green() + black.blue(), 150);
    const QColor greyText = darkestPixel(image, textArea(grey, 0));
    EXPECT_LT(greyText.red(), 250) << "no text drawn";
    EXPECT_GE(greyText.red(), 165);
    EXPECT_EQ(greyText.red(), greyText.blue());
    const QColor redText = darkestPixel(image, textArea(red, 0));
    EXPECT_GT(redText.red(), 200);
    EXPECT_LT(redText.green(), 80);
    const QColor greenText = darkestPixel(image, textArea(reading, 2));
    EXPECT_GT(greenText.green(), greenText.red() + 40);
    EXPECT_GT(greenText.green(), greenText.blue() + 20);

    // Column 0 starts 3 pixels in; the first columns of pixels stay clear.
    const QRect first = cellRect(plain, 0);
    EXPECT_EQ(darkestPixel(image, QRect(first.left(), first.top() + 2, 3, first.height() - 4)),
              QColor(255, 255, 255));
}

// ---- Editing ------------------------------------------------------------------

TEST_F(TableCtrlTest, TheValueTypeChoosesTheEditor) {
    const int real = addRow("Вещественный", "float", "Нет данных");
    const int whole = addRow("Целый", "INT", "16");
    const int clock = addRow("Время", "Clk_Frm", "7:05");
    const int speed = addRow("Скорость", "2400:4800:9600:14400", "9600");
    const int port = addRow("Порт", "COM1:COM3::COM9", "COM3");
    ASSERT_TRUE(showAndActivate(window));

    auto* box = openEditor<QLineEdit>(real);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Н/Д"));
    EXPECT_EQ(box->selectedText(), QStringLiteral("Н/Д"));
    EXPECT_TRUE(box->alignment() & Qt::AlignRight);
    EXPECT_TRUE(box->hasFrame());
    EXPECT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(table->cellEditor(), nullptr);

    for (int row : {whole, clock}) {
        box = openEditor<QLineEdit>(row);
        ASSERT_NE(box, nullptr) << row;
        EXPECT_EQ(box->text().toStdString(), parameterOf(row).valueText());
        QTest::keyClick(box, Qt::Key_Escape);
    }

    auto* list = openEditor<QComboBox>(speed);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->itemText(3), QStringLiteral("14400"));
    EXPECT_EQ(list->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(list->width(), cellRect(speed, 1).width() - 2);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(table->cellEditor(), nullptr);

    list = openEditor<QComboBox>(port);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentText(), QStringLiteral("COM3"));
    QTest::keyClick(list, Qt::Key_Escape);
    // Escape ends an edit without a value.
    EXPECT_TRUE(table->calls.empty());
}

TEST_F(TableCtrlTest, FlagsAndBindingsDecideWhetherACellIsEdited) {
    const int readOnlyCell = addRow("a", "int", "1");
    table->changeFlags(readOnlyCell, 1, 0, kCellReadOnly);
    const int readOnlyRow = addRow("b", "int", "1");
    table->changeFlags(readOnlyRow, 2, 0, kCellRowReadOnly);
    const int otherCellReadOnly = addRow("c", "int", "1");
    table->changeFlags(otherCellReadOnly, 0, 0, kCellReadOnly);
    const int disabled = addRow("d", "int", "1");
    table->changeFlags(disabled, 1, 0, kCellDisabled);
    const int nameOnly = table->appendRow("e");
    Parameter spare("Spare");
    spare.setValueType("int");
    table->setBinding(nameOnly, 0, &spare, 0);
    const int unbound = table->appendRow("f");
    ASSERT_TRUE(showAndActivate(window));

    EXPECT_FALSE(table->beginEdit(readOnlyCell));
    EXPECT_FALSE(table->beginEdit(readOnlyRow));
    EXPECT_FALSE(table->beginEdit(disabled));
    EXPECT_FALSE(table->beginEdit(nameOnly));
    EXPECT_FALSE(table->beginEdit(unbound));
    EXPECT_EQ(table->cellEditor(), nullptr);
    // Bit 4 on another cell does not stop editing the value.
    EXPECT_TRUE(table->beginEdit(otherCellReadOnly));
}

TEST_F(TableCtrlTest, DoubleClickEditsOnlyTheValueColumn) {
    const int row = addRow("Адрес", "int", "16");
    ASSERT_TRUE(showAndActivate(window));
    doubleClick(table->viewport(), cellRect(row, 0).center());
    EXPECT_EQ(table->cellEditor(), nullptr);
    doubleClick(table->viewport(), cellRect(row, 2).center());
    EXPECT_EQ(table->cellEditor(), nullptr);
    doubleClick(table->viewport(), cellRect(row, 1).center());
    EXPECT_NE(qobject_cast<QLineEdit*>(table->cellEditor()), nullptr);
    // F2 on the focused row edits its value too.
    QTest::keyClick(table->cellEditor(), Qt::Key_Escape);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_F2);
    EXPECT_NE(qobject_cast<QLineEdit*>(table->cellEditor()), nullptr);
}

TEST_F(TableCtrlTest, EnterEndsTheEditAndTheParameterTakesTheValue) {
    const int row = addRow("Адрес", "int", "16");
    ASSERT_TRUE(showAndActivate(window));

    auto* box = openEditor<QLineEdit>(row);
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, "24");
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return table->cellEditor() == nullptr; }));
    ASSERT_EQ(table->calls.size(), 1u);
    EXPECT_EQ(table->calls[0].row, row);
    EXPECT_EQ(table->calls[0].column, 1);
    EXPECT_EQ(table->calls[0].text, "24");
    EXPECT_FALSE(table->calls[0].editorOpen);
    EXPECT_EQ(table->cellEditor(), nullptr);
    EXPECT_EQ(parameterOf(row).valueText(), "24");
    EXPECT_TRUE(parameterOf(row).valueChanged());
    EXPECT_EQ(table->cellText(row, 1), "24");

    // A text the parameter refuses leaves it and the cell as they were.
    box = openEditor<QLineEdit>(row);
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, "twenty");
    QTest::keyClick(box, Qt::Key_Enter);
    ASSERT_TRUE(waitUntil([&] { return table->cellEditor() == nullptr; }));
    ASSERT_EQ(table->calls.size(), 2u);
    EXPECT_EQ(table->calls[1].text, "twenty");
    EXPECT_EQ(parameterOf(row).valueText(), "24");
    EXPECT_EQ(table->cellText(row, 1), "24");
}

TEST_F(TableCtrlTest, LeavingTheTextBoxEndsTheEdit) {
    const int row = addRow("Вещественный", "float", "1");
    ASSERT_TRUE(showAndActivate(window));
    auto* box = openEditor<QLineEdit>(row);
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, "2.5");
    other->setFocus();
    ASSERT_TRUE(waitUntil([&] { return table->cellEditor() == nullptr; }));
    ASSERT_EQ(table->calls.size(), 1u);
    EXPECT_EQ(table->calls[0].text, "2.5");
    // The parameter keeps a real number in its own form.
    EXPECT_EQ(parameterOf(row).valueText(), "2.500");
    EXPECT_EQ(table->cellText(row, 1), "2.500");
}

TEST_F(TableCtrlTest, NoDataLeftAsItWasStaysNoData) {
    const int row = addRow("Вещественный", "float", "Нет данных");
    ASSERT_TRUE(showAndActivate(window));
    auto* box = openEditor<QLineEdit>(row);
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return table->cellEditor() == nullptr; }));
    ASSERT_EQ(table->calls.size(), 1u);
    EXPECT_EQ(table->calls[0].text, "Нет данных");
    EXPECT_EQ(parameterOf(row).valueText(), "Нет данных");
    EXPECT_FALSE(parameterOf(row).valueChanged());
    EXPECT_EQ(table->cellText(row, 1), "Нет данных");
}

TEST_F(TableCtrlTest, AChoiceInTheListEndsTheEdit) {
    const int row = addRow("Скорость", "2400:4800:9600:14400", "9600");
    ASSERT_TRUE(showAndActivate(window));
    auto* list = openEditor<QComboBox>(row);
    ASSERT_NE(list, nullptr);
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_TRUE(waitUntil([&] { return table->cellEditor() == nullptr; }));
    ASSERT_EQ(table->calls.size(), 1u);
    EXPECT_EQ(table->calls[0].text, "14400");
    EXPECT_FALSE(table->calls[0].editorOpen);
    EXPECT_EQ(parameterOf(row).valueText(), "14400");
    EXPECT_EQ(table->cellText(row, 1), "14400");
}

TEST_F(TableCtrlTest, WriteCellWritesTheBoundParameter) {
    const int row = addRow("Адрес", "int", "16");
    const int unbound = table->appendRow("без привязки");
    std::vector<std::string> written;
    int answer = 0;
    table->setParameterWriter([&](Parameter& parameter) {
        written.push_back(parameter.valueText());
        parameter.setStatusText(answer == 0 ? "" : "Таймаут при передаче данных (нет связи)");
        return answer;
    });

    auto result = table->writeCell(row, 1, "32");
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.status, "");
    EXPECT_EQ(parameterOf(row).valueText(), "32");

    answer = 2;
    result = table->writeCell(row, 1, "40");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.status, "Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(written, (std::vector<std::string>{"32", "40"}));

    result = table->writeCell(unbound, 1, "48");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(written.size(), 2u);

    // Without a writer nothing reaches the module.
    table->setParameterWriter(nullptr);
    EXPECT_FALSE(table->writeCell(row, 1, "56").ok);
}

}  // namespace
}  // namespace tarn::testing
