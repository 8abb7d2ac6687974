// The connection dialog's worker against the simulated module.
#include "comm/connection_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>

#include "comm/simulated_line.h"
#include "engine_fixture.h"
#include "model/net_rs485_prg.h"
#include "platform/settings_store.h"

namespace tarn::testing {
namespace {

using namespace std::chrono_literals;

// Records the worker's calls as lines: "list on", "list off",
// "status <text>", "alarm <text>", "row <n> <value>", "close <code>".
class RecordingListener : public ConnectionListener {
public:
    void settingsListEnabled(bool enabled) override { add(enabled ? "list on" : "list off"); }
    void statusChanged(const std::string& text, bool alarm) override {
        add((alarm ? "alarm " : "status ") + text);
    }
    void settingChanged(std::size_t row, const std::string& value) override {
        add("row " + std::to_string(row) + " " + value);
    }
    void closeRequested(ConnectionClose code) override {
        std::lock_guard lock(mutex_);
        events_.push_back("close " + std::to_string(static_cast<int>(code)));
        ++closes_;
        closeCode_ = code;
        changed_.notify_all();
    }

    // The code the dialog was asked to close with; nothing after the hang
    // bound.
    std::optional<ConnectionClose> waitForClose() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kHangBound, [this] { return closes_ > 0; });
        return closeCode_;
    }
    bool waitForEvent(const std::string& event) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kHangBound, [&] {
            return std::find(events_.begin(), events_.end(), event) != events_.end();
        });
    }
    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    int closes() const {
        std::lock_guard lock(mutex_);
        return closes_;
    }

private:
    void add(std::string event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
        changed_.notify_all();
    }
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
    int closes_ = 0;
    std::optional<ConnectionClose> closeCode_;
};

bool contains(const std::vector<std::string>& events, const std::string& event) {
    return std::find(events.begin(), events.end(), event) != events.end();
}

class Worker : public SimulatedLine {
protected:
    void SetUp() override {
        SimulatedLine::SetUp();
        startServer();
        programSettings.fill();
        programSettings.setValueByName("Port", "COM9", false);
        programSettings.setValueByName("bPS", "115200", false);
        module.setActiveSettings({{115200, 8, Parity::None, 1}, 16, 8});
    }
    void TearDown() override {
        worker.reset();
        SimulatedLine::TearDown();
    }

    void startWorker() {
        worker = std::make_unique<ConnectionWorker>(link, programSettings);
        ASSERT_TRUE(worker->start(listenerHandle));
    }

    // Keeps a scan short: the speeds the module may be at, in this order.
    void allowSpeeds(const std::string& list) { programSettings.find("bPS")->setValueType(list); }

    TemporaryFolder settingsFolder;
    SettingsStore store{settingsFolder.path().string()};
    NetRS485prg programSettings{store};
    std::shared_ptr<RecordingListener> listenerHandle = std::make_shared<RecordingListener>();
    RecordingListener& listener = *listenerHandle;
    std::unique_ptr<ConnectionWorker> worker;
};

TEST_F(Worker, ConnectsWithTheSettingsShown) {
    startWorker();
    worker->connect();
    EXPECT_EQ(listener.waitForClose(), ConnectionClose::Connected);
    EXPECT_EQ(listener.events(),
              (std::vector<std::string>{"status Идет сканирование...", "list off", "list on",
                                        "status Связь установлена!", "close 1"}));
    EXPECT_TRUE(worker->finished());
    // The dialog's buttons now close it at once.
    EXPECT_EQ(worker->requestClose(ConnectionClose::Exit), ConnectionClose::Exit);
    EXPECT_EQ(listener.closes(), 1);
}

TEST_F(Worker, AFailedConnectionLeavesTheDialogOpen) {
    // Another model answers: no probe does, so the attempt fails (quickly).
    module.setModelName("OTHER");
    startWorker();
    worker->connect();
    ASSERT_TRUE(listener.waitForEvent("alarm Не удалось установить связь с прибором!"));
    ASSERT_TRUE(listener.waitForEvent("list on"));
    EXPECT_FALSE(worker->finished());
    EXPECT_EQ(listener.closes(), 0);

    // "Выход" while the worker waits: it ends and asks to close with 2.
    EXPECT_EQ(worker->requestClose(ConnectionClose::Exit), std::nullopt);
    EXPECT_EQ(listener.waitForClose(), ConnectionClose::Exit);
    EXPECT_TRUE(contains(listener.events(), "status Прерывание операции..."));
}

TEST_F(Worker, ScanStopsAtTheModulesSpeed) {
    allowSpeeds("115200:57600:38400");
    module.setActiveSettings({{57600, 8, Parity::None, 1}, 16, 8});
    startWorker();
    worker->scan();
    EXPECT_EQ(listener.waitForClose(), ConnectionClose::Connected);
    EXPECT_EQ(listener.events(),
              (std::vector<std::string>{
                  "list off", "row 0 115200", "status Идет сканирование на скорости 115200...",
                  "row 0 57600", "status Идет сканирование на скорости 57600...",
                  "status Связь установлена!", "list on", "close 1"}));
    EXPECT_EQ(programSettings.valueByName("bPS"), "57600");
    EXPECT_EQ(link.port().baudRate(), 57600);
}

TEST_F(Worker, ScanWithoutModuleRestoresTheSpeed) {
    allowSpeeds("57600");
    programSettings.setValueByName("bPS", "9600", false);
    module.setFaults({.silent = true});
    startWorker();
    worker->scan();
    ASSERT_TRUE(listener.waitForEvent("list on"));
    EXPECT_EQ(listener.events(),
              (std::vector<std::string>{
                  "list off", "row 0 57600", "status Идет сканирование на скорости 57600...",
                  "row 0 9600", "alarm Не удалось установить связь с прибором!", "list on"}));
    EXPECT_EQ(programSettings.valueByName("bPS"), "9600");
    EXPECT_EQ(listener.closes(), 0);
}

TEST_F(Worker, ExitDuringAScanClosesAfterTheAttemptInHand) {
    allowSpeeds("115200:57600");
    module.setModelName("OTHER");
    startWorker();
    worker->scan();
    ASSERT_TRUE(listener.waitForEvent("status Идет сканирование на скорости 115200..."));
    EXPECT_EQ(worker->requestClose(ConnectionClose::Exit), std::nullopt);
    EXPECT_EQ(listener.waitForClose(), ConnectionClose::Exit);
    const auto events = listener.events();
    EXPECT_TRUE(contains(events, "status Прерывание операции..."));
    // No second speed, no failure text; the speed is back.
    EXPECT_FALSE(contains(events, "row 0 57600"));
    EXPECT_FALSE(contains(events, "alarm Не удалось установить связь с прибором!"));
    EXPECT_EQ(events[events.size() - 3], "row 0 115200");
    EXPECT_EQ(events[events.size() - 2], "list on");
    EXPECT_EQ(programSettings.valueByName("bPS"), "115200");
}

TEST_F(Worker, OfflineWhileTheWorkerWaits) {
    startWorker();
    EXPECT_EQ(worker->requestClose(ConnectionClose::Offline), std::nullopt);
    EXPECT_EQ(listener.waitForClose(), ConnectionClose::Offline);
    EXPECT_EQ(listener.events(),
              (std::vector<std::string>{"status Прерывание операции...", "close 3"}));
    EXPECT_EQ(module.requestsSeen(), 0);
}

TEST_F(Worker, FactorySettingsAreShownAndTried) {
    // The factory settings name COM1 at 9600 baud: put a module there.
    sim::SimulatedModule factoryModule;
    sim::addBuiltInParameters(factoryModule);
    sim::ServerOptions options;
    options.comNumber = 1;
    sim::PtyServer factoryLine(factoryModule, options);
    ASSERT_TRUE(factoryLine.start());
    programSettings.setValueByName("Addr", "40", false);

    startWorker();
    worker->restoreFactorySettings();
    EXPECT_EQ(listener.waitForClose(), ConnectionClose::Connected);
    const auto events = listener.events();
    const std::vector<std::string> rows = {"row 0 9600", "row 1 8",  "row 2 Отсутствует", "row 3 1",
                                           "row 4 8",    "row 5 16", "row 6 COM1"};
    for (const auto& row : rows) {
        EXPECT_TRUE(contains(events, row)) << row;
    }
    EXPECT_EQ(programSettings.valueByName("Addr"), "16");
    EXPECT_EQ(programSettings.valueByName("Port"), "COM1");
    EXPECT_EQ(factoryModule.requestsFor("dev"), 1);
    EXPECT_EQ(module.requestsSeen(), 0);
    worker.reset();
}

}  // namespace
}  // namespace tarn::testing
