// The mode choice, clicked as a user clicks it.
#include "ui/config_tree_dialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "widget_helpers.h"

namespace tarn::testing {
namespace {

void clickItem(CConfigTreeDlg& dialog, QTreeWidgetItem* item) {
    QTreeWidget* tree = dialog.tree();
    const QRect area = tree->visualItemRect(item);
    ASSERT_FALSE(area.isEmpty());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, area.center());
}

bool isOn(QTreeWidgetItem* option) {
    return option->data(0, CConfigTreeDlg::kOnRole).toBool();
}

TEST(ConfigTreeDialog, ShowsBothGroupsWithTheFirstOptionsOn) {
    std::uint32_t mode = 0;
    CConfigTreeDlg dialog(mode, true);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Выбор режима работы конфигуратора"));
    ASSERT_EQ(dialog.groupCount(), 2);

    const QStringList titles = {QStringLiteral("Доступ к параметрам TARN:"),
                                QStringLiteral("Поддержка VL1:")};
    const QList<QStringList> options = {
        {QStringLiteral("Параметрам непосредственного управления выходами. Работа совместно с "
                        "ПЛК и SCADA."),
         QStringLiteral("Параметрам интеллектуального управления ИМ. Работа совместно с "
                        "приборами BRIX."),
         QStringLiteral("Полный доступ ко всем параметрам.")},
        {QStringLiteral("Не требуется (скрыть параметры VL1)"),
         QStringLiteral("Требуется (открыть параметры VL1)")}};
    const QList<QList<unsigned>> values = {{1, 2, 3}, {0, 16}};
    for (int g = 0; g < 2; ++g) {
        QTreeWidgetItem* group = dialog.groupItem(g);
        EXPECT_EQ(group->text(0), titles[g]);
        EXPECT_TRUE(group->font(0).bold());
        EXPECT_TRUE(group->isExpanded());
        ASSERT_EQ(group->childCount(), options[g].size());
        for (int o = 0; o < group->childCount(); ++o) {
            QTreeWidgetItem* option = dialog.optionItem(g, o);
            EXPECT_EQ(option->text(0), options[g][o]);
            EXPECT_EQ(option->data(0, CConfigTreeDlg::kValueRole).toUInt(), values[g][o]);
            EXPECT_EQ(isOn(option), o == 0) << g << "/" << o;
            // Every option shows its state image.
            EXPECT_FALSE(option->icon(0).isNull());
        }
    }
    EXPECT_EQ(dialog.chosenMode(), 1u);
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.exitButton()->text(), QStringLiteral("Выход"));
}

TEST(ConfigTreeDialog, EveryCombinationGivesItsMode) {
    const struct {
        int access;
        int vl1;
        std::uint32_t mode;
    } cases[] = {{0, 0, 1}, {1, 0, 2}, {2, 0, 3}, {0, 1, 17}, {1, 1, 18}, {2, 1, 19}};
    for (const auto& c : cases) {
        std::uint32_t mode = 0;
        CConfigTreeDlg dialog(mode, true);
        ASSERT_TRUE(showAndActivate(dialog));
        // Start from the other end, so each click really changes something.
        clickItem(dialog, dialog.optionItem(0, 2 - c.access));
        clickItem(dialog, dialog.optionItem(1, 1 - c.vl1));
        clickItem(dialog, dialog.optionItem(0, c.access));
        clickItem(dialog, dialog.optionItem(1, c.vl1));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(mode, c.mode) << c.access << "/" << c.vl1;
    }
}

TEST(ConfigTreeDialog, AClickMovesTheMarkWithinItsGroupOnly) {
    std::uint32_t mode = 0;
    CConfigTreeDlg dialog(mode, true);
    ASSERT_TRUE(showAndActivate(dialog));
    const QIcon offImage = dialog.optionItem(0, 1)->icon(0);
    const QIcon onImage = dialog.optionItem(0, 0)->icon(0);
    EXPECT_NE(offImage.pixmap(16).toImage(), onImage.pixmap(16).toImage());

    clickItem(dialog, dialog.optionItem(0, 1));
    EXPECT_FALSE(isOn(dialog.optionItem(0, 0)));
    EXPECT_TRUE(isOn(dialog.optionItem(0, 1)));
    EXPECT_FALSE(isOn(dialog.optionItem(0, 2)));
    EXPECT_TRUE(isOn(dialog.optionItem(1, 0)));
    // The images follow the marks; no highlight stays behind.
    EXPECT_EQ(dialog.optionItem(0, 1)->icon(0).pixmap(16).toImage(), onImage.pixmap(16).toImage());
    EXPECT_EQ(dialog.optionItem(0, 0)->icon(0).pixmap(16).toImage(), offImage.pixmap(16).toImage());
    EXPECT_TRUE(dialog.tree()->selectedItems().isEmpty());

    // Group titles are not options.
    clickItem(dialog, dialog.groupItem(1));
    clickItem(dialog, dialog.groupItem(0));
    EXPECT_TRUE(isOn(dialog.optionItem(0, 1)));
    EXPECT_TRUE(isOn(dialog.optionItem(1, 0)));
    EXPECT_EQ(dialog.chosenMode(), 2u);
    EXPECT_TRUE(dialog.tree()->selectedItems().isEmpty());

    // The keyboard chooses as well.
    dialog.tree()->setFocus();
    dialog.tree()->setCurrentItem(dialog.optionItem(1, 0));
    QTest::keyClick(dialog.tree(), Qt::Key_Down);
    EXPECT_TRUE(isOn(dialog.optionItem(1, 1)));
    EXPECT_EQ(dialog.chosenMode(), 18u);
}

TEST(ConfigTreeDialog, ExitOnlyBeforeATreeWasLoaded) {
    std::uint32_t mode = 7;
    {
        CConfigTreeDlg first(mode, true);
        ASSERT_TRUE(showAndActivate(first));
        EXPECT_TRUE(first.exitButton()->isEnabled());
        clickItem(first, first.optionItem(0, 2));
        QTest::mouseClick(first.exitButton(), Qt::LeftButton);
        EXPECT_EQ(first.result(), QDialog::Rejected);
        EXPECT_FALSE(first.isVisible());
        EXPECT_EQ(mode, 7u);  // a cancelled choice writes nothing
    }
    CConfigTreeDlg again(mode, false);
    ASSERT_TRUE(showAndActivate(again));
    EXPECT_FALSE(again.exitButton()->isEnabled());
    // Neither Escape nor the close box leave without a mode.
    QTest::keyClick(&again, Qt::Key_Escape);
    again.close();
    EXPECT_TRUE(again.isVisible());
    EXPECT_EQ(mode, 7u);
    QTest::mouseClick(again.okButton(), Qt::LeftButton);
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(mode, 1u);
}

TEST(ConfigTreeDialog, RunsModallyUntilOk) {
    std::uint32_t mode = 0;
    CConfigTreeDlg dialog(mode, false);
    bool wasModal = false;
    QTimer::singleShot(0, &dialog, [&] {
        wasModal = QApplication::activeModalWidget() == &dialog;
        clickItem(dialog, dialog.optionItem(0, 1));
        clickItem(dialog, dialog.optionItem(1, 1));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    // A broken dialog is closed by force rather than left hanging.
    QTimer::singleShot(15000, &dialog, [&] { dialog.done(-1); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(mode, 18u);
}

}  // namespace
}  // namespace tarn::testing
