// The APLY dialog on a real line: the module takes the settings held in its
// parameters, the program follows it, and the repeated sendings are timed
// from the module's frame log.
#include "dialogs/apply_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "../ui/widget_helpers.h"
#include "comm/apply_command.h"
#include "comm/device_detection.h"
#include "engine/engine_fixture.h"
#include "model/net_rs485_prg.h"
#include "platform/settings_store.h"

namespace tarn::testing {
namespace {

using sim::LoggedFrame;

class ApplyDialog : public EngineLine {
protected:
    void SetUp() override {
        EngineLine::SetUp();
        openLink();
        loadTree();
        program.fill();
        program.setValueByName("Port", "COM9", false);
        network = tree.networkSettings;
        ASSERT_NE(network, nullptr);
    }
    void TearDown() override {
        dialog.reset();
        EngineLine::TearDown();
    }

    CApply& open(ApplyCommand* command, bool silent = false) {
        dialog = std::make_unique<CApply>(command, ui, silent);
        EXPECT_TRUE(showAndActivate(*dialog));
        return *dialog;
    }
    std::vector<LoggedFrame> aplyFrames() const {
        std::vector<LoggedFrame> frames;
        for (const auto& logged : module.frameLog()) {
            if (logged.frame.hash == kHashAply) {
                frames.push_back(logged);
            }
        }
        return frames;
    }

    QTemporaryDir settingsFolder;
    SettingsStore store{settingsFolder.path().toStdString()};
    NetRS485prg program{store};
    DescBranch* network = nullptr;
    std::unique_ptr<CApply> dialog;
};

TEST_F(ApplyDialog, ShowsTheSettingsAndEnablesThreeSendingsWithTheBroadcast) {
    network->setValueByName("bPS", "19200", false);
    network->setValueByName("Addr", "20", false);
    ApplyCommand command(link, network, program);
    CApply& window = open(&command);
    EXPECT_EQ(window.windowTitle(), "Перевод прибора на новый режим работы");
    EXPECT_EQ(window.settingsText()->text(),
              "Скорость: 19200\nДлина слова данных: \nЧетность: \nКол-во стоп-бит: \n"
              "Длина адреса: \nАдрес: 20\n");
    EXPECT_TRUE(window.changeProgramBox()->isChecked());
    EXPECT_FALSE(window.broadcastBox()->isChecked());
    EXPECT_TRUE(window.threeTimesBox()->isChecked());
    EXPECT_FALSE(window.threeTimesBox()->isEnabled());
    QTest::mouseClick(window.broadcastBox(), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_TRUE(window.threeTimesBox()->isEnabled());
    QTest::mouseClick(window.broadcastBox(), Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_FALSE(window.threeTimesBox()->isEnabled());

    // Without an exchange context nothing can be sent.
    CApply& lost = open(nullptr);
    EXPECT_EQ(lost.settingsText()->text(), QString::fromUtf8(kApplyNoContextText.data()));
    QTest::mouseClick(lost.okButton(), Qt::LeftButton);
    EXPECT_TRUE(lost.isVisible());
    ApplyCommand noBranch(link, nullptr, program);
    EXPECT_EQ(open(&noBranch).settingsText()->text(),
              QString::fromUtf8(kApplyNoSettingsText.data()));
    EXPECT_EQ(module.requestsSeen(), 0);
}

TEST_F(ApplyDialog, TheBroadcastGoesOutThreeTimesOnTheNewSettings) {
    // The module holds 19200 baud in its parameters and still works at 9600.
    ASSERT_EQ(module.setValue("bPS", 0, "19200"), true);
    network->setValueByName("bPS", "19200", false);
    network->setValueByName("Addr", "16", false);
    ApplyCommand command(link, network, program);
    CApply& window = open(&command);
    QTest::mouseClick(window.broadcastBox(), Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
    ASSERT_TRUE(waitUntil([&] { return !window.isVisible(); }));
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_TRUE(window.changeProgramSettings());

    // Once at the old speed, then three times at the new one, 200 ms apart
    // (the two pauses plus the frame's own time on the line).
    const auto frames = aplyFrames();
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t i = 2; i < frames.size(); ++i) {
        const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(
            frames[i].received - frames[i - 1].received);
        EXPECT_GE(gap.count(), 195) << i;
        EXPECT_LE(gap.count(), 320) << i;
    }
    EXPECT_EQ(module.activeSettings().line.baudRate, 19200);
    EXPECT_EQ(program.valueByName("bPS"), "19200");
    EXPECT_EQ(link.port().baudRate(), 19200);
    // The module answered "dev" on the new line; no box.
    EXPECT_EQ(module.requestsFor("dev"), 1);
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
}

TEST_F(ApplyDialog, WithoutTheBroadcastOneSendingAndUnknownSettingsStay) {
    // The tree knows the address only: the speed stays the program's.
    network->setValueByName("Addr", "16", false);
    ASSERT_EQ(network->valueByName("bPS"), "Нет данных");
    program.setValueByName("bPS", "9600", false);
    ApplyCommand command(link, network, program);
    CApply& window = open(&command);
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !window.isVisible(); }));
    EXPECT_EQ(aplyFrames().size(), 1u);
    EXPECT_EQ(program.valueByName("bPS"), "9600");
    EXPECT_EQ(module.requestsFor("dev"), 1);
}

TEST_F(ApplyDialog, CancelSendsNothingAndChangesNothing) {
    network->setValueByName("bPS", "19200", false);
    ApplyCommand command(link, network, program);
    CApply& window = open(&command);
    QTest::mouseClick(window.broadcastBox(), Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(module.requestsSeen(), 0);
    EXPECT_EQ(program.valueByName("bPS"), "9600");
    EXPECT_EQ(link.port().baudRate(), 9600);
}

TEST_F(ApplyDialog, AFailedSendingIsReportedUnlessSilent) {
    // A port without a module: neither APLY nor "dev" gets through.
    program.setValueByName("Port", "COM77", false);
    link.OpenLink(portSettingsFrom(program), false);
    for (const bool silent : {false, true}) {
        ui.messages.clear();
        ApplyCommand command(link, network, program);
        CApply& window = open(&command, silent);
        QTest::mouseClick(window.okButton(), Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return !window.isVisible(); }));
        if (silent) {
            EXPECT_TRUE(ui.messages.empty());
            continue;
        }
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].caption, "Имела место ошибка");
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(ui.messages[0].text, "Ошибка команды 'dev':\nНе удается открыть порт COM77\n");
    }
}

}  // namespace
}  // namespace tarn::testing
