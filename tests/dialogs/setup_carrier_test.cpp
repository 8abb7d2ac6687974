// The connection dialog with a scripted worker thread: its rows, buttons,
// status line and the hand-over with the worker when it closes.
#include "dialogs/setup_carrier.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <memory>

#include "../ui/widget_helpers.h"
#include "model/net_rs485_prg.h"
#include "platform/port_names.h"
#include "platform/settings_store.h"
#include "scripted_connection_search.h"
#include "ui/table_ctrl.h"
#include "ui/table_model.h"

namespace tarn::testing {
namespace {

using namespace std::chrono_literals;
using Request = ScriptedConnectionSearch::Request;

constexpr const char* kFound = "Связь установлена!";
constexpr const char* kNotFound = "Не удалось установить связь с прибором!";

class SetupCarrierTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"COM3", "COM12"}) {
            std::ofstream(ports_.filePath(name).toStdString()) << "/dev/null\n";
        }
        setenv("TARN_PORTS_DIR", ports_.path().toLocal8Bit().constData(), 1);
        settings = std::make_unique<NetRS485prg>(store_);
        settings->fill();
    }
    void TearDown() override {
        dialog.reset();
        unsetenv("TARN_PORTS_DIR");
    }

    // Creates the dialog over the settings as the test left them.
    CSetupCarrier& open() {
        worker.settings = settings.get();
        dialog = std::make_unique<CSetupCarrier>(*settings, worker);
        dialog->setBeep([this] { ++beeps; });
        QObject::connect(dialog.get(), &QDialog::finished,
                         [this] { workerFinishedAtClose = worker.finished(); });
        return *dialog;
    }

    void click(int command) { QTest::mouseClick(dialog->button(command), Qt::LeftButton); }

    CTableCtrl& list() { return *dialog->settingsList(); }
    QColor statusColour() { return dialog->statusLine()->palette().color(QPalette::WindowText); }
    bool closed() { return !dialog->isVisible(); }

    QTemporaryDir ports_;
    QTemporaryDir dir_;
    SettingsStore store_{dir_.path().toStdString()};
    std::unique_ptr<NetRS485prg> settings;
    ScriptedConnectionSearch worker;
    int beeps = 0;
    bool workerFinishedAtClose = false;
    // Last: the dialog goes before the worker and the settings.
    std::unique_ptr<CSetupCarrier> dialog;
};

TEST_F(SetupCarrierTest, ShowsTheProgramsPortSettings) {
    CSetupCarrier& window = open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Установка связи с прибором"));
    EXPECT_EQ(worker.starts, 0);
    window.resize(640, 320);
    ASSERT_TRUE(showAndActivate(window));
    EXPECT_EQ(worker.starts, 1);
    window.hide();
    window.show();
    EXPECT_EQ(worker.starts, 1);

    const TableModel& model = list().tableModel();
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Параметры порта"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Значение"));
    ASSERT_EQ(list().rowCount(), 7);
    const char* values[] = {"9600", "8", "Отсутствует", "1", "8", "16", "COM1"};
    for (int row = 0; row < 7; ++row) {
        const Parameter& parameter = *settings->parameters()[row];
        EXPECT_EQ(list().cellText(row, 0), parameter.caption());
        EXPECT_EQ(list().cellText(row, 1), values[row]) << row;
        EXPECT_EQ(list().boundParameter(row, 1), &parameter);
        EXPECT_EQ(list().rowFlags(row), 0);
        EXPECT_EQ(list().rowHeight(row), 18);
    }
    // Three quarters and one quarter of the list's width.
    const int name = list().columnWidth(0);
    const int value = list().columnWidth(1);
    EXPECT_EQ(name + value, list().viewport()->width());
    EXPECT_NEAR(name, 3 * value, 4);
    EXPECT_EQ(list().selectionBehavior(), QAbstractItemView::SelectRows);

    const std::pair<int, const char*> buttons[] = {
        {CSetupCarrier::kCommandConnect, "Установить связь"},
        {CSetupCarrier::kCommandScan, "Сканирование сети"},
        {CSetupCarrier::kCommandFactory, "Заводские сетевые настройки"},
        {CSetupCarrier::kCommandOffline, "Работать offline"},
        {CSetupCarrier::kCommandExit, "Выход"}};
    for (const auto& [command, text] : buttons) {
        ASSERT_NE(window.button(command), nullptr);
        EXPECT_EQ(window.button(command)->text(), QString::fromUtf8(text));
        EXPECT_TRUE(window.button(command)->isEnabled());
    }
    EXPECT_TRUE(window.statusText().isEmpty());
}

TEST_F(SetupCarrierTest, AFoundModuleClosesTheDialogWithOne) {
    worker.onRequest = [](Request request, ScriptedConnectionSearch& self) {
        if (request != Request::Connect) {
            return;
        }
        self.listener().settingsListEnabled(false);
        self.listener().statusChanged(kFound, false);
        self.listener().settingsListEnabled(true);
        self.listener().closeRequested(ConnectionClose::Connected);
    };
    CSetupCarrier& window = open();
    QString statusOnClick;
    QTimer::singleShot(0, &window, [&] {
        click(CSetupCarrier::kCommandConnect);
        statusOnClick = window.statusText();
    });
    QTimer::singleShot(15000, &window, [&] { window.done(-1); });

    EXPECT_EQ(window.exec(), 1);
    EXPECT_EQ(statusOnClick, QStringLiteral("Идет сканирование..."));
    EXPECT_FALSE(window.offlineChosen());
    EXPECT_EQ(worker.connects, 1);
    // The dialog interrupted the worker and closed once it had finished.
    EXPECT_EQ(worker.interruptCodes(), std::vector<int>{1});
    EXPECT_TRUE(workerFinishedAtClose);
    EXPECT_EQ(window.statusText(), QString::fromUtf8(kFound));
    EXPECT_FALSE(window.statusIsAlarm());
    EXPECT_EQ(statusColour(), QColor(0, 0, 255));
    EXPECT_EQ(beeps, 0);
}

TEST_F(SetupCarrierTest, AFailedAttemptIsAnAlarmAndTheSettingsAreLockedMeanwhile) {
    std::atomic<bool> release{false};
    worker.onRequest = [&](Request, ScriptedConnectionSearch& self) {
        self.listener().settingsListEnabled(false);
        while (!release && !self.interrupted()) {
            std::this_thread::sleep_for(1ms);
        }
        self.listener().statusChanged(kNotFound, true);
        self.listener().settingsListEnabled(true);
    };
    CSetupCarrier& window = open();
    ASSERT_TRUE(showAndActivate(window));
    click(CSetupCarrier::kCommandConnect);

    // While the worker tries, nothing may change the settings.
    ASSERT_TRUE(waitUntil([&] { return worker.busy.load(); }));
    QTest::qWait(20);
    EXPECT_FALSE(list().isEnabled());
    EXPECT_FALSE(window.button(CSetupCarrier::kCommandConnect)->isEnabled());
    EXPECT_FALSE(window.button(CSetupCarrier::kCommandScan)->isEnabled());
    EXPECT_FALSE(window.button(CSetupCarrier::kCommandFactory)->isEnabled());
    EXPECT_TRUE(window.button(CSetupCarrier::kCommandOffline)->isEnabled());
    EXPECT_TRUE(window.button(CSetupCarrier::kCommandExit)->isEnabled());
    EXPECT_FALSE(list().beginEdit(5));

    release = true;
    ASSERT_TRUE(waitUntil([&] { return window.statusText() == QString::fromUtf8(kNotFound); }));
    ASSERT_TRUE(waitUntil([&] { return list().isEnabled(); }));
    EXPECT_TRUE(window.statusIsAlarm());
    EXPECT_EQ(statusColour(), QColor(255, 0, 0));
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(window.button(CSetupCarrier::kCommandScan)->isEnabled());
    EXPECT_TRUE(window.isVisible());

    // Escape is "Выход": the idle worker is ended first, then the dialog.
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(window.statusText(), QStringLiteral("Прерывание операции..."));
    EXPECT_EQ(statusColour(), QColor(0, 0, 255));
    ASSERT_TRUE(waitUntil([&] { return closed(); }));
    EXPECT_EQ(window.result(), 2);
    EXPECT_TRUE(workerFinishedAtClose);
    EXPECT_EQ(worker.interruptCodes(), std::vector<int>{2});
}

// The worker finishes the exchange in progress before it ends.
void attemptUntilInterrupted(Request, ScriptedConnectionSearch& self) {
    self.listener().settingsListEnabled(false);
    self.waitForInterrupt();
    std::this_thread::sleep_for(100ms);
    self.listener().settingsListEnabled(true);
}

TEST_F(SetupCarrierTest, ExitDuringAnAttemptClosesOnlyAfterTheWorker) {
    worker.onRequest = attemptUntilInterrupted;
    CSetupCarrier& window = open();
    ASSERT_TRUE(showAndActivate(window));
    click(CSetupCarrier::kCommandScan);
    ASSERT_TRUE(waitUntil([&] { return worker.busy.load(); }));
    EXPECT_EQ(worker.scans, 1);

    click(CSetupCarrier::kCommandExit);
    EXPECT_EQ(window.statusText(), QStringLiteral("Прерывание операции..."));
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(waitUntil([&] { return closed(); }));
    EXPECT_EQ(window.result(), 2);
    EXPECT_TRUE(workerFinishedAtClose);
    EXPECT_FALSE(window.offlineChosen());
    EXPECT_EQ(worker.interruptCodes(), std::vector<int>{2});
}

TEST_F(SetupCarrierTest, OfflineDuringAnAttemptClosesWithOneWhenTheWorkerIsDone) {
    worker.onRequest = attemptUntilInterrupted;
    CSetupCarrier& window = open();
    ASSERT_TRUE(showAndActivate(window));
    click(CSetupCarrier::kCommandConnect);
    ASSERT_TRUE(waitUntil([&] { return worker.busy.load(); }));

    click(CSetupCarrier::kCommandOffline);
    EXPECT_EQ(window.statusText(), QStringLiteral("Прерывание операции..."));
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(waitUntil([&] { return closed(); }));
    EXPECT_EQ(window.result(), 1);
    EXPECT_TRUE(window.offlineChosen());
    EXPECT_TRUE(workerFinishedAtClose);
    EXPECT_EQ(worker.interruptCodes(), std::vector<int>{3});
}

TEST_F(SetupCarrierTest, AScanShowsEachRateItTriesAndKeepsTheOneThatAnswers) {
    std::atomic<bool> atNineThousand{false};
    std::atomic<bool> goOn{false};
    Parameter* speed = settings->find("bPS");
    ASSERT_NE(speed, nullptr);
    worker.onRequest = [&](Request request, ScriptedConnectionSearch& self) {
        if (request != Request::Scan) {
            return;
        }
        self.listener().settingsListEnabled(false);
        for (const char* rate : {"2400", "4800", "9600", "14400", "19200"}) {
            speed->setValueText(rate);
            self.listener().settingChanged(0, rate);
            self.listener().statusChanged(
                std::string("Идет сканирование на скорости ") + rate + "...", false);
            if (std::string(rate) == "9600") {
                atNineThousand = true;
                while (!goOn) {
                    std::this_thread::sleep_for(1ms);
                }
            }
        }
        self.listener().statusChanged(kFound, false);
        self.listener().settingsListEnabled(true);
        self.listener().closeRequested(ConnectionClose::Connected);
    };
    CSetupCarrier& window = open();
    ASSERT_TRUE(showAndActivate(window));
    click(CSetupCarrier::kCommandScan);
    // A scan writes no status of its own; the worker's come in order.
    EXPECT_TRUE(window.statusText().isEmpty());

    ASSERT_TRUE(waitUntil([&] {
        return atNineThousand &&
               window.statusText() == QStringLiteral("Идет сканирование на скорости 9600...");
    }));
    EXPECT_EQ(list().cellText(0, 1), "9600");
    EXPECT_FALSE(list().isEnabled());
    goOn = true;

    ASSERT_TRUE(waitUntil([&] { return closed(); }));
    EXPECT_EQ(window.result(), 1);
    EXPECT_EQ(list().cellText(0, 1), "19200");
    EXPECT_EQ(window.statusText(), QString::fromUtf8(kFound));
    ASSERT_TRUE(waitUntil([&] { return worker.finished(); }));
    worker.join();
    EXPECT_EQ(speed->valueText(), "19200");
}

TEST_F(SetupCarrierTest, FactorySettingsFillTheRowsThenConnect) {
    const char* own[] = {"19200", "7", "Четность", "2", "11", "24", "COM3"};
    for (int i = 0; i < 7; ++i) {
        settings->parameters()[i]->setValueText(own[i]);
    }
    CSetupCarrier& window = open();
    ASSERT_TRUE(showAndActivate(window));
    EXPECT_EQ(list().cellText(2, 1), "Четность");

    click(CSetupCarrier::kCommandFactory);
    const char* factory[] = {"9600", "8", "Отсутствует", "1", "8", "16", "COM1"};
    for (int row = 0; row < 7; ++row) {
        EXPECT_EQ(list().cellText(row, 1), factory[row]) << row;
        EXPECT_EQ(settings->parameters()[row]->valueText(), factory[row]) << row;
    }
    EXPECT_EQ(window.statusText(), QStringLiteral("Идет сканирование..."));
    ASSERT_TRUE(waitUntil([&] { return worker.connects == 1; }));
    EXPECT_EQ(worker.scans, 0);
}

TEST_F(SetupCarrierTest, ValuesAreEditedInPlaceAndThePortListIsTheMachines) {
    settings->find("Port")->setValueText("COM3");
    CSetupCarrier& window = open();
    ASSERT_TRUE(showAndActivate(window));
    const int portRow = list().rowOf(settings->find("Port"));
    ASSERT_EQ(portRow, 6);

    ASSERT_TRUE(list().beginEdit(portRow));
    auto* ports = qobject_cast<QComboBox*>(list().cellEditor());
    ASSERT_NE(ports, nullptr);
    QStringList offered;
    for (int i = 0; i < ports->count(); ++i) {
        offered << ports->itemText(i);
    }
    QStringList machine;
    for (const std::string& port : listPorts()) {
        machine << QString::fromStdString(port);
    }
    EXPECT_EQ(offered, machine);
    EXPECT_TRUE(offered.contains(QStringLiteral("COM12")));
    EXPECT_EQ(ports->currentText(), QStringLiteral("COM3"));
    ports->setCurrentIndex(offered.indexOf(QStringLiteral("COM12")));
    emit ports->activated(ports->currentIndex());
    ASSERT_TRUE(waitUntil([&] { return list().cellEditor() == nullptr; }));
    EXPECT_EQ(settings->find("Port")->valueText(), "COM12");
    EXPECT_EQ(list().cellText(portRow, 1), "COM12");

    const int addressRow = list().rowOf(settings->find("Addr"));
    ASSERT_TRUE(list().beginEdit(addressRow));
    auto* address = qobject_cast<QLineEdit*>(list().cellEditor());
    ASSERT_NE(address, nullptr);
    QTest::keyClicks(address, "24");
    QTest::keyClick(address, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return list().cellEditor() == nullptr; }));
    EXPECT_EQ(settings->find("Addr")->valueText(), "24");
    // Enter ended the edit and pressed no button.
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(worker.connects + worker.scans, 0);
}

TEST_F(SetupCarrierTest, ADialogDestroyedWhileTheWorkerRunsIsNeverCalledBack) {
    std::atomic<bool> reported{false};
    worker.onRequest = [&](Request, ScriptedConnectionSearch& self) {
        self.listener().settingsListEnabled(false);
        self.waitForInterrupt();
        std::this_thread::sleep_for(50ms);
        // Reports after the dialog has gone go nowhere.
        self.listener().statusChanged(kNotFound, true);
        self.listener().settingsListEnabled(true);
        reported = true;
    };
    open();
    ASSERT_TRUE(showAndActivate(*dialog));
    click(CSetupCarrier::kCommandConnect);
    ASSERT_TRUE(waitUntil([&] { return worker.busy.load(); }));
    dialog.reset();
    ASSERT_TRUE(waitUntil([&] { return worker.finished(); }));
    worker.join();
    EXPECT_TRUE(reported);
    EXPECT_TRUE(worker.finished());
    EXPECT_EQ(worker.interruptCodes(), std::vector<int>{2});
    QTest::qWait(20);  // any queued report would run (and crash) here
    EXPECT_EQ(beeps, 0);
}

}  // namespace
}  // namespace tarn::testing
