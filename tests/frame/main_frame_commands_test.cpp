// The main frame on its own: every command of the menus with its text and
// accelerator, the toolbar's order, the status bar's panes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QToolBar>
#include <fstream>

#include "app/main_frame.h"
#include "document/command_ids.h"

namespace tarn {
namespace {

TEST(MainFrameCommands, EveryServiceCommandHasItsTextAndKey) {
    CMainFrame frame;
    using namespace command;
    const struct {
        int id;
        const char* text;
        const char* key;
    } expected[] = {
        {kSinglePoint, "Опрос отдельного параметра\tAlt+S", "Alt+S"},
        {kAply, "Послать команду &APLY\tAlt+A", "Alt+A"},
        {kCalibrate, "Юстировка", ""},
        {kInit, "Послать команду &INIT\tAlt+I", "Alt+I"},
        {kHelp, "&Справка\tF1", ""},
        {kHelpButton, "Справка", "F1"},
    };
    for (const auto& item : expected) {
        QAction* action = frame.action(item.id);
        ASSERT_NE(action, nullptr) << item.id;
        EXPECT_EQ(action->text(), QString::fromUtf8(item.text)) << item.id;
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromUtf8(item.key))) << item.id;
    }
    // The password change shows its prompt in the status bar.
    QAction* passwords = frame.action(kChangePasswords);
    ASSERT_NE(passwords, nullptr);
    EXPECT_EQ(passwords->statusTip(),
              "Смена паролей среднего и полного уровней доступа. Функция разрешена только с "
              "полного уровня доступа");
    QStatusTipEvent tip(passwords->statusTip());
    QApplication::sendEvent(&frame, &tip);
    EXPECT_EQ(frame.statusBar()->currentMessage(), passwords->statusTip());

    // Offline the device commands are grey; the password change and help stay.
    frame.setOffline(true);
    for (const int id : {kSinglePoint, kAply, kCalibrate}) {
        EXPECT_FALSE(frame.action(id)->isEnabled()) << id;
    }
    for (const int id : {kChangePasswords, kHelp, kHelpButton}) {
        EXPECT_TRUE(frame.action(id)->isEnabled()) << id;
    }
}

TEST(MainFrameCommands, TheToolbarKeepsItsOrder) {
    CMainFrame frame;
    const auto* bar = frame.findChild<QToolBar*>("toolBar");
    ASSERT_NE(bar, nullptr);
    QList<int> ids;
    for (const QAction* action : bar->actions()) {
        ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    }
    EXPECT_EQ(ids, (QList<int>{57600, 57601, 57603, 0, 139, 140, 256, 0,     279, 280,
                               281,   0,     301,   0, 276, 277, 0,   32852, 0,   57664}));
}

TEST(MainFrameCommands, TheStatusBarShowsTheLockKeys) {
    CMainFrame frame;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frame.indicator(i)->text(), CMainFrame::kIndicatorTexts[i]);
    }
    LockKeys keys;
    keys.numLock = true;
    frame.setLockKeysReader([&keys] { return keys; });
    EXPECT_FALSE(frame.indicator(0)->isEnabled());
    EXPECT_TRUE(frame.indicator(1)->isEnabled());
    EXPECT_FALSE(frame.indicator(2)->isEnabled());
    keys = {.capsLock = true, .numLock = false, .scrollLock = true};
    frame.refreshIndicators();
    EXPECT_TRUE(frame.indicator(0)->isEnabled());
    EXPECT_FALSE(frame.indicator(1)->isEnabled());
    EXPECT_TRUE(frame.indicator(2)->isEnabled());
    // A prompt covers the message pane only.
    frame.statusBar()->showMessage("Подсказка");
    EXPECT_TRUE(frame.indicator(0)->isVisibleTo(&frame));
}

TEST(MainFrameCommands, TheKernelsKeyboardLightsAreRead) {
    QTemporaryDir leds;
    const auto light = [&](const char* name, int brightness) {
        const QString folder = leds.filePath(QString::fromUtf8(name));
        QDir().mkpath(folder);
        std::ofstream(QDir(folder).filePath("brightness").toStdString()) << brightness << "\n";
    };
    light("input3::capslock", 0);
    light("input5::capslock", 1);  // a second keyboard
    light("input3::numlock", 1);
    light("input3::scrolllock", 0);
    light("phy0-led", 1);
    const LockKeys keys = readLockKeyLights(leds.path().toStdString());
    EXPECT_TRUE(keys.capsLock);
    EXPECT_TRUE(keys.numLock);
    EXPECT_FALSE(keys.scrollLock);
    EXPECT_FALSE(readLockKeyLights("/no/such/folder").capsLock);
}

}  // namespace
}  // namespace tarn
