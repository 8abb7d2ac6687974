// Runs a program of the build and collects what it wrote.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tarn::testing {

struct ToolRun {
    int exitCode = -1;  // -1 when the program could not be started or did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with the arguments, standard input empty; waits for it.
ToolRun runTool(const std::string& program, const std::vector<std::string>& args);

// A program of the build started in the background.
class RunningTool {
public:
    RunningTool(const std::string& program, const std::vector<std::string>& args);
    ~RunningTool();
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;

    bool started() const { return pid_ > 0; }
    // Sends a signal to the program.
    void signal(int number);
    // Waits for the end and collects what it wrote.
    ToolRun wait();
    // The same within `limit`; nothing when the program still runs then
    // (it is killed when the RunningTool goes).
    std::optional<ToolRun> waitFor(std::chrono::milliseconds limit);

private:
    int pid_ = -1;
    std::string folder_;
};

// The full path of a program found on PATH; empty when there is none.
std::string findOnPath(const std::string& program);

}  // namespace tarn::testing
