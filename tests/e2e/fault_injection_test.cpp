// The tarn executable against a module whose answers go wrong: lost,
// corrupted, late, or a line that goes away in the middle of a task. Whatever
// arrives, the program must end in bounded time with the right exit code,
// mark the parameters concerned, and never leave a configuration file
// damaged.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <regex>
#include <thread>

#include "e2e/tarn_binary_fixture.h"
#include "platform/text.h"

namespace tarn::e2e {
namespace {

using Clock = std::chrono::steady_clock;

struct ReadOutcome {
    ToolRun run;
    double seconds = 0;
    std::string errorLog;  // UTF-8
    int parameters = -1;   // from the summary line
    int problems = -1;
};

class FaultInjection : public TarnBinary {
protected:
    // An unattended read of the whole tree into `file`, with an error log.
    ReadOutcome read(const std::filesystem::path& file) {
        const auto log = scratch_ / "errors.log";
        const auto started = Clock::now();
        ReadOutcome outcome;
        outcome.run = tarn({port(), "-elog:" + log.string(), "-read", "-close", file.string()});
        outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
        outcome.errorLog = text::fromCp1251(readFileBytes(log));
        std::smatch match;
        static const std::regex summary("параметров (\\d+), с ошибками (\\d+)");
        if (std::regex_search(outcome.run.out, match, summary)) {
            outcome.parameters = std::stoi(match[1]);
            outcome.problems = std::stoi(match[2]);
        }
        return outcome;
    }

    // The same read from a module with `faults` on its line.
    ReadOutcome readWith(const sim::Faults& faults, const std::filesystem::path& file) {
        module_.setFaults(faults);
        startModule();
        return read(file);
    }

    // The names the module was asked for, in order.
    std::string requestNames() const {
        std::string names;
        for (const auto& frame : module_.requestLog()) {
            names += module_.nameOf(frame.hash) + " ";
        }
        return names;
    }

    // Lines of the error log that carry `text`.
    static int linesWith(const std::string& log, const std::string& text) {
        int count = 0;
        for (std::size_t at = log.find(text); at != std::string::npos;
             at = log.find(text, at + text.size())) {
            ++count;
        }
        return count;
    }

    // Every value of a configuration file, or nothing when it does not load.
    std::optional<std::vector<std::string>> fileValues(const std::filesystem::path& file) {
        auto reopened = document();
        if (reopened->loadFile(file) != TarnDocument::LoadResult::Loaded) {
            return std::nullopt;
        }
        std::vector<std::string> all;
        values(*reopened->root(), all);
        return all;
    }

    // A configuration read from the healthy module, kept as the file a
    // failed run must not damage.
    std::string goodFile(const std::filesystem::path& file) {
        startModule();
        const ReadOutcome first = read(file);
        EXPECT_EQ(first.run.exitCode, 0) << first.run.err;
        server_.reset();
        return readFileBytes(file);
    }
};

// Faults the transaction recovers from by sending the frame again: the read
// completes without a single failed parameter.
struct RecoverableFault {
    const char* name;
    sim::Faults faults;
};

class RecoverableFaults : public FaultInjection,
                          public ::testing::WithParamInterface<RecoverableFault> {};

TEST_P(RecoverableFaults, AreRepairedByResending) {
    const auto file = scratch_ / "read.tarn";
    const ReadOutcome outcome = readWith(GetParam().faults, file);
    EXPECT_EQ(outcome.run.exitCode, 0) << outcome.run.err;
    EXPECT_GE(outcome.parameters, 300);
    EXPECT_EQ(outcome.problems, 0) << outcome.run.out;
    EXPECT_TRUE(outcome.errorLog.empty()) << outcome.errorLog.substr(0, 300);
    // More frames than answers: the faulty ones were sent again.
    EXPECT_GT(module_.requestsSeen(), outcome.parameters * 2);
    const auto all = fileValues(file);
    ASSERT_TRUE(all);
    for (const std::string& entry : *all) {
        EXPECT_EQ(entry.find("=Нет данных"), std::string::npos) << entry;
    }
}

INSTANTIATE_TEST_SUITE_P(NowAndThen, RecoverableFaults,
                         ::testing::Values(RecoverableFault{"Lost", {.dropEvery = 25}},
                                           RecoverableFault{"WithoutStart",
                                                            {.missingStartEvery = 3}},
                                           RecoverableFault{"AfterGarbage", {.garbageEvery = 3}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Faults found in an answer that did arrive: the parameter concerned fails
// with its text, the task goes on with the next one.
struct AnswerFault {
    const char* name;
    sim::Faults faults;
    const char* statusText;
};

class AnswerFaults : public FaultInjection, public ::testing::WithParamInterface<AnswerFault> {};

TEST_P(AnswerFaults, FailTheParameterAndTheReadGoesOn) {
    const auto file = scratch_ / "read.tarn";
    const ReadOutcome outcome = readWith(GetParam().faults, file);
    // A damaged answer is no time-out and no line error: the exit code
    // stays 0, the summary and the error log tell.
    EXPECT_EQ(outcome.run.exitCode, 0) << outcome.run.err;
    EXPECT_GE(outcome.parameters, 300);
    EXPECT_GT(outcome.problems, 10) << outcome.run.out;
    EXPECT_LT(outcome.problems, outcome.parameters / 2) << "the read went on after each fault";
    const int logged = linesWith(outcome.errorLog, GetParam().statusText);
    EXPECT_EQ(logged, outcome.problems) << outcome.errorLog.substr(0, 600);
    EXPECT_TRUE(fileValues(file)) << "the file of the read loads";
}

INSTANTIATE_TEST_SUITE_P(
    EverySeventhAnswer, AnswerFaults,
    ::testing::Values(
        AnswerFault{"BadChecksum", {.badChecksumEvery = 7}, "Ошибка в контрольной сумме ответа"},
        AnswerFault{"TooLong", {.overlongEvery = 7}, "Ошибка в контрольной сумме ответа"},
        AnswerFault{"WrongHash",
                    {.wrongHashEvery = 7},
                    "Пришла посылка с кодом команды, отличным от посланной и от n.Err."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultInjection, ASilentModuleStopsTheReadAfterFiveTimeOuts) {
    const auto file = scratch_ / "kept.tarn";
    const std::string before = goodFile(file);
    module_.setFaults({.silent = true});
    module_.clearCounters();
    startModule();
    const ReadOutcome outcome = read(file);
    EXPECT_EQ(outcome.run.exitCode, 202) << outcome.run.err;
    EXPECT_NE(outcome.run.err.find("Так как прошло 5 неудачных попыток чтения параметров подряд"),
              std::string::npos)
        << outcome.run.err;
    EXPECT_EQ(linesWith(outcome.errorLog, "Таймаут при передаче данных (нет связи)"), 5)
        << outcome.errorLog;
    // At most five parameters were tried, four sendings each.
    EXPECT_LE(module_.requestsFor("M.s.t.r."), 5 * 4) << requestNames();
    EXPECT_LT(outcome.seconds, 20);
    EXPECT_TRUE(readFileBytes(file) == before) << "a stopped read leaves the file as it was";
}

TEST_F(FaultInjection, UnpluggedInTheMiddleOfAReadEndsIt) {
    const auto file = scratch_ / "kept.tarn";
    const std::string before = goodFile(file);
    module_.clearCounters();
    sim::ServerOptions slow;
    slow.delayMs = 5;
    startModule(slow);
    const auto log = scratch_ / "errors.log";
    RunningTool run(tarn_, {port(), "-elog:" + log.string(), "-read", "-close", file.string()});
    ASSERT_TRUE(run.started());
    // Unplugged once the read is under way (however long the start took).
    const auto waitLimit = Clock::now() + std::chrono::seconds(30);
    while (module_.answersSent() <= 20 && Clock::now() < waitLimit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GT(module_.answersSent(), 20) << "the read is under way";
    server_->stop();  // the adapter is pulled: the terminal's other side is gone
    const auto unplugged = Clock::now();
    const ToolRun result = run.wait();
    const double seconds = std::chrono::duration<double>(Clock::now() - unplugged).count();
    EXPECT_EQ(result.exitCode, 202) << result.err;
    EXPECT_LT(seconds, 20);
    const std::string errors = text::fromCp1251(readFileBytes(log));
    EXPECT_EQ(linesWith(errors, "Таймаут при передаче данных (нет связи)"), 5) << errors;
    EXPECT_TRUE(readFileBytes(file) == before);
}

TEST_F(FaultInjection, AnswersLaterThanTheTimeOutEndInBoundedTime) {
    // The answer time-out at 9600 baud is 170 ms; every answer comes late,
    // when the program has already sent the frame again.
    sim::ServerOptions late;
    late.delayMs = 200;
    startModule(late);
    const auto file = scratch_ / "late.tarn";
    const ReadOutcome outcome = read(file);
    // The exchanges that got no answer in time stop the read at the fifth;
    // answers taken after a time-out mark the line as unreliable (203
    // rather than 202, depending on which came first).
    EXPECT_TRUE(outcome.run.exitCode == 203 || outcome.run.exitCode == 202) << outcome.run.err;
    EXPECT_LT(outcome.seconds, 30) << outcome.run.out;
    EXPECT_NE(outcome.run.err.find("Так как прошло 5 неудачных попыток чтения параметров подряд"),
              std::string::npos)
        << outcome.run.err;
    // No exchange took the late answer meant for another one.
    EXPECT_EQ(outcome.errorLog.find("отличным от посланной"), std::string::npos)
        << outcome.errorLog;
    EXPECT_FALSE(std::filesystem::exists(file)) << "a stopped read stores nothing";
}

TEST_F(FaultInjection, FiveWriteTimeOutsEndTheWrite) {
    const auto file = scratch_ / "config.tarn";
    const std::string before = goodFile(file);
    module_.setFaults({.silent = true});
    module_.clearCounters();
    startModule();
    const auto log = scratch_ / "errors.log";
    const auto started = Clock::now();
    const ToolRun run = tarn({port(), "-elog:" + log.string(), "-write", "-close", file.string()});
    EXPECT_EQ(run.exitCode, 202) << run.err;
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - started).count(), 20);
    const std::string errors = text::fromCp1251(readFileBytes(log));
    EXPECT_EQ(linesWith(errors, "Таймаут при передаче данных (нет связи)"), 5) << errors;
    EXPECT_LE(module_.requestsFor("M.s.t.r."), 5 * 4) << requestNames();
    EXPECT_TRUE(readFileBytes(file) == before) << "a write does not touch its file";
}

// Sets environment variables for the programs started while it lives.
class ScopedEnvironment {
public:
    void set(const char* name, const std::string& value) {
        const char* old = getenv(name);
        saved_.emplace_back(name, old == nullptr ? std::nullopt : std::optional<std::string>(old));
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) {
                setenv(it->first, it->second->c_str(), 1);
            } else {
                unsetenv(it->first);
            }
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(FaultInjection, AProgramKilledWhileStoringLeavesThePreviousFile) {
    // Nothing but the store writes into this folder (the program may write
    // a temporary file without a name there first).
    const auto folder = scratch_ / "configs";
    std::filesystem::create_directories(folder);
    const auto file = folder / "kept.tarn";
    const std::string before = goodFile(file);
    module_.setValue("POUt", 2, "4-20 мА");  // the new read differs from the file
    startModule();
    {
        ScopedEnvironment environment;
        environment.set("TARN_KILL_WHILE_WRITING", folder.string() + "/");
        environment.set("LD_PRELOAD", TARN_KILL_WHILE_WRITING_LIBRARY);
        // A sanitizer build wants its runtime first; the preload is harmless.
        const char* asan = getenv("ASAN_OPTIONS");
        environment.set("ASAN_OPTIONS",
                        std::string(asan == nullptr ? "" : asan) + ":verify_asan_link_order=0");
        const ToolRun killed = tarn({port(), "-read", "-close", file.string()});
        EXPECT_EQ(killed.exitCode, -1) << "killed while storing: " << killed.err;
    }
    EXPECT_TRUE(readFileBytes(file) == before) << "the previous file is whole";
    const auto all = fileValues(file);
    ASSERT_TRUE(all);
    EXPECT_GE(all->size(), 300u);

    // The same run left alone replaces the file.
    const ToolRun run = tarn({port(), "-read", "-close", file.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(readFileBytes(file) == before);
}

}  // namespace
}  // namespace tarn::e2e
