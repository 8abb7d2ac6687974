// The connection dialog with the real search on a real link: the simulated
// module on a pseudo-terminal answers (or not) at its own speed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "../ui/widget_helpers.h"
#include "comm/connection_worker.h"
#include "comm/device_link.h"
#include "dialogs/setup_carrier.h"
#include "model/net_rs485_prg.h"
#include "platform/settings_store.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "support/recording_interaction.h"
#include "ui/table_ctrl.h"

namespace tarn::testing {
namespace {

constexpr int kCom = 31;

class SetupCarrierOnALine : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TARN_PORTS_DIR", ports_.path().toLocal8Bit().constData(), 1);
        sim::addBuiltInParameters(module_);
        settings_ = std::make_unique<NetRS485prg>(store_);
        settings_->fill();
        settings_->setValueByName("Port", "COM" + std::to_string(kCom), false);
    }
    void TearDown() override {
        dialog_.reset();
        search_.reset();
        server_.reset();
        unsetenv("TARN_PORTS_DIR");
    }

    // The module answering at `baud`.
    void startModule(int baud, bool silent = false) {
        sim::NetworkSettings line;
        line.line.baudRate = baud;
        module_.setActiveSettings(line);
        module_.setFaults({.silent = silent});
        sim::ServerOptions options;
        options.comNumber = kCom;
        server_ = std::make_unique<sim::PtyServer>(module_, options);
        std::string error;
        ASSERT_TRUE(server_->start(&error)) << error;
    }

    CSetupCarrier& open() {
        search_ = std::make_unique<ConnectionWorker>(link_, *settings_);
        dialog_ = std::make_unique<CSetupCarrier>(*settings_, *search_);
        dialog_->setBeep([this] { ++beeps_; });
        dialog_->resize(640, 320);
        EXPECT_TRUE(showAndActivate(*dialog_));
        return *dialog_;
    }
    void click(int command) { QTest::mouseClick(dialog_->button(command), Qt::LeftButton); }
    bool closed() const { return !dialog_->isVisible(); }

    QTemporaryDir ports_;
    QTemporaryDir settingsFolder_;
    SettingsStore store_{settingsFolder_.path().toStdString()};
    std::unique_ptr<NetRS485prg> settings_;
    sim::SimulatedModule module_;
    std::unique_ptr<sim::PtyServer> server_;
    LinkContext context_;
    RecordingInteraction ui_;
    DeviceLink link_{context_, &ui_};
    std::unique_ptr<ConnectionWorker> search_;
    std::unique_ptr<CSetupCarrier> dialog_;
    int beeps_ = 0;
};

TEST_F(SetupCarrierOnALine, ConnectingFindsTheModuleAndCloses) {
    startModule(9600);
    CSetupCarrier& window = open();
    click(CSetupCarrier::kCommandConnect);
    ASSERT_TRUE(waitUntil([&] { return closed(); }, 20000));
    EXPECT_EQ(window.result(), 1);
    EXPECT_EQ(window.statusText(), QStringLiteral("Связь установлена!"));
    EXPECT_GT(module_.requestsSeen(), 0);
}

TEST_F(SetupCarrierOnALine, AScanFindsTheModuleAtItsSpeedAndKeepsIt) {
    startModule(19200);
    ASSERT_EQ(settings_->valueByName("bPS"), "9600");
    CSetupCarrier& window = open();
    click(CSetupCarrier::kCommandScan);
    ASSERT_TRUE(waitUntil([&] { return closed(); }, 60000));
    EXPECT_EQ(window.result(), 1);
    EXPECT_EQ(settings_->valueByName("bPS"), "19200");
    EXPECT_EQ(window.settingsList()->cellText(0, 1), "19200");
    EXPECT_EQ(beeps_, 0);
}

TEST_F(SetupCarrierOnALine, AScanWithoutAModuleRestoresTheSpeedAndRaisesTheAlarm) {
    // Nothing on the port: every speed fails at once.
    settings_->setValueByName("Port", "COM" + std::to_string(kCom + 1), false);
    CSetupCarrier& window = open();
    click(CSetupCarrier::kCommandScan);
    ASSERT_TRUE(waitUntil(
        [&] {
            return window.statusText() == QStringLiteral("Не удалось установить связь с прибором!");
        },
        60000));
    ASSERT_TRUE(waitUntil([&] { return window.settingsList()->isEnabled(); }));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.statusIsAlarm());
    EXPECT_EQ(window.statusLine()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(settings_->valueByName("bPS"), "9600");
    EXPECT_EQ(window.settingsList()->cellText(0, 1), "9600");
}

TEST_F(SetupCarrierOnALine, ExitDuringAScanClosesAfterTheAttemptInHand) {
    startModule(9600, true);  // a silent module: every attempt waits out its time-outs
    CSetupCarrier& window = open();
    click(CSetupCarrier::kCommandScan);
    ASSERT_TRUE(waitUntil([&] {
        return window.statusText().startsWith(QStringLiteral("Идет сканирование на скорости"));
    }));
    click(CSetupCarrier::kCommandExit);
    EXPECT_EQ(window.statusText(), QStringLiteral("Прерывание операции..."));
    EXPECT_TRUE(window.isVisible()) << "not before the attempt has ended";
    ASSERT_TRUE(waitUntil([&] { return closed(); }, 30000));
    EXPECT_EQ(window.result(), 2);
    EXPECT_TRUE(search_->finished());
    EXPECT_EQ(settings_->valueByName("bPS"), "9600") << "the speed tried is put back";
}

}  // namespace
}  // namespace tarn::testing
