// Runs a program of the build and collects what it wrote.
#pragma once

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

// The full path of a program found on PATH; empty when there is none.
std::string findOnPath(const std::string& program);

}  // namespace tarn::testing
