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
#pragma once

#include <atomic>
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
    bool lineTiming = false;  // answers take as long as on the line
    int delayMs = 0;          // added before every answer
    std::function<void(const std::string&)> log;
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

private:
    void run();
    void takeTextFrames(std::string& buffer);
    void takeGap(std::string& buffer);
    void dispatch(const std::string& frame, int framing);
    bool lineMatches();
    void send(const std::string& answer);
    void log(const std::string& line) const;
    bool answersRtu() const;

    SimulatedModule& module_;
    ServerOptions options_;
    int master_ = -1;
    std::string devicePath_;
    std::vector<std::string> links_;
    StopEvent stop_;
    std::thread thread_;
    std::atomic<int> lineMismatches_{0};
    mutable std::mutex seenMutex_;
    std::optional<LineSettings> lastSeen_;
    unsigned probeFramings_ = 0;
};

// "9600 8N1"
std::string describeLine(const LineSettings& line);

}  // namespace tarn::sim
