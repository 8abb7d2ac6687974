// PtyServer: puts a SimulatedModule on a pseudo-terminal.
//
// Opens a pseudo-terminal pair, binds the terminal side to a port name (the
// entry "COMn" of the ports folder, or any symbolic link) and serves the
// module on a thread of its own: it cuts the byte stream into frames, checks
// that the program set the speed the module works at (read from the terminal
// with TCGETS2; a pseudo-terminal keeps no other framing: the kernel always
// reports 8 data bits without parity), stays silent on a mismatch as a real
// module on a real line would, and writes the answers back, optionally after
// the time the characters would take on the line.
//
// With line timing the terminal stands for a half-duplex line at the
// module's speed: every character received occupies the line for one
// character time from the moment it was written, or from the end of the
// character before it if that is later (a frame handed over in one write
// takes its full line time to arrive; a frame the program paces arrives as
// paced). When the request's carriage return has arrived the module waits
// its turnaround, then its answer occupies the line for its characters; the
// whole answer is written at the moment its last character would have
// arrived. Times are kept with the steady clock in microseconds; the wait
// for an answer's moment ends in a short spin, so that it is met to some
// microseconds rather than to the system's wake-up latency.
#pragma once

#include <time.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "comm/line_settings.h"
#include "comm/stop_event.h"
#include "sim/simulated_module.h"

namespace tarn::sim {

struct ServerOptions {
    int comNumber = 0;        // > 0: entry "COMn" in the ports folder
    std::string linkPath;     // non-empty: a symbolic link to the terminal
    bool checkLine = true;    // silent when the line settings do not match
    bool lineTiming = false;  // requests and answers take as long as on the line
    // With line timing: the module's pause between a request's last
    // character and its answer's first one.
    int turnaroundUs = 0;
    int delayMs = 0;  // added before every answer
    std::function<void(const std::string&)> log;
};

// What crossed the line since the start or the last reset.
struct LineStatistics {
    long requests = 0;       // frames received (on a mismatched line as well)
    long answers = 0;        // answers written
    long charactersIn = 0;   // every character received
    long charactersOut = 0;  // every character written
    // From the moment an answer was written to the moment the first
    // character after it was read, in microseconds: the program's
    // turnaround, the terminal's delivery both ways included. Only the first
    // kMaxTurnarounds since the last reset are kept.
    static constexpr std::size_t kMaxTurnarounds = 1 << 20;
    std::vector<long> programTurnaroundsUs;
    // How much later than due the answers were written (the simulator's own
    // precision), in microseconds: the sum and the largest.
    long answersLateUs = 0;
    long answerLateMaxUs = 0;
};

class PtyServer {
public:
    PtyServer(SimulatedModule& module, ServerOptions options = {});
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the terminal, makes the links and starts serving. On failure
    // returns false with the reason in `error`.
    bool start(std::string* error = nullptr);
    // Stops serving, removes the links, closes the terminal.
    void stop();

    // The terminal the program opens ("/dev/pts/N").
    const std::string& devicePath() const { return devicePath_; }
    // The links made to it.
    const std::vector<std::string>& links() const { return links_; }

    // Frames ignored because the program set another speed.
    int lineMismatches() const { return lineMismatches_.load(); }
    // The line settings the terminal has now.
    std::optional<LineSettings> terminalLine() const;
    // The line settings the terminal had at the last frame.
    std::optional<LineSettings> lastLineSeen() const;

    LineStatistics statistics() const;
    void resetStatistics();
    // Processor time the serving thread has used, in seconds (0 once
    // stopped).
    double serverCpuSeconds() const;

private:
    using Clock = std::chrono::steady_clock;

    void run();
    void received(std::size_t size);
    void dropReceived(std::size_t count);
    void takeTextFrames(std::string& buffer);
    void takeGap(std::string& buffer);
    void dispatch(const std::string& frame, int framing, Clock::time_point arrived);
    bool lineMatches();
    void send(const std::string& answer, Clock::time_point requestArrived);
    bool waitUntil(Clock::time_point until);
    Clock::duration characterTime() const;
    void log(const std::string& line) const;
    bool answersRtu() const;

    SimulatedModule& module_;
    ServerOptions options_;
    int master_ = -1;
    std::string devicePath_;
    std::vector<std::string> links_;
    StopEvent stop_;
    std::thread thread_;
    std::optional<clockid_t> serverClock_;  // the processor-time clock of `thread_`
    std::atomic<int> lineMismatches_{0};
    mutable std::mutex seenMutex_;
    std::optional<LineSettings> lastSeen_;
    unsigned probeFramings_ = 0;

    // The moment each buffered character has fully arrived (line timing),
    // or was read; parallel to the receive buffer.
    std::deque<Clock::time_point> arrivals_;
    // The end of the last character on the line, in either direction.
    Clock::time_point lineBusyUntil_{};
    // How late a sleep of the serving thread ends, and how early it is
    // therefore asked to end (the rest is spun).
    Clock::duration wakeLatency_ = std::chrono::microseconds(50);
    Clock::duration wakeMargin_ = std::chrono::microseconds(100);
    // When the last answer was written; unset once the next character came.
    std::optional<Clock::time_point> answerWrittenAt_;

    mutable std::mutex statisticsMutex_;
    LineStatistics statistics_;
};

// "9600 8N1"
std::string describeLine(const LineSettings& line);

}  // namespace tarn::sim
