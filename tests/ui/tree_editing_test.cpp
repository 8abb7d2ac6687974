// Editing the parameter tree with the mouse and the keyboard: the text box
// and the list, what their keys commit, the rules an edit passes, the
// immediate write to the simulated module, the program's port settings and
// the polled values.
#include <gtest/gtest.h>

#include <QScrollBar>

#include "tree_view_fixture.h"

namespace tarn::testing {
namespace {

TEST_F(TreeViewTest, ATypedValueIsWrittenAtOnceOnlyInImmediateWriteMode) {
    show();
    Parameter& hysteresis = parameter("HYS");
    typeInto(hysteresis, ParameterTreeModel::kValue, "1.25");
    EXPECT_EQ(hysteresis.valueText(), "1.250");
    EXPECT_EQ(text(hysteresis, ParameterTreeModel::kValue), "1.250");
    EXPECT_EQ(colour(hysteresis), QColor(0, 200, 0));
    EXPECT_EQ(writesOf("HYS"), 0);
    EXPECT_TRUE(document->modified());

    context.setImmediateWrite(true);
    Parameter& point = parameter("SP");
    typeInto(point, ParameterTreeModel::kValue, "42.5");
    EXPECT_EQ(writesOf("SP"), 1);
    EXPECT_EQ(module.value("SP"), "42.500");
    EXPECT_EQ(text(point, ParameterTreeModel::kValue), "42.500");
    EXPECT_EQ(colour(point), QColor(0, 0, 0));

    // The module keeps its serial number: the row turns red, the status
    // says why, the entered value stays.
    Parameter& serial = parameter("SErN");
    typeInto(serial, ParameterTreeModel::kValue, "777");
    EXPECT_EQ(module.value("SErN"), "12345");
    EXPECT_EQ(colour(serial), QColor(255, 0, 0));
    EXPECT_FALSE(serial.statusText().empty());
    EXPECT_EQ(text(serial, ParameterTreeModel::kStatus).toStdString(), serial.statusText());
    EXPECT_EQ(text(serial, ParameterTreeModel::kValue), "777");
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().caption, "Значение не удалось записать в прибор");
    EXPECT_EQ(ui.messages.back().text, serial.statusText());
}

TEST_F(TreeViewTest, EscCancelsATextBoxAndLeavingItCommits) {
    show();
    Parameter& point = parameter("SP");
    typeInto(point, ParameterTreeModel::kValue, "77", Qt::Key_Escape);
    EXPECT_EQ(point.valueText(), "Нет данных");
    EXPECT_FALSE(point.hasAnyChange());
    EXPECT_FALSE(document->modified());
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();

    // F2 opens the value of the selected row; a click elsewhere commits.
    view->setCurrentIndex(cell(point, ParameterTreeModel::kCaption));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F2);
    auto* box = qobject_cast<QLineEdit*>(view->cellEditor());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->selectedText(), "Нет данных");
    QTest::keyClicks(box, "55");
    // A long text widens the box, up to the right edge of the view.
    const int width = box->width();
    QTest::keyClicks(box, "0000000000000000000000000000000000000000");
    EXPECT_GT(box->width(), width);
    EXPECT_LE(box->geometry().right(), view->viewport()->width());
    QTest::keyClick(box, Qt::Key_End);
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(box, Qt::Key_Backspace);
    }
    other->setFocus();
    ASSERT_TRUE(waitUntil([&] { return view->cellEditor() == nullptr; }));
    EXPECT_EQ(point.valueText(), "55.000");

    // Scrolling ends an edit as leaving it does.
    view->expandAll();
    window.resize(1100, 250);
    QApplication::processEvents();
    ASSERT_GT(view->verticalScrollBar()->maximum(), 0);
    view->verticalScrollBar()->setValue(0);
    box = openEditor<QLineEdit>(parameter("HYS"), ParameterTreeModel::kValue);
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, "3");
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    EXPECT_EQ(view->cellEditor(), nullptr);
    EXPECT_EQ(parameter("HYS").valueText(), "3.000");
}

TEST_F(TreeViewTest, AListOffersTheVisibleItemsAndEscTakesTheSelectedOne) {
    show();
    Parameter& mode = parameter("Mode");
    mode.setValueText("Ремонт");
    auto* list = openEditor<QComboBox>(mode, ParameterTreeModel::kValue);
    ASSERT_NE(list, nullptr);
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items.push_back(list->itemText(i));
    }
    EXPECT_EQ(items, (QStringList{"Ремонт", "Авто", "Ручной режим"}));
    EXPECT_EQ(list->currentIndex(), 0);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(view->cellEditor(), nullptr);
    EXPECT_EQ(mode.valueText(), "Авто");
    EXPECT_TRUE(mode.valueChanged());

    // The editing attribute: the other text, kept for the next write.
    list = openEditor<QComboBox>(mode, ParameterTreeModel::kEditable);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(1), "Не редактируемый");
    list->setCurrentIndex(1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(mode.editable());
    EXPECT_TRUE(mode.editableChanged());

    // Rows that are not accessible open nothing and are drawn grey; the
    // owner column opens nothing either.
    EXPECT_EQ(openEditor<QWidget>(parameter("HID"), ParameterTreeModel::kValue), nullptr);
    EXPECT_EQ(colour(parameter("HID")),
              QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
    EXPECT_EQ(openEditor<QWidget>(mode, ParameterTreeModel::kOwner), nullptr);
    parameter("HID").setStatusText("Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(colour(parameter("HID")), QColor(255, 0, 0));
}

TEST_F(TreeViewTest, TheModulesAddressMustBeAMultipleOfEight) {
    show();
    Parameter& address = parameter("Addr");
    typeInto(address, ParameterTreeModel::kValue, "12");
    EXPECT_EQ(address.valueText(), "Нет данных");
    EXPECT_EQ(text(address, ParameterTreeModel::kValue), "Нет данных");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.back().text, "Значение адреса должно быть кратно 8!");
    EXPECT_EQ(ui.messages.back().caption, "Неудалось изменить значение сетевого адреса");
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Error);

    typeInto(address, ParameterTreeModel::kValue, "16");
    EXPECT_EQ(address.valueText(), "16");
    EXPECT_EQ(ui.messages.size(), 1u) << ui.allTexts();
    EXPECT_EQ(colour(address), QColor(0, 200, 0));
}

TEST_F(TreeViewTest, APortSettingsEditReopensThePortAndSendsNothing) {
    show();
    const std::size_t frames = received().size();
    Parameter& speed = *document->programSettings().find("bPS");
    auto* list = openEditor<QComboBox>(speed, ParameterTreeModel::kValue);
    ASSERT_NE(list, nullptr);
    const int choice = list->findText("19200");
    ASSERT_GT(choice, 0);
    list->setCurrentIndex(choice);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(speed.valueText(), "19200");
    EXPECT_EQ(portApplications, 1);
    EXPECT_TRUE(link.port().isOpen());
    EXPECT_EQ(link.port().baudRate(), 19200);
    EXPECT_EQ(received().size(), frames);
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
}

TEST_F(TreeViewTest, PolledValuesTakeAPeriodOfAtLeast100AndAreWrittenAtOnce) {
    show();
    Parameter& signal = parameter("r.Ao", 1);
    ASSERT_TRUE(signal.hasPollingTimer());
    typeInto(signal, ParameterTreeModel::kName, "99.9");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.back().caption, "Неудалось изменить период опроса");
    EXPECT_EQ(text(signal, ParameterTreeModel::kName), "1000");
    typeInto(signal, ParameterTreeModel::kName, "250.7");
    EXPECT_EQ(signal.pollingPeriod(), 250);
    EXPECT_EQ(text(signal, ParameterTreeModel::kName), "250");
    EXPECT_EQ(openEditor<QWidget>(parameter("r.oe.s", 1), ParameterTreeModel::kName), nullptr);

    // While it is polled, an edit of the value warns first; the value goes
    // to the module whatever the write mode.
    ASSERT_EQ(signal.startPolling(), 0);
    typeInto(signal, ParameterTreeModel::kValue, "7.5");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages.back().text,
              "Данный параметр опрашивается.\nВо время изменения значения вывод на экран "
              "измененных значений\nбудет блокирован.");
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Exclamation);
    EXPECT_EQ(module.value("r.Ao", 1), "7.500");
    EXPECT_EQ(text(signal, ParameterTreeModel::kValue), "7.500");
    signal.stopPolling();
}

TEST_F(TreeViewTest, NoPolledValueReachesTheRowsWhileAnEditorIsOpen) {
    show();
    std::vector<Parameter*> scanners;
    document->scanners()->collectPolledParameters(scanners);
    engine.setPollResultReceiver(view);
    ASSERT_TRUE(engine.StartThreads(scanners));
    Parameter& signal = parameter("r.Ao", 0);
    const QModelIndex polled = cell(signal, ParameterTreeModel::kValue);
    signal.setPollingPeriod(100);
    ASSERT_EQ(signal.startPolling(), 0);

    auto* box = openEditor<QLineEdit>(parameter("HYS"), ParameterTreeModel::kValue);
    ASSERT_NE(box, nullptr);
    // Several periods pass with the editor open.
    QTest::qWait(450);
    EXPECT_TRUE(model().data(polled).toString().isEmpty());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([&] { return !model().data(polled).toString().isEmpty(); }));
    signal.stopPolling();
}

}  // namespace
}  // namespace tarn::testing
