// The simulated module: its protocol engine on its own, on a line, and the
// tarn-sim executable.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "comm/error_texts.h"
#include "comm/probe_framing.h"
#include "model/network_name.h"
#include "model/parameter.h"
#include "sim/sim_options.h"
#include "simulated_line.h"

extern char** environ;

namespace tarn::testing {
namespace {

using sim::SimulatedModule;

std::optional<Frame> ask(SimulatedModule& module, const Frame& request, int addressLength = 8) {
    const auto answer = module.answerFrame(encodeFrame(request, addressLength));
    if (!answer) {
        return std::nullopt;
    }
    const auto parsed = parseFrame(*answer, addressLength);
    EXPECT_TRUE(parsed && parsed->checksumOk);
    return parsed ? std::optional<Frame>(parsed->frame) : std::nullopt;
}

int errorCodeOf(const std::optional<Frame>& answer) {
    if (!answer || answer->hash != kHashNErr || answer->data.empty()) {
        return -1;
    }
    return answer->data[0];
}

class ModuleEngine : public ::testing::Test {
protected:
    void SetUp() override { sim::addBuiltInParameters(module); }
    Frame read(const std::string& name, std::vector<std::uint8_t> data = {}, int address = 16) {
        return Frame{address, true, NetNameHash(name), std::move(data)};
    }
    Frame write(const std::string& name, std::vector<std::uint8_t> data, int address = 16) {
        return Frame{address, false, NetNameHash(name), std::move(data)};
    }
    SimulatedModule module;
};

TEST_F(ModuleEngine, BuiltInParametersHaveDistinctHashes) {
    const char* names[] = {"bPS",   "LEn",  "PrtY",   "Sbit", "A.Len", "Addr",  "Prot",
                           "dev",   "ver",  "exit",   "INIT", "CLB.I", "CLB.A", "CLB.K",
                           "POUt",  "nPCP", "nPCO",   "CHAr", "SP",    "HYS",   "t.On",
                           "Alr.t", "SErN", "r.oe.s", "tIn",  "CnT"};
    for (const char* name : names) {
        EXPECT_TRUE(module.value(name)) << name;
    }
    EXPECT_EQ(module.parameterCount(), std::size(names));
    EXPECT_TRUE(module.value("nPCP", 56));
    EXPECT_TRUE(module.value("POUt", 7));
    EXPECT_FALSE(module.value("POUt", 8));
}

TEST_F(ModuleEngine, Addressing) {
    // Base address and base + index answer; others are not for this module.
    EXPECT_TRUE(ask(module, read("A.Len")));
    EXPECT_TRUE(ask(module, read("r.oe.s", {}, 16 + 7)));
    EXPECT_FALSE(ask(module, read("A.Len", {}, 15)));
    EXPECT_FALSE(ask(module, read("A.Len", {}, 16 + sim::kScannerAddresses)));
    // Address 255 reaches it too.
    EXPECT_TRUE(ask(module, read("A.Len", {}, 255)));
    // The index in the address and in the data add up.
    module.setLive("r.oe.s", [](double, int index) { return std::to_string(index * 3); });
    auto answer = ask(module, read("r.oe.s", {}, 16 + 5));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->data, std::vector<std::uint8_t>{15});
    answer = ask(module, read("r.oe.s", {0, 2}, 16 + 5));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->data, (std::vector<std::uint8_t>{21, 0, 2}));
    EXPECT_EQ(errorCodeOf(ask(module, read("r.oe.s", {0, 3}, 16 + 5))), 52);
}

TEST_F(ModuleEngine, ErrorAnswers) {
    EXPECT_EQ(errorCodeOf(ask(module, read("QQQ"))), 40);
    EXPECT_EQ(errorCodeOf(ask(module, read("A.Len", {1}))), 49);
    EXPECT_EQ(errorCodeOf(ask(module, write("SP", {0x41, 0xCC}))), 49);
    EXPECT_EQ(errorCodeOf(ask(module, write("dev", {0x41}))), 3);
    EXPECT_EQ(errorCodeOf(ask(module, write("SErN", {0x01}))), 51);
    EXPECT_EQ(errorCodeOf(ask(module, write("bPS", {9}))), 55);
    EXPECT_EQ(module.value("bPS"), "9600");
    const std::uint16_t dev = NetNameHash("dev");
    EXPECT_EQ(errorCodeOf(ask(module, Frame{16,
                                            true,
                                            NetNameHash("M.s.t.r."),
                                            {static_cast<std::uint8_t>(dev >> 8),
                                             static_cast<std::uint8_t>(dev & 0xFF)}})),
              8);
    // A request with a bad checksum.
    std::string wire = encodeFrame(read("A.Len"), 8);
    wire[wire.size() - 2] = wire[wire.size() - 2] == 'G' ? 'H' : 'G';
    const auto answer = module.answerFrame(wire);
    ASSERT_TRUE(answer);
    EXPECT_EQ(errorCodeOf(parseFrame(*answer, 8)->frame), 39);
}

TEST_F(ModuleEngine, AplyMovesToTheSettingsOfItsParameters) {
    ASSERT_TRUE(ask(module, write("bPS", {6})));    // 38400
    ASSERT_TRUE(ask(module, write("A.Len", {1})));  // 11 bits
    ASSERT_TRUE(ask(module, write("Addr", {0x01, 0x00})));
    ASSERT_TRUE(ask(module, write("PrtY", {2})));
    EXPECT_EQ(module.activeSettings().line.baudRate, 9600);
    EXPECT_FALSE(ask(module, Frame{16, false, kHashAply, {}}));
    const auto now = module.activeSettings();
    EXPECT_EQ(now.line.baudRate, 38400);
    EXPECT_EQ(now.line.parity, Parity::Odd);
    EXPECT_EQ(now.addressLength, 11);
    EXPECT_EQ(now.address, 256);
    EXPECT_TRUE(ask(module, read("A.Len", {}, 256), 11));
}

TEST_F(ModuleEngine, CalibrationCommandsKeepTheirRangeAndTheLogKeepsTimes) {
    // CLB.K 5 = 4095 with its index in the data, then 4096, which is refused.
    const auto before = std::chrono::steady_clock::now();
    auto answer = ask(module, write("CLB.K", {0x0F, 0xFF, 0, 5}));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->hash, NetNameHash("CLB.K"));
    EXPECT_EQ(module.value("CLB.K", 5), "4095");
    EXPECT_EQ(errorCodeOf(ask(module, write("CLB.K", {0x10, 0x00, 0, 5}))), 55);
    EXPECT_EQ(module.value("CLB.K", 5), "4095");
    EXPECT_EQ(errorCodeOf(ask(module, write("CLB.I", {16}))), 55);
    EXPECT_TRUE(ask(module, write("CLB.I", {15})));
    answer = ask(module, read("CLB.A"));
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->data.empty());
    // The coefficients carry attributes.
    EXPECT_TRUE(
        ask(module, read("M.s.t.r.", {0, 5, static_cast<std::uint8_t>(NetNameHash("CLB.K") >> 8),
                                      static_cast<std::uint8_t>(NetNameHash("CLB.K"))})));

    const auto log = module.frameLog();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[4].frame.hash, NetNameHash("CLB.A"));
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_GE(log[i].received, i == 0 ? before : log[i - 1].received);
    }
}

TEST_F(ModuleEngine, LaterDefinitionsOnlyWidenAFamily) {
    module.addParameter("nPCP", "float", 100, "9.000");
    EXPECT_EQ(module.value("nPCP", 0), "0");
    EXPECT_EQ(module.value("nPCP", 99), "0");
    module.addParameter("POUt", "int", 2, "1");
    EXPECT_FALSE(module.value("POUt", 8));
}

TEST_F(ModuleEngine, AssignedValuesMustBeAnswerable) {
    std::string error;
    auto assignment = sim::parseValueAssignment("POUt:3=Аналоговый 0-5 мА", error);
    ASSERT_TRUE(assignment) << error;
    EXPECT_EQ(assignment->name, "POUt");
    EXPECT_EQ(assignment->index, 3);
    ASSERT_TRUE(module.assign(*assignment, error)) << error;
    EXPECT_EQ(module.value("POUt", 3), "Аналоговый 0-5 мА");
    assignment = sim::parseValueAssignment("SP=12.5", error);
    ASSERT_TRUE(assignment && module.assign(*assignment, error)) << error;
    EXPECT_EQ(module.value("SP"), "12.500") << "kept as the program reads it back";

    for (const char* bad : {"POUt:8=Дискретный", "XYZ=1", "bPS=12345", "SP=warm", "tIn=20.0"}) {
        error.clear();
        assignment = sim::parseValueAssignment(bad, error);
        ASSERT_TRUE(assignment) << bad;
        EXPECT_FALSE(module.assign(*assignment, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_EQ(module.value("bPS"), "9600") << "a refused value changes nothing";
    for (const char* unreadable : {"POUt", "POUt:x=1", ":2=1", "POUt:-1=1"}) {
        error.clear();
        EXPECT_FALSE(sim::parseValueAssignment(unreadable, error)) << unreadable;
        EXPECT_FALSE(error.empty()) << unreadable;
    }
}

TEST_F(ModuleEngine, ProbesAreAnsweredOnlyWhenAsked) {
    const std::string rtu = buildProbe(kProtocolModbusRtu, 16);
    EXPECT_FALSE(module.answerProbe(kProtocolModbusRtu, rtu));
    module.setProbeFramings(sim::kAnswerModbusRtu);
    EXPECT_EQ(module.answerProbe(kProtocolModbusRtu, rtu), rtu);
    EXPECT_FALSE(module.answerProbe(kProtocolModbusRtu, buildProbe(kProtocolModbusRtu, 17)));
    EXPECT_FALSE(module.answerProbe(kProtocolDcon, buildProbe(kProtocolDcon, 16)));
}

class SimulatorOnALine : public SimulatedLine {};

TEST_F(SimulatorOnALine, LiveValuesChange) {
    openLink();
    auto counter = std::make_unique<Parameter>("CnT");
    counter->setValueType("int");
    ASSERT_EQ(link.ExchangeParameter(*counter, true), ExchangeResult::Ok);
    const std::string first = counter->valueText();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    ASSERT_EQ(link.ExchangeParameter(*counter, true), ExchangeResult::Ok);
    EXPECT_NE(counter->valueText(), first);
}

TEST_F(SimulatorOnALine, AnotherModelName) {
    module.setModelName("TRM-5");
    openLink();
    Parameter device("dev");
    device.setValueType("string");
    ASSERT_EQ(link.ExchangeParameter(device, true), ExchangeResult::Ok);
    EXPECT_EQ(device.valueText(), "TRM-5");
}

TEST_F(SimulatorOnALine, LineTimingDelaysTheAnswer) {
    module.setActiveSettings({{1200, 8, Parity::None, 1}, 16, 8});
    sim::ServerOptions options;
    options.lineTiming = true;
    options.turnaroundUs = 20000;
    startServer(options);
    PortSettings settings;
    settings.baudRate = 1200;
    openLink(settings);
    Parameter device("dev");
    device.setValueType("string");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(link.ExchangeParameter(device, true), ExchangeResult::Ok);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(module.requestsSeen(), 1);

    // The request written at once still takes its line time to arrive, then
    // come the turnaround and the answer: 8.33 ms a character, 20 ms.
    const sim::LineStatistics line = server().statistics();
    EXPECT_EQ(line.requests, 1);
    EXPECT_EQ(line.answers, 1);
    EXPECT_GE(line.charactersIn, 8);
    EXPECT_GE(line.charactersOut, 8);
    const double characterMs = 10 * 1000.0 / 1200;
    const auto ideal = std::chrono::duration<double, std::milli>(
        static_cast<double>(line.charactersIn + line.charactersOut) * characterMs + 20.0);
    EXPECT_GE(elapsed, ideal);

    // A second exchange counts as well, with the program's turnaround
    // between the first answer and the second request.
    ASSERT_EQ(link.ExchangeParameter(device, true), ExchangeResult::Ok);
    const sim::LineStatistics twice = server().statistics();
    EXPECT_EQ(twice.requests, 2);
    EXPECT_EQ(twice.charactersIn, 2 * line.charactersIn);
    EXPECT_EQ(twice.programTurnaroundsUs.size(), 1U);
    server().resetStatistics();
    EXPECT_EQ(server().statistics().requests, 0);
}

TEST(SimulatorCommandLine, Options) {
    std::string error;
    const auto line =
        sim::parseCommandLine({"--com", "12", "--bps=19200", "--parity", "even", "--alen", "11",
                               "--addr", "800", "--probes", "rtu,dcon", "--drop-every", "3",
                               "--silent", "--line-timing", "--error", "200", "--model", "X"},
                              error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->server.comNumber, 12);
    EXPECT_EQ(line->settings.line.baudRate, 19200);
    EXPECT_EQ(line->settings.line.parity, Parity::Even);
    EXPECT_EQ(line->settings.addressLength, 11);
    EXPECT_EQ(line->settings.address, 800);
    EXPECT_EQ(line->probeFramings, sim::kAnswerModbusRtu | sim::kAnswerDcon);
    EXPECT_EQ(line->faults.dropEvery, 3);
    EXPECT_TRUE(line->faults.silent);
    EXPECT_TRUE(line->server.lineTiming);
    EXPECT_EQ(line->server.turnaroundUs, 0);
    EXPECT_EQ(line->faults.errorCode, 200);
    EXPECT_EQ(line->modelName, "X");
    const auto timed = sim::parseCommandLine({"--line-timing", "--turnaround", "1500"}, error);
    ASSERT_TRUE(timed) << error;
    EXPECT_EQ(timed->server.turnaroundUs, 1500);
    const auto set =
        sim::parseCommandLine({"--set", "POUt:2=Дискретный", "--set=Addr=24=x"}, error);
    ASSERT_TRUE(set) << error;
    ASSERT_EQ(set->assignments.size(), 2u);
    EXPECT_EQ(set->assignments[0].index, 2);
    EXPECT_EQ(set->assignments[1].name, "Addr");
    EXPECT_EQ(set->assignments[1].value, "24=x");

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--bps", "250"},
                                               {"--com", "0"},
                                               {"--com"},
                                               {"--parity", "mark"},
                                               {"--probes", "rtu,modbus"},
                                               {"--frobnicate"},
                                               {"--alen", "9"},
                                               {"--turnaround", "-5"},
                                               {"--silent=1"},
                                               {"--set", "POUt:two=1"}}) {
        error.clear();
        EXPECT_FALSE(sim::parseCommandLine(bad, error)) << bad[0];
        EXPECT_FALSE(error.empty()) << bad[0];
    }
}

TEST(SimulatorCommandLine, EveryOptionOfTheHelpIsKnown) {
    const std::string help = sim::helpText();
    std::size_t pos = 0;
    int options = 0;
    while ((pos = help.find("\n  --", pos)) != std::string::npos) {
        pos += 3;
        const std::string option = help.substr(pos, help.find_first_of(" \n", pos) - pos);
        // Alone, a flag parses and an option with a value asks for it.
        std::string error;
        if (!sim::parseCommandLine({option}, error)) {
            EXPECT_EQ(error, option + " needs a value");
        }
        ++options;
    }
    EXPECT_EQ(options, 31);
}

TEST(SimulatorProcess, ServesAPortUntilTerminated) {
    TemporaryFolder ports;
    setenv("TARN_PORTS_DIR", ports.path().c_str(), 1);
    const std::string program = std::string(TARN_BIN_DIR) + "/tarn-sim";
    const std::string log = (ports.path() / "sim.log").string();
    // The built-in parameter set: the tree container belongs to the
    // tests that read it exclusively.
    std::vector<std::string> args = {program, "--com", "7", "--builtin", "--log", log};
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);

    const auto entry = ports.path() / "COM7";
    for (int i = 0; i < 250 && !std::filesystem::is_symlink(entry); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(std::filesystem::is_symlink(entry));

    LinkContext context;
    DeviceLink link(context);
    PortSettings settings;
    settings.port = "COM7";
    EXPECT_EQ(link.OpenLink(settings, false), PortOpenResult::Opened);
    Parameter device("dev");
    device.setValueType("string");
    EXPECT_EQ(link.ExchangeParameter(device, true), ExchangeResult::Ok);
    EXPECT_EQ(device.valueText(), "TARN");
    link.CloseLink();

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(entry)));
    std::ifstream logFile(log);
    const std::string logged((std::istreambuf_iterator<char>(logFile)), {});
    EXPECT_NE(logged.find("dev"), std::string::npos);
    unsetenv("TARN_PORTS_DIR");
}

}  // namespace
}  // namespace tarn::testing
