// The serial port against the simulated module on a pseudo-terminal.
#include "comm/serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "comm/frame_codec.h"
#include "model/network_name.h"
#include "simulated_line.h"

namespace tarn::testing {
namespace {

using Clock = std::chrono::steady_clock;

long millisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class SerialPortTest : public SimulatedLine {
protected:
    void SetUp() override {
        SimulatedLine::SetUp();
        startServer();
        port.setPortName("COM9");
    }
    SerialPort port;
};

const std::string kReadALen = "#HGHGHUTISROI\r";

TEST_F(SerialPortTest, RefusedSettings) {
    for (const int baud : {250, 256000}) {
        port.setBaudRate(baud);
        EXPECT_EQ(port.Open(), PortOpenResult::SettingsNotAllowed) << baud;
        EXPECT_FALSE(port.isOpen());
    }
    port.setBaudRate(9600);
    port.setDataBits(9);
    EXPECT_EQ(port.Open(), PortOpenResult::DataBitsNotAllowed);
    port.setDataBits(4);
    EXPECT_EQ(port.Open(), PortOpenResult::DataBitsNotAllowed);
    port.setDataBits(8);
    port.setStopBits(3);
    EXPECT_EQ(port.Open(), PortOpenResult::SettingsNotAllowed);
    port.setStopBits(1);
    port.setParity(static_cast<Parity>(6));
    EXPECT_EQ(port.Open(), PortOpenResult::SettingsNotAllowed);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.Close(), PortCloseResult::NotOpen);
    // A file that is not a terminal has no port state.
    port.setPortName("/dev/null");
    port.setParity(Parity::None);
    EXPECT_EQ(port.Open(), PortOpenResult::SettingsNotAllowed);
}

TEST_F(SerialPortTest, MissingDeviceKeepsTheReason) {
    port.setPortName(ports_.path().string() + "/no-such-device");
    EXPECT_EQ(port.Open(), PortOpenResult::CannotOpen);
    EXPECT_EQ(port.lastOpenError(), ENOENT);
    port.setPortName("COM9");
    EXPECT_EQ(port.Open(), PortOpenResult::Opened);
    EXPECT_EQ(port.lastOpenError(), 0);
    EXPECT_EQ(port.devicePath(), server().devicePath());
}

TEST_F(SerialPortTest, AnswersAndTimeouts) {
    ASSERT_EQ(port.Open(), PortOpenResult::Opened);
    EXPECT_EQ(port.answerTimeout(), 170);
    EXPECT_NEAR(port.characterTime(), 1.0417, 0.0001);
    std::string answer;
    for (const int mode : {SerialPort::kDirectionByRts, SerialPort::kDirectionAutomatic}) {
        port.setDirectionMode(mode);
        EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::Answered);
        EXPECT_EQ(answer, encodeFrame(Frame{16, false, NetNameHash("A.Len"), {0}}, 8));
    }
    module.setFaults({.silent = true});
    const auto start = Clock::now();
    EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::NoAnswer);
    EXPECT_GE(millisecondsSince(start), 170);
    EXPECT_TRUE(answer.empty());
    EXPECT_EQ(port.Close(), PortCloseResult::Closed);
    EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::Aborted);
}

TEST_F(SerialPortTest, LongAnswersAreCut) {
    ASSERT_EQ(port.Open(), PortOpenResult::Opened);
    module.setFaults({.overlongEvery = 1});
    std::string answer;
    EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::Answered);
    EXPECT_EQ(answer.size(), kAnswerCapacity);
    EXPECT_EQ(answer.front(), '#');
    EXPECT_NE(answer.back(), '\r');
}

TEST_F(SerialPortTest, StopEventAbortsAWaitingTransceive) {
    // At 300 baud the answer time-out is 2.57 s: a stop must not wait for it.
    module.setActiveSettings({{300, 8, Parity::None, 1}, 16, 8});
    module.setFaults({.silent = true});
    port.setBaudRate(300);
    port.setDirectionMode(SerialPort::kDirectionAutomatic);
    ASSERT_EQ(port.Open(), PortOpenResult::Opened);
    ASSERT_GT(port.answerTimeout(), 2000);

    std::string answer;
    TransferResult result = TransferResult::Answered;
    Clock::time_point stopped;
    std::thread waiter([&] { result = port.Transceive(kReadALen, answer); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stopped = Clock::now();
    port.stopEvent().signal();
    waiter.join();
    EXPECT_EQ(result, TransferResult::Aborted);
    EXPECT_LT(millisecondsSince(stopped), 500);

    // Until it is reset, every Transceive fails at once and sends nothing.
    const int seen = module.requestsSeen();
    const auto start = Clock::now();
    EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::Aborted);
    EXPECT_LT(millisecondsSince(start), 500);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(module.requestsSeen(), seen);

    port.stopEvent().reset();
    module.setFaults({});
    EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::Answered);
}

TEST_F(SerialPortTest, SpeedsWithoutAConstantReachTheLine) {
    module.setActiveSettings({{14400, 8, Parity::None, 1}, 16, 8});
    port.setBaudRate(14400);
    ASSERT_EQ(port.Open(), PortOpenResult::Opened);
    std::string answer;
    EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::Answered);
    ASSERT_TRUE(server().lastLineSeen());
    EXPECT_EQ(server().lastLineSeen()->baudRate, 14400);
    EXPECT_EQ(server().lineMismatches(), 0);
}

TEST_F(SerialPortTest, SpeedAndStopBitsReachTheLine) {
    // A pseudo-terminal keeps speed and stop bits (it always reports 8 data
    // bits without parity).
    for (const auto& [baud, stopBits] :
         {std::pair{128000, 2}, std::pair{56000, 1}, std::pair{110, 2}, std::pair{28800, 1}}) {
        port.setBaudRate(baud);
        port.setStopBits(stopBits);
        port.setParity(Parity::Mark);
        port.setDataBits(7);
        ASSERT_EQ(port.Open(), PortOpenResult::Opened);
        const auto seen = server().terminalLine();
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->baudRate, baud);
        EXPECT_EQ(seen->stopBits, stopBits);
        EXPECT_EQ(port.Close(), PortCloseResult::Closed);
    }
}

TEST_F(SerialPortTest, ALineSetDifferentlyIsSilent) {
    port.setBaudRate(19200);
    ASSERT_EQ(port.Open(), PortOpenResult::Opened);
    std::string answer;
    EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::NoAnswer);
    EXPECT_EQ(server().lineMismatches(), 1);
}

TEST_F(SerialPortTest, NoiseBeforeAFrameIsSkipped) {
    ASSERT_EQ(port.Open(), PortOpenResult::Opened);
    port.setDirectionMode(SerialPort::kDirectionAutomatic);
    std::string answer;
    for (const unsigned framings : {0u, sim::kAnswerModbusRtu}) {
        module.setProbeFramings(framings);
        EXPECT_EQ(port.Transceive(std::string("\x01\xF3") + kReadALen, answer),
                  TransferResult::Answered)
            << framings;
        EXPECT_EQ(answer.front(), '#');
    }
}

TEST_F(SerialPortTest, ListsThePortsFolder) {
    std::string text;
    SerialPort::ListPorts(text);
    EXPECT_NE(text.find("COM9:"), std::string::npos) << text;
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "::");
}

double threadCpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// A pseudo-terminal without a module: the test plays the far end.
class BarePty {
public:
    BarePty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            return;
        }
        std::array<char, 128> name{};
        if (ptsname_r(master, name.data(), name.size()) == 0) {
            path = name.data();
        }
        line::configure(master, {9600, 8, Parity::None, 1});
    }
    ~BarePty() {
        if (master >= 0) {
            ::close(master);
        }
    }
    BarePty(const BarePty&) = delete;
    BarePty& operator=(const BarePty&) = delete;

    // Reads up to the first carriage return (at most 2 s), noting when each
    // character came; then writes `answer`.
    void answerAFrame(const std::string& answer) {
        std::array<char, 64> chunk{};
        bool complete = false;
        while (!complete) {
            pollfd entry{master, POLLIN, 0};
            if (poll(&entry, 1, 2000) <= 0) {
                return;
            }
            const ssize_t got = ::read(master, chunk.data(), chunk.size());
            const auto now = Clock::now();
            for (ssize_t i = 0; i < got; ++i) {
                arrivals.push_back(now);
                received.push_back(chunk[static_cast<std::size_t>(i)]);
                complete = chunk[static_cast<std::size_t>(i)] == '\r';
            }
        }
        EXPECT_EQ(::write(master, answer.data(), answer.size()),
                  static_cast<ssize_t>(answer.size()));
    }

    int master = -1;
    std::string path;
    std::vector<Clock::time_point> arrivals;
    std::string received;
};

// What came in before a request (a late answer, noise) is discarded: the
// answer is what the far end sent after the request.
TEST(SerialPortQueues, InputLeftFromBeforeIsDiscarded) {
    BarePty pty;
    ASSERT_FALSE(pty.path.empty());
    SerialPort port;
    port.setPortName(pty.path);
    port.setDirectionMode(SerialPort::kDirectionAutomatic);
    ASSERT_EQ(port.Open(), PortOpenResult::Opened);
    for (int round = 0; round < 2; ++round) {
        const std::string stale = "#STALE\r#MORE";
        ASSERT_EQ(::write(pty.master, stale.data(), stale.size()),
                  static_cast<ssize_t>(stale.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::thread module([&] { pty.answerAFrame("#GHGHGIGK\r"); });
        std::string answer;
        EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::Answered);
        module.join();
        EXPECT_EQ(answer, "#GHGHGIGK\r") << round;
    }
    // With nothing left over the exchange is the same.
    std::thread module([&] { pty.answerAFrame("#GHGHGIGK\r"); });
    std::string answer;
    EXPECT_EQ(port.Transceive(kReadALen, answer), TransferResult::Answered);
    module.join();
    EXPECT_EQ(answer, "#GHGHGIGK\r");
    port.Close();
}

// Direction by RTS on a bare pseudo-terminal: every character is written in
// its own slot of one character time, and the waits between the slots
// sleep: the sending thread does not spin through the frame.
TEST(SerialPortPacing, RtsSlotsAreKeptWithoutSpinning) {
    BarePty pty;
    ASSERT_FALSE(pty.path.empty());
    SerialPort port;
    port.setPortName(pty.path);
    port.setDirectionMode(SerialPort::kDirectionByRts);
    ASSERT_EQ(port.Open(), PortOpenResult::Opened);
    const auto characterTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(port.characterTime()));

    // The far end notes when each character arrives and answers the frame.
    std::thread module([&] { pty.answerAFrame("#GHGHGIGK\r"); });
    std::string answer;
    const double cpuBefore = threadCpuSeconds();
    const auto start = Clock::now();
    const TransferResult result = port.Transceive(kReadALen, answer);
    const auto wall = Clock::now() - start;
    const double cpu = threadCpuSeconds() - cpuBefore;
    module.join();
    port.Close();

    EXPECT_EQ(result, TransferResult::Answered);
    EXPECT_EQ(pty.received, kReadALen);
    const auto& arrivals = pty.arrivals;
    ASSERT_EQ(arrivals.size(), kReadALen.size());
    // No character before its slot: character i is written i character times
    // after the sending began at the earliest (a late delivery only adds).
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        EXPECT_GE(arrivals[i] - start, static_cast<Clock::rep>(i) * characterTime)
            << "character " << i;
    }
    EXPECT_GE(wall, static_cast<Clock::rep>(kReadALen.size()) * characterTime);
    // 14.6 ms of line time: spinning would use all of it.
    EXPECT_LT(cpu, 0.5 * std::chrono::duration<double>(wall).count());
}

}  // namespace
}  // namespace tarn::testing
