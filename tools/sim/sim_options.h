// The command line of tarn-sim.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/pty_server.h"
#include "sim/simulated_module.h"

namespace tarn::sim {

struct SimCommandLine {
    ServerOptions server;
    NetworkSettings settings;
    Faults faults;
    std::string modelName = "TARN";
    std::string version = "2.03";
    unsigned probeFramings = 0;
    bool deviceProtocol = true;
    std::string logFile;        // empty: standard error
    std::string treeContainer;  // empty: tarn.tree.dat beside the executable
    // Values the module holds from the start ("--set"), in the given order.
    std::vector<ValueAssignment> assignments;
    bool builtinParameters = false;
    bool quiet = false;
    bool help = false;
};

// Parses the arguments after the program name; on an error returns nothing
// and puts the reason into `error`.
std::optional<SimCommandLine> parseCommandLine(const std::vector<std::string>& args,
                                               std::string& error);

// The text of --help.
std::string helpText();

}  // namespace tarn::sim
