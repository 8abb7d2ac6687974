// The application's main window and its commands, started the way the
// command line starts it, with the boxes recorded instead of shown.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include "app/command_line.h"
#include "app/main_frame.h"
#include "app/tarn_application.h"
#include "document/command_ids.h"
#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "platform/settings_store.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"
#include "ui/tarn_tree_view.h"
#include "ui/trend_plot_dock.h"
#include "ui/trend_plot_view.h"

namespace tarn {
namespace {

using testing::RecordingInteraction;

// Hands the boxes to a recorder the test keeps.
class Forwarding : public UserInteraction {
public:
    explicit Forwarding(RecordingInteraction& target) : target_(target) {}
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     unsigned flags) override {
        target_.showMessage(text, caption, icon, flags);
    }
    bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                  bool defaultYes) override {
        return target_.askYesNo(text, caption, icon, defaultYes);
    }

private:
    RecordingInteraction& target_;
};

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(scratch_ / "ports");
        setenv("TARN_PORTS_DIR", (scratch_ / "ports").c_str(), 1);
        setenv("TARN_SETTINGS_DIR", (scratch_ / "settings").c_str(), 1);
    }
    void TearDown() override {
        app_.reset();
        unsetenv("TARN_PORTS_DIR");
        unsetenv("TARN_SETTINGS_DIR");
    }

    // Starts the program with these arguments (the windows are real, the
    // platform offscreen).
    bool start(const std::vector<std::string>& arguments) {
        app_ = std::make_unique<TarnApplication>(parseCommandLine(arguments), false,
                                                 std::make_unique<Forwarding>(ui_));
        return app_->start();
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const auto& m : ui_.messages) {
            all.push_back(m.text);
        }
        return all;
    }

    testing::ScratchFolder scratch_;
    RecordingInteraction ui_;
    std::unique_ptr<TarnApplication> app_;
};

TEST_F(MainWindow, TheTitleNamesTheModeAndTheDocument) {
    EXPECT_EQ(CMainFrame::titleFor(18, "a.tarn"),
              "TARN <Интеллектуальное управление ИМ (VL1 требуется)> - a.tarn");
    EXPECT_EQ(CMainFrame::titleFor(0, ""), "TARN <>");

    // A configuration stored in mode 18 opens in mode 18.
    const auto file = scratch_ / "mode18.tarn";
    {
        SettingsStore settings((scratch_ / "settings").string());
        TarnDocument document(ui_, settings, std::filesystem::path(TARN_BIN_DIR) / "tarn.tree.dat");
        ASSERT_TRUE(document.switchToMode(18));
        ASSERT_TRUE(document.saveFile(file));
    }
    ASSERT_TRUE(start({"-silent", file.string()}));
    EXPECT_EQ(app_->mainFrame()->windowTitle(),
              "TARN <Интеллектуальное управление ИМ (VL1 требуется)> - mode18.tarn");
}

TEST_F(MainWindow, OfflineGreysTheDeviceMenusAndLoadsTheFullTree) {
    ASSERT_TRUE(start({"-silent"}));
    CMainFrame* frame = app_->mainFrame();
    EXPECT_TRUE(app_->commandLine().offline());
    EXPECT_EQ(app_->document().mode(), 19u);
    EXPECT_FALSE(frame->deviceMenu()->isEnabled());
    EXPECT_FALSE(frame->treeMenu()->isEnabled());
    for (const int id : {command::kReadAll, command::kWriteAll, command::kIdentify, command::kInit,
                         command::kViewReadBranch, command::kAutoRead}) {
        EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
    }
    for (const int id : {command::kNew, command::kOpen, command::kSave, command::kAbout}) {
        EXPECT_TRUE(frame->action(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(frame->isChecked(command::kAutoRead));
    EXPECT_TRUE(ui_.messages.empty()) << ui_.allTexts();
}

TEST_F(MainWindow, GraphsShowsAndHidesThePlotWhichTakesThePolledValues) {
    ASSERT_TRUE(start({"-silent"}));
    CMainFrame* frame = app_->mainFrame();
    frame->show();
    TrendPlotDock* dock = app_->trendPlots();
    ASSERT_NE(dock, nullptr);
    EXPECT_TRUE(dock->isHidden());
    QAction* graphs = frame->action(command::kTrendPlots);
    ASSERT_NE(graphs, nullptr);
    EXPECT_EQ(graphs->text(), "Графики\tCtrl+G");
    EXPECT_EQ(graphs->shortcut(), QKeySequence("Ctrl+G"));
    EXPECT_TRUE(graphs->isEnabled());  // offline too
    graphs->trigger();
    EXPECT_FALSE(dock->isHidden());
    EXPECT_TRUE(frame->isChecked(command::kTrendPlots));
    // Closed by its own button, the menu item follows.
    dock->close();
    EXPECT_FALSE(frame->isChecked(command::kTrendPlots));

    // A polled value put on the plot from the tree shows the window.
    std::vector<Parameter*> scanners;
    app_->document().scanners()->collectPolledParameters(scanners);
    ASSERT_FALSE(scanners.empty());
    CTARNTreeListView* view = app_->view();
    EXPECT_EQ(view->showOnPlot(view->treeModel().indexOfParameter(scanners.front())), 1);
    EXPECT_FALSE(dock->isHidden());
    EXPECT_TRUE(dock->plot().contains(scanners.front()));
    scanners.front()->stopPolling();
}

TEST_F(MainWindow, APlacedWindowIsLockedUntilTheTaskHasEnded) {
    ASSERT_TRUE(start({"-silent", "/x:10/y:20/w:800/h:600"}));
    CMainFrame* frame = app_->mainFrame();
    EXPECT_TRUE(frame->locked());
    EXPECT_EQ(frame->minimumSize(), QSize(800, 600));
    EXPECT_EQ(frame->maximumSize(), QSize(800, 600));
    frame->setWindowState(Qt::WindowMaximized);
    EXPECT_FALSE(frame->windowState() & Qt::WindowMaximized);
    // Without a task the task ends as soon as the start-up runner's queued
    // work has run; how soon depends on the machine's load, so wait for it.
    EXPECT_TRUE(QTest::qWaitFor([frame] { return !frame->locked(); }, 10000));
    EXPECT_NE(frame->maximumSize(), QSize(800, 600));
}

TEST_F(MainWindow, AnsweringNoToTheModeSwitchKeepsTheTree) {
    ASSERT_TRUE(start({"-silent"}));
    DescBranch* before = app_->document().root();
    ASSERT_NE(before, nullptr);
    ui_.answers.push_back(false);
    app_->runCommand(command::kNew);
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, "Хотите переключиться на другой режим работы конфигуратора?");
    EXPECT_EQ(ui_.questions[0].icon, MessageIcon::Information);
    EXPECT_EQ(app_->document().root(), before);
    EXPECT_EQ(app_->document().mode(), 19u);
}

TEST_F(MainWindow, ExchangeCommandsWithoutATreeAndBranchCommandsOnAParameter) {
    // A port that does not exist: the program is not offline, the search
    // fails with its message.
    ASSERT_TRUE(start({"-port:97"}));
    ASSERT_FALSE(app_->commandLine().offline());
    ui_.messages.clear();

    // A branch command on a parameter row.
    CTARNTreeListView* view = app_->view();
    const Parameter* output = app_->document().outputs()[0];
    ASSERT_NE(output, nullptr);
    const QModelIndex row = view->treeModel().indexOfParameter(output);
    ASSERT_TRUE(row.isValid());
    view->setCurrentIndex(row);
    for (const int id : {command::kViewReadBranch, command::kViewWriteBranch,
                         command::kViewWriteChangedBranch, command::kViewCompareBranch}) {
        app_->runCommand(id);
    }
    ASSERT_EQ(ui_.messages.size(), 4u);
    for (const auto& m : ui_.messages) {
        EXPECT_EQ(m.text, "Ветвь не определена");
        EXPECT_EQ(m.caption, "Операция невозможна");
        EXPECT_EQ(m.icon, MessageIcon::Error);
    }

    // Without a tree every exchange command refuses.
    ui_.messages.clear();
    view->showDocument(nullptr, {});
    app_->document().clearTree();
    for (const int id : {command::kReadAll, command::kWriteAll, command::kWriteChanged,
                         command::kCompare, command::kInitialiseDevice}) {
        app_->runCommand(id);
    }
    ASSERT_EQ(ui_.messages.size(), 5u) << ui_.allTexts();
    for (const auto& m : ui_.messages) {
        EXPECT_EQ(m.text, "Дерево не определено");
        EXPECT_EQ(m.caption, "Операция невозможна");
    }
    EXPECT_TRUE(ui_.questions.empty()) << "nothing is asked or sent";
}

TEST_F(MainWindow, ProgramModesAndTheirExplanations) {
    ASSERT_TRUE(start({"-port:97"}));
    ui_.messages.clear();
    CMainFrame* frame = app_->mainFrame();
    frame->action(command::kImmediateWrite)->trigger();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text.rfind("В режиме 'Моментальная запись'", 0), 0u);
    frame->action(command::kImmediateWrite)->trigger();
    EXPECT_EQ(ui_.messages.size(), 1u) << "turning it off shows nothing";

    frame->action(command::kNoAttributes)->trigger();
    EXPECT_TRUE(app_->linkContext().attributesSuppressed());
    EXPECT_EQ(ui_.messages.size(), 2u);
    frame->action(command::kNoAttributes)->trigger();
    EXPECT_FALSE(app_->linkContext().attributesSuppressed());

    frame->action(command::kShowIndices)->trigger();
    EXPECT_TRUE(app_->view()->treeModel().showIndices());
    const QModelIndex row = app_->view()->treeModel().indexOfParameter(
        app_->document().outputs()[3], ParameterTreeModel::kName);
    EXPECT_EQ(row.data().toString(), "POUt:3");
}

}  // namespace
}  // namespace tarn
