// The exchange engine on a simulated module, with a recording progress
// window and a recording observer.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "comm/exchange_engine.h"
#include "comm/simulated_line.h"
#include "description/description_parser.h"
#include "model/desc_branch.h"
#include "model/instantiation_context.h"

namespace tarn::testing {

// Long enough for any task here; only a hang runs into it.
inline constexpr auto kHangBound = std::chrono::seconds(30);

// A progress window that records what it is shown. runModal blocks like a
// modal window until close(); `onLine` is called with every line on the
// thread that shows it, so a test can press "Прервать!" at a chosen moment.
class RecordingProgressDisplay : public ProgressDisplay {
public:
    void runModal(const std::string& title, int total, const std::function<void()>& started,
                  const std::function<void()>& interrupt) override {
        {
            std::lock_guard lock(mutex_);
            titles_.push_back(title);
            totals_.push_back(total);
            closed_ = false;
            interrupt_ = interrupt;
        }
        started();
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, kHangBound, [this] { return closed_; })) {
            ADD_FAILURE() << "the progress window was never closed";
        }
        interrupt_ = nullptr;
    }

    void update(const ProgressUpdate& update) override {
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard lock(mutex_);
            updates_.push_back(update);
            hook = onLine;
        }
        if (hook) {
            hook(update.line);
        }
    }

    void close() override {
        std::lock_guard lock(mutex_);
        closed_ = true;
        ++closes_;
        changed_.notify_all();
    }

    // The window's "Прервать!".
    void pressInterrupt() {
        std::function<void()> interrupt;
        {
            std::lock_guard lock(mutex_);
            interrupt = interrupt_;
        }
        ASSERT_TRUE(interrupt) << "no window is open";
        interrupt();
    }

    void setOnLine(std::function<void(const std::string&)> hook) {
        std::lock_guard lock(mutex_);
        onLine = std::move(hook);
    }

    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> all;
        for (const auto& update : updates_) {
            all.push_back(update.line);
        }
        return all;
    }
    std::vector<ProgressUpdate> updates() const {
        std::lock_guard lock(mutex_);
        return updates_;
    }
    std::vector<std::string> titles() const {
        std::lock_guard lock(mutex_);
        return titles_;
    }
    std::vector<int> totals() const {
        std::lock_guard lock(mutex_);
        return totals_;
    }
    int closes() const {
        std::lock_guard lock(mutex_);
        return closes_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        updates_.clear();
        titles_.clear();
        totals_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = true;
    int closes_ = 0;
    std::function<void()> interrupt_;
    std::function<void(const std::string&)> onLine;
    std::vector<ProgressUpdate> updates_;
    std::vector<std::string> titles_;
    std::vector<int> totals_;
};

// Records the engine's requests in the order they came.
class RecordingObserver : public EngineObserver {
public:
    void viewRedrawRequested() override {
        std::lock_guard lock(mutex_);
        ++redraws_;
    }
    void autoReadSwitchedOff() override { add("autoread off"); }
    void applyNetworkSettingsRequested() override { add("apply"); }
    void storeDocumentRequested() override { add("store"); }
    void taskDone() override { add("task done"); }

    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    int redraws() const {
        std::lock_guard lock(mutex_);
        return redraws_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
        redraws_ = 0;
    }

private:
    void add(const char* event) {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
    int redraws_ = 0;
};

// A compact description in the module's terms: values in the root, the
// module's network settings, eight outputs and four calibration pairs.
inline constexpr std::string_view kTestDescription = R"(
parameter SP float Уставка
parameter HYS float Гистерезис
parameter bPS 2400:4800:9600:14400:19200:28800:38400:57600:115200 Скорость
parameter Addr int Адрес
parameter POUt Дискретный:Аналоговый_4-20_мА:Аналоговый_0-20_мА:Аналоговый_0-5_мА Тип_выхода
parameter nPCP int Режим_P
parameter nPCO int Режим_O
parameter CLB.K int Коэффициент
init CLB.K 2048
init SP 30.000
branch Сетевые_параметры_прибора 1 4 4 bPS Addr
branch Выход# 8 3 4 POUt nPCP nPCO
branch Калибровка# 4 5 5 CLB.K
root TARN 1 25 25 SP HYS Сетевые_параметры_прибора Выход# Калибровка#
)";
// Parameters of that tree.
inline constexpr int kTestParameterCount = 2 + 2 + 8 * 3 + 4;

// Waits until `condition` holds; false when the hang bound passed first.
inline bool waitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds bound = kHangBound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline int countStartingWith(const std::vector<std::string>& lines, std::string_view prefix) {
    int count = 0;
    for (const auto& line : lines) {
        if (line.rfind(prefix, 0) == 0) {
            ++count;
        }
    }
    return count;
}

class EngineLine : public SimulatedLine {
protected:
    void SetUp() override {
        SimulatedLine::SetUp();
        engine.setObserver(&observer);
        EngineSettings settings;
        settings.closingPause = std::chrono::milliseconds(0);
        settings.mainWindowExists = true;
        engine.setSettings(settings);
    }
    void TearDown() override {
        engine.StopThreads();
        SimulatedLine::TearDown();
    }

    // The link at 115200 baud: a missing answer costs 110 ms per sending.
    void openFastLink() {
        module.setActiveSettings({{115200, 8, Parity::None, 1}, 16, 8});
        PortSettings settings;
        settings.baudRate = 115200;
        openLink(settings);
    }

    void loadTree(std::string_view description = kTestDescription) {
        tree = buildParameterTree(description, instantiation);
        ASSERT_TRUE(tree.root);
    }

    // The first parameter of that name (and linear index) in the tree.
    Parameter& parameter(std::string_view name, int index = -1) {
        Parameter* found = findIn(*tree.root, name, index);
        EXPECT_NE(found, nullptr) << name << ":" << index;
        return *found;
    }

    void startThreads() { ASSERT_TRUE(engine.StartThreads({})); }

    EngineSettings settings() const { return engine.settings(); }
    void changeSettings(const std::function<void(EngineSettings&)>& change) {
        EngineSettings current = engine.settings();
        change(current);
        engine.setSettings(current);
    }

    RecordingProgressDisplay display;
    RecordingObserver observer;
    InstantiationContext instantiation{ui};
    ParameterTree tree;
    ExchangeEngine engine{link, ui, display};

private:
    static Parameter* findIn(DescBranch& branch, std::string_view name, int index) {
        for (const auto& p : branch.parameters()) {
            if (p->hasName(name) && (index < 0 || p->linearIndex() == index)) {
                return p.get();
            }
        }
        for (const auto& child : branch.children()) {
            if (Parameter* found = findIn(*child, name, index)) {
                return found;
            }
        }
        return nullptr;
    }
};

}  // namespace tarn::testing
