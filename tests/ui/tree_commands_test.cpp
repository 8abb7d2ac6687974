// The parameter tree's context menus, the single-parameter commands against
// the simulated module, problem navigation, header sorting and the check of
// the groups' linear indices.
#include <gtest/gtest.h>

#include <QHeaderView>

#include "description/tree_modes.h"
#include "document/command_ids.h"
#include "support/private_files.h"
#include "tree_view_fixture.h"
#include "ui/eliding_header.h"

namespace tarn::testing {
namespace {

class TreeCommandsTest : public TreeViewTest {
protected:
    // The entries of the menu a right click on the row opens ("-" for a
    // separator); empty when none opens. The entry `choice` is chosen.
    QStringList rightClick(const QModelIndex& index, const QString& choice = {}) {
        QStringList entries;
        QTimer::singleShot(0, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                QAction* chosen = nullptr;
                for (QAction* action : menu->actions()) {
                    entries.push_back(action->isSeparator() ? "-" : action->text());
                    if (action->text() == choice) {
                        chosen = action;
                    }
                }
                menu->close();
                if (chosen != nullptr) {
                    chosen->trigger();
                }
            }
        });
        const QPoint position = centre(index);
        QContextMenuEvent event(QContextMenuEvent::Mouse, position,
                                view->viewport()->mapToGlobal(position));
        QApplication::sendEvent(view->viewport(), &event);
        QApplication::processEvents();
        return entries;
    }

    QModelIndex groupRow(const InvisibleElement* group) {
        const QModelIndex index = model().indexOfGroup(group);
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
            view->expand(up);
        }
        view->scrollTo(index);
        return index;
    }

    DescBranch* output(int number) {
        const auto& children = document->root()->children();
        return children[static_cast<std::size_t>(number)].get();  // 0: network settings
    }

    // Runs a navigation command: the parameter it selected, or null when
    // it ended with a message.
    Parameter* navigate(int command) {
        const std::size_t messages = ui.messages.size();
        EXPECT_TRUE(view->runCommand(command));
        return ui.messages.size() == messages ? view->selectedParameter() : nullptr;
    }
};

TEST_F(TreeCommandsTest, ARightClickChoosesTheRowAndOffersItsMenu) {
    QMenu treeMenu;
    for (const char* text : {"Прочитать все параметры выделеной ветви",
                             "Записать все параметры "
                             "выделеной ветви"}) {
        treeMenu.addAction(QString::fromUtf8(text));
    }
    view->setBranchMenu(&treeMenu);
    show();

    Parameter& point = parameter("SP");
    EXPECT_EQ(rightClick(cell(point, 0)),
              (QStringList{"Прочитать параметр", "Записать параметр", "-",
                           "Установить значение в \"Нет данных\""}));
    EXPECT_EQ(document->chosenObject().parameter, &point);
    EXPECT_EQ(view->selectedParameter(), &point);
    point.setValueText("10.000");
    rightClick(cell(point, 0), "Установить значение в \"Нет данных\"");
    ASSERT_TRUE(waitUntil([&] { return point.hasNoData(); }));
    EXPECT_EQ(text(point, ParameterTreeModel::kValue), "Нет данных");
    EXPECT_EQ(rightClick(cell(parameter("HID"), 0)),
              (QStringList{"Прочитать параметр", "-", "Установить значение в \"Нет данных\""}));

    EXPECT_EQ(rightClick(groupRow(document->networkSettings())).size(), 2);
    EXPECT_EQ(document->chosenObject().group, document->networkSettings());
    EXPECT_EQ(document->chosenObject().parameter, nullptr);
    // Polled values and their branches have no menu.
    EXPECT_TRUE(rightClick(groupRow(document->scanners())).isEmpty());
    EXPECT_TRUE(rightClick(groupRow(document->scanners()->children().front().get())).isEmpty());
    EXPECT_TRUE(rightClick(cell(parameter("r.Ao", 0), 0)).isEmpty());
}

TEST_F(TreeCommandsTest, TheChosenParameterIsReadWrittenAndForgotten) {
    show();
    ASSERT_TRUE(engine.StartThreads({}));
    EXPECT_TRUE(view->runCommand(command::kReadParameter));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.back().text, "Ничего не выбрано!");
    EXPECT_EQ(ui.messages.back().caption, "Операция невозможна");
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Exclamation);

    Parameter& point = parameter("SP");
    view->chooseRow(cell(point, 0));
    view->runCommand(command::kReadParameter);
    EXPECT_EQ(point.valueText(), "25.000");
    EXPECT_EQ(text(point, ParameterTreeModel::kValue), "25.000");
    EXPECT_EQ(display.titles().size(), 1u);

    typeInto(point, ParameterTreeModel::kValue, "33");
    EXPECT_EQ(writesOf("SP"), 0);
    view->runCommand(command::kWriteParameter);
    EXPECT_EQ(module.value("SP"), "33.000");
    EXPECT_FALSE(point.hasAnyChange());
    EXPECT_EQ(colour(point), QColor(0, 0, 0));

    point.setStatusText("Таймаут при передаче данных (нет связи)");
    point.setValueChanged(true);
    view->runCommand(command::kForgetValue);
    EXPECT_EQ(point.valueText(), "Нет данных");
    EXPECT_TRUE(point.statusText().empty());
    EXPECT_FALSE(point.hasAnyChange());
    EXPECT_EQ(text(point, ParameterTreeModel::kValue), "Нет данных");

    // A chosen branch is no parameter: the commands leave it alone.
    view->chooseRow(groupRow(document->networkSettings()));
    const std::size_t frames = received().size();
    view->runCommand(command::kReadParameter);
    EXPECT_EQ(received().size(), frames);
    EXPECT_EQ(ui.messages.size(), 1u) << ui.allTexts();
    EXPECT_FALSE(view->runCommand(279));
}

TEST_F(TreeCommandsTest, OpeningABranchReadsItsParametersWithoutDataWhileAutoReadIsOn) {
    bool autoRead = false;
    view->setAutoRead([&] { return autoRead; }, [this](Parameter& p) { engine.ReadParameter(p); });
    show();
    const QModelIndex first = model().indexOfGroup(output(1));
    view->expand(first);
    EXPECT_TRUE(output(1)->find("o.Lo")->hasNoData());
    autoRead = true;
    const QModelIndex second = model().indexOfGroup(output(2));
    view->expand(second);
    for (const auto& p : output(2)->parameters()) {
        EXPECT_FALSE(p->hasNoData()) << p->networkName();
        EXPECT_EQ(text(*p, ParameterTreeModel::kValue).toStdString(), p->valueText());
    }
}

TEST_F(TreeCommandsTest, NavigationWithoutProblemsEndsWithItsMessages) {
    // Polled values and the computer's parameters are no problems.
    parameter("r.Ao", 1).setStatusText("Таймаут при передаче данных (нет связи)");
    document->programSettings().find("bPS")->setStatusText("Ошибка");
    document->root()->addChild(std::make_unique<DescBranch>("Пустая ветвь", 1, 1, 3, 3));
    show();
    for (const int command : {command::kNextProblem, command::kPreviousProblem}) {
        view->setCurrentIndex({});
        EXPECT_EQ(navigate(command), nullptr);
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.messages.back().text, "Нет больше проблемных параметров");
        EXPECT_EQ(ui.messages.back().icon, MessageIcon::Information);
    }
    view->setCurrentIndex(groupRow(document->root()->children().back().get()));
    EXPECT_EQ(navigate(command::kNextProblem), nullptr);
    EXPECT_EQ(ui.messages.back().text, "Нет других проблемных параметров");
    EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_F(TreeCommandsTest, NavigationVisitsTheProblemsInTreeOrder) {
    Parameter& hysteresis = parameter("HYS");
    Parameter* first = output(1)->find("o.Lo");
    Parameter* second = output(2)->find("A9");
    Parameter* third = output(2)->find("a2");
    for (Parameter* problem : {&hysteresis, first, second, third}) {
        problem->setStatusText("Таймаут при передаче данных (нет связи)");
    }
    show();
    view->collapseAll();

    // From nothing selected: down into the device tree, then onwards.
    view->setCurrentIndex({});
    EXPECT_EQ(navigate(command::kNextProblem), &hysteresis);
    EXPECT_EQ(navigate(command::kNextProblem), first);
    EXPECT_TRUE(view->isExpanded(model().indexOfGroup(output(1))));
    EXPECT_EQ(navigate(command::kNextProblem), second);
    EXPECT_EQ(navigate(command::kNextProblem), third);
    EXPECT_EQ(navigate(command::kNextProblem), nullptr);
    EXPECT_EQ(ui.messages.back().text, "Нет больше проблемных параметров");
    view->setCurrentIndex(model().indexOfParameter(third));

    // Back: the siblings first, then the last problem of each group before.
    EXPECT_EQ(navigate(command::kPreviousProblem), second);
    EXPECT_EQ(navigate(command::kPreviousProblem), first);
    EXPECT_EQ(navigate(command::kPreviousProblem), &hysteresis);
    EXPECT_EQ(navigate(command::kPreviousProblem), nullptr);

    // From the computer's parameters back into the device tree; from a
    // branch down to its first parameter, which is a problem.
    view->setCurrentIndex(cell(*document->programSettings().find("bPS"), 0));
    EXPECT_EQ(navigate(command::kPreviousProblem), third);
    view->setCurrentIndex(groupRow(output(2)));
    EXPECT_EQ(navigate(command::kPreviousProblem), second);
    EXPECT_EQ(ui.messages.size(), 2u) << ui.allTexts();
}

TEST_F(TreeCommandsTest, AHeaderClickSortsEveryBranchByNumbersInTheTexts) {
    show();
    const QModelIndex branch = groupRow(output(1));
    const auto captions = [&] {
        QStringList texts;
        for (int row = 0; row < model().rowCount(branch); ++row) {
            texts.push_back(model().index(row, 0, branch).data().toString());
        }
        return texts;
    };
    EXPECT_EQ(captions(), (QStringList{"A9", "Нижняя граница", "a2", "A10"}));
    Parameter* selected = output(1)->find("A10");
    view->setCurrentIndex(model().indexOfParameter(selected));

    QHeaderView* header = view->header();
    const QPoint title(header->sectionViewportPosition(0) + 30, header->height() / 2);
    // The first column starts out ascending: the first click descends.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(captions(), (QStringList{"Нижняя граница", "A10", "A9", "a2"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(captions(), (QStringList{"a2", "A9", "A10", "Нижняя граница"}));
    EXPECT_EQ(view->selectedParameter(), selected);
    // The polled values keep their header row on top.
    const QModelIndex polled = groupRow(document->scanners());
    EXPECT_EQ(model().rowKind(model().index(0, 0, polled)),
              ParameterTreeModel::RowKind::PollHeader);

    // A title too long for its column is cut at the end.
    const QString title3 = static_cast<ElidingHeader*>(header)->shownTitle(3);
    EXPECT_TRUE(title3.startsWith("Атрибут")) << title3.toStdString();
    EXPECT_TRUE(title3.endsWith(QChar(0x2026))) << title3.toStdString();
}

TEST_F(TreeCommandsTest, AGroupsLinearIndexIsCheckedOnceWhenItsRowIsBuilt) {
    output(2)->find("a2")->setLinearIndex(5);
    model().setShowIndices(true);
    show();
    const auto warnings = [&] {
        return std::count_if(ui.messages.begin(), ui.messages.end(),
                             [](const ShownMessage& m) { return m.caption == "Предупреждение"; });
    };
    ASSERT_EQ(warnings(), 1) << ui.allTexts();
    EXPECT_EQ(ui.messages.back().text, "Параметер 'a2' (a2) имеет подозрительный линейный индекс.");
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Exclamation);
    EXPECT_EQ(model().data(groupRow(output(2)).siblingAtColumn(1)).toString(), "(1)");

    // Drawing and refreshing the rows, switching the indices off and on:
    // no more warnings.
    view->expandAll();
    window.grab();
    view->refreshAll();
    model().setShowIndices(false);
    EXPECT_TRUE(model().data(groupRow(output(2)).siblingAtColumn(1)).toString().isEmpty());
    model().setShowIndices(true);
    window.grab();
    EXPECT_EQ(warnings(), 1) << ui.allTexts();
}

TEST(TreeIndices, TheProgramsTreesShowTheirIndicesWithoutWarnings) {
    ScratchFolder folder;
    const auto container = privateContainer(folder);
    SettingsStore settings((folder / "settings").string());
    RecordingInteraction ui;
    TarnDocument document(ui, settings, container);
    ParameterTreeModel model(ui);
    model.setShowIndices(true);
    for (const std::uint32_t mode : kTreeModes) {
        ASSERT_TRUE(document.switchToMode(mode)) << mode;
        model.setDocument(&document, "");
        model.setDocument(nullptr, "");
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
}

}  // namespace
}  // namespace tarn::testing
