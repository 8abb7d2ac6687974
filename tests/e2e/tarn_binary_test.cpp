// The tarn executable run as a calling program runs it: unattended, without
// a display, against the simulated module on a pseudo-terminal; the outcome
// is read from the exit code and the files it wrote.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <semaphore.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "e2e/tarn_binary_fixture.h"
#include "platform/build_info.h"
#include "platform/text.h"

namespace tarn::e2e {
namespace {

TEST_F(TarnBinary, ReadStoresTheModulesValuesInTheFile) {
    startModule();
    module_.setValue("POUt", 3, "0-10 В");
    module_.setValue("Addr", 0, "16");
    const auto file = scratch_ / "прочитано.tarn";
    const ToolRun run = tarn({port(), "-read", "-close", file.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("чтение: параметров"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("с ошибками 0"), std::string::npos) << run.out;

    auto reopened = document();
    ASSERT_EQ(reopened->loadFile(file), TarnDocument::LoadResult::Loaded);
    EXPECT_EQ(reopened->mode(), 19u);
    std::vector<std::string> all;
    values(*reopened->root(), all);
    EXPECT_GE(all.size(), 300u);
    for (const std::string& entry : all) {
        EXPECT_EQ(entry.find("=Нет данных"), std::string::npos) << entry;
    }
    EXPECT_EQ(reopened->outputs()[3]->valueText(), "0-10 В");
}

TEST_F(TarnBinary, AutomaticReadingOffReadsNothingBeforeTheTask) {
    // A description whose root shows two parameters itself: the window reads
    // such rows as soon as it shows them, while automatic reading is on.
    const auto trees = scratch_ / "trees";
    std::filesystem::create_directories(trees);
    for (const auto& entry : std::filesystem::directory_iterator(TARN_SOURCE_DIR "/data/trees")) {
        if (entry.path().extension() == ".tree") {
            std::filesystem::copy_file(entry.path(), trees / entry.path().filename());
        }
    }
    std::string full = readFileBytes(trees / "tarnfull.tree");
    const std::string root = text::toCp1251("root Прибор_TARN 1 1 1 ");
    const auto at = full.find(root);
    ASSERT_NE(at, std::string::npos);
    full.insert(at + root.size(), "tCYC tEst ");
    std::ofstream(trees / "tarnfull.tree", std::ios::binary) << full;
    std::vector<std::string> pack = {"build", container_.string()};
    for (const auto& entry : std::filesystem::directory_iterator(trees)) {
        pack.push_back(entry.path().string());
    }
    ASSERT_EQ(testing::runTool(TARN_BIN_DIR "/tarn-pack", pack).exitCode, 0);

    startModule();
    const auto file = scratch_ / "only-the-task.tarn";
    const ToolRun run = tarn({port(), "-autoread:off", "-read", "-close", file.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // The read asks for each parameter of the tree once, and nothing is
    // asked before it.
    auto tree = document();
    ASSERT_TRUE(tree->switchToMode(19));
    int instances = 0;
    forEachParameter(*tree->root(), [&](Parameter& p) { instances += p.hasName("tCYC") ? 1 : 0; });
    EXPECT_EQ(instances, 2);
    EXPECT_EQ(module_.requestsFor("tCYC"), instances);
}

TEST_F(TarnBinary, AFileThatIsNoConfigurationFailsTheRunAndStaysAsItWas) {
    startModule();
    const auto file = scratch_ / "other-program.tarn";
    const std::string foreign = "PK\x03\x04 not a configuration of this program";
    {
        std::ofstream out(file, std::ios::binary);
        out << foreign;
    }
    const ToolRun run = tarn({port(), "-read", "-close", file.string()});
    EXPECT_EQ(run.exitCode, 200) << run.err;
    EXPECT_EQ(readFileBytes(file), foreign);
    EXPECT_EQ(module_.requestsFor("POUt"), 0) << "nothing is read";
}

TEST_F(TarnBinary, TraditionalOptionsInCapitalsWorkAlike) {
    startModule();
    const auto file = scratch_ / "upper.tarn";
    const ToolRun run = tarn({"/PORT:" + std::to_string(kCom) + "/READ/CLOSE", file.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(TarnBinary, WriteChangesTheModule) {
    startModule();
    const auto file = scratch_ / "edited.tarn";
    {
        auto edited = document();
        ASSERT_TRUE(edited->switchToMode(19));
        ASSERT_NE(edited->outputs()[5], nullptr);
        edited->outputs()[5]->setValueText("4-20 мА");
        // Every other value is unknown and is not written.
        ASSERT_TRUE(edited->saveFile(file));
    }
    ASSERT_NE(module_.value("POUt", 5), "4-20 мА");
    const ToolRun run = tarn({port(), "-write", "-close", file.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(module_.value("POUt", 5), "4-20 мА");
}

TEST_F(TarnBinary, ExitCodesTellWhatWentWrong) {
    startModule();
    EXPECT_EQ(tarn({port(), "-write", "-close", (scratch_ / "missing.tarn").string()}).exitCode,
              200);
    const ToolRun noPort = tarn({"-port:99", "-test"});
    EXPECT_EQ(noPort.exitCode, 201);
    // A read through a port that cannot be opened leaves its file alone.
    const auto kept = scratch_ / "kept.tarn";
    {
        auto original = document();
        ASSERT_TRUE(original->switchToMode(19));
        original->outputs()[2]->setValueText("4-20 мА");
        ASSERT_TRUE(original->saveFile(kept));
    }
    const std::string before = readFileBytes(kept);
    EXPECT_EQ(tarn({"-port:99", "-read", "-close", kept.string()}).exitCode, 201);
    EXPECT_TRUE(readFileBytes(kept) == before);
    EXPECT_NE(noPort.err.find("Не удается открыть порт COM99"), std::string::npos) << noPort.err;
    EXPECT_EQ(tarn({port(), "-test"}).exitCode, 0);
}

TEST_F(TarnBinary, ASilentModuleTimesOut) {
    module_.setFaults({.silent = true});
    startModule();
    EXPECT_EQ(tarn({port(), "-test"}).exitCode, 202);
}

TEST_F(TarnBinary, AnotherModelAnswering) {
    module_.setModelName("FOO-1");
    startModule();
    EXPECT_EQ(tarn({port(), "-test"}).exitCode, 206);
}

TEST_F(TarnBinary, SilentWithAPortShowsNoConnectionMessages) {
    const ToolRun run = tarn({"/port:98/silent/test"});
    EXPECT_EQ(run.err.find("Не удается открыть порт"), std::string::npos) << run.err;
    EXPECT_EQ(run.exitCode, 0) << "silent clears the run result code at start";
}

TEST_F(TarnBinary, ErrorLogCollectsFailedExchangesInCp1251) {
    module_.setFaults({.errorCode = 40});
    startModule();
    const auto log = scratch_ / "errors.log";
    const ToolRun run =
        tarn({port(), "-elog:" + log.string(), "-read", "-close", (scratch_ / "r.tarn").string()});
    const std::string bytes = readFileBytes(log);
    ASSERT_FALSE(bytes.empty()) << run.err;
    const std::string text = text::fromCp1251(bytes);
    EXPECT_EQ(text::toCp1251(text), bytes);
    EXPECT_NE(text.find("POUt:3 - Не найден дескриптор\n"), std::string::npos)
        << text.substr(0, 400);
}

TEST_F(TarnBinary, TheTraceHoldsOneLinePerFrameOnTheLine) {
    startModule();
    const auto trace = scratch_ / "Обмен" / "Trace.LOG";
    std::filesystem::create_directories(trace.parent_path());
    std::ofstream(trace) << "left from an earlier run\n";
    const ToolRun run = tarn(
        {port(), "-trace:" + trace.string(), "-read", "-close", (scratch_ / "t.tarn").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::vector<std::vector<std::string>> sent;
    int received = 0;
    std::istringstream lines(readFileBytes(trace));
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> columns;
        std::istringstream cut(line);
        for (std::string column; std::getline(cut, column, '\t');) {
            columns.push_back(column);
        }
        ASSERT_GE(columns.size(), 6u) << line;
        if (columns[2] == "->") {
            sent.push_back(columns);
        } else {
            EXPECT_EQ(columns[2], "<-") << line;
            ++received;
        }
    }
    // The module saw every frame the trace says went out, in that order; the
    // start-up's search of the module is there too.
    const auto logged = module_.frameLog();
    ASSERT_GT(logged.size(), 300u);
    ASSERT_EQ(sent.size(), logged.size());
    EXPECT_EQ(received, static_cast<int>(logged.size()));
    for (std::size_t i = 0; i < logged.size(); ++i) {
        char hash[8];
        std::snprintf(hash, sizeof hash, "%04X", logged[i].frame.hash);
        ASSERT_EQ(sent[i][6], hash) << "frame " << i;
    }
    EXPECT_EQ(sent.front()[3], "поиск связи");
    EXPECT_EQ(sent.back()[3], "задача");
}

// A read slow enough to be stopped half-way: every answer waits.
class StoppedRun : public TarnBinary {
protected:
    void SetUp() override {
        TarnBinary::SetUp();
        sim::ServerOptions slow;
        slow.delayMs = 40;
        startModule(slow);
    }
};

TEST_F(StoppedRun, TheExitSemaphoreStopsTheRunWith205) {
    const std::string name = "tarn-e2e-" + std::to_string(getpid());
    sem_unlink(("/" + name).c_str());
    RunningTool run(
        tarn_, {port(), "-exitevent:" + name, "-read", "-close", (scratch_ / "s.tarn").string()});
    ASSERT_TRUE(run.started());
    sem_t* semaphore = SEM_FAILED;
    for (int i = 0; i < 100 && semaphore == SEM_FAILED; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        semaphore = sem_open(("/" + name).c_str(), 0);
    }
    ASSERT_NE(semaphore, SEM_FAILED) << "the program creates the semaphore";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sem_post(semaphore);
    sem_close(semaphore);
    const auto started = std::chrono::steady_clock::now();
    const ToolRun result = run.wait();
    EXPECT_EQ(result.exitCode, 205) << result.err;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    sem_unlink(("/" + name).c_str());
}

TEST_F(StoppedRun, SigtermStopsTheRunWith205) {
    RunningTool run(tarn_, {port(), "-read", "-close", (scratch_ / "t.tarn").string()});
    ASSERT_TRUE(run.started());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    run.signal(SIGTERM);
    const ToolRun result = run.wait();
    EXPECT_EQ(result.exitCode, 205) << result.err;
    // The summary counts what was read and says the read was stopped.
    std::smatch match;
    const std::regex summary("чтение \\(прервано\\): параметров (\\d+), с ошибками (\\d+)");
    ASSERT_TRUE(std::regex_search(result.out, match, summary)) << result.out;
    EXPECT_GT(std::stoi(match[1]), 0);
    EXPECT_LT(std::stoi(match[1]), 300) << "a stopped read went through part of the tree";
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "t.tarn")) << "a stopped read stores nothing";
}

TEST_F(TarnBinary, NewNetParamPutsTheNetworkSettingsIntoTheFile) {
    const auto file = scratch_ / "net.tarn";
    {
        auto original = document();
        ASSERT_TRUE(original->switchToMode(3));
        original->networkSettings()->setValueByName("Addr", "24", false);
        original->networkSettings()->setValueByName("PrtY", "Четность", false);
        ASSERT_TRUE(original->saveFile(file));
    }
    const ToolRun run = tarn({"-newnetparam", "-bps:19200", "-sbit:2", file.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto edited = document();
    ASSERT_EQ(edited->loadFile(file), TarnDocument::LoadResult::Loaded);
    EXPECT_EQ(edited->mode(), 3u);
    const DescBranch& network = *edited->networkSettings();
    EXPECT_EQ(network.valueByName("bPS"), "19200");
    EXPECT_EQ(network.valueByName("Sbit"), "2");
    EXPECT_EQ(network.valueByName("Addr"), "24") << "settings not given stay";
    EXPECT_EQ(network.valueByName("PrtY"), "Четность");
    // The program's own connection is not touched.
    std::int32_t baud = 9600;
    settings_.readInt(SettingsStore::Scope::Machine, kProgramKey, "baud_rate", baud);
    EXPECT_EQ(baud, 9600);
}

TEST_F(TarnBinary, HelpPrintsTheOptionsAndExitCodes) {
    for (const char* help : {"-help", "-?", "--help"}) {
        const ToolRun run = tarn({help});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_NE(run.out.find("-exitevent:NAME"), std::string::npos);
        EXPECT_NE(run.out.find("206"), std::string::npos);
    }
}

TEST_F(TarnBinary, VersionPrintsTheNameTheVersionAndTheCopyright) {
    for (const char* version : {"--version", "-version"}) {
        const ToolRun run = tarn({version});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.rfind("tarn ", 0), 0u) << run.out;
        EXPECT_NE(run.out.find(std::string(" ") + build::kVersion + "\n"), std::string::npos);
        EXPECT_NE(run.out.find(build::kCopyright), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(TarnBinary, AnInteractiveStartWithoutADisplayEndsWithAMessage) {
    const ToolRun run = tarn({});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
}

TEST_F(TarnBinary, CalibrationWithoutADisplayEndsAtOnceAndSendsNothing) {
    startModule();
    for (const char* platform : {"", "offscreen"}) {
        if (*platform != '\0') {
            setenv("QT_QPA_PLATFORM", platform, 1);
        }
        const ToolRun run = tarn({port(), "-calibrate"});
        unsetenv("QT_QPA_PLATFORM");
        EXPECT_EQ(run.exitCode, 2) << platform;
        EXPECT_NE(run.err.find("-calibrate needs a display"), std::string::npos) << run.err;
    }
    EXPECT_EQ(module_.requestsSeen(), 0);
}

}  // namespace
}  // namespace tarn::e2e
