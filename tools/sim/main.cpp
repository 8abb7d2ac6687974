// tarn-sim: the simulated TARN module on a pseudo-terminal.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <mutex>

#include "description/tree_container.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/sim_options.h"
#include "sim/simulated_module.h"
#include "sim/tree_parameters.h"

namespace {

std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis));
    return buffer;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tarn::sim;
    std::string error;
    const auto options = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "tarn-sim: " << error << "\n(tarn-sim --help lists the options)\n";
        return 2;
    }
    if (options->help) {
        std::cout << helpText();
        return 0;
    }

    // The signals are taken by sigwait below; the server thread inherits
    // the mask and never sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::mutex logMutex;
    std::ofstream logFile;
    if (!options->logFile.empty()) {
        logFile.open(options->logFile, std::ios::app);
        if (!logFile) {
            std::cerr << "tarn-sim: cannot open the log " << options->logFile << "\n";
            return 1;
        }
    }
    std::ostream& logStream = logFile.is_open() ? static_cast<std::ostream&>(logFile) : std::cerr;
    auto log = [&](const std::string& line) {
        if (options->quiet) {
            return;
        }
        std::lock_guard lock(logMutex);
        logStream << timestamp() << ' ' << line << '\n';
        logStream.flush();
    };

    SimulatedModule module;
    if (options->builtinParameters) {
        addBuiltInParameters(module);
    } else {
        const std::filesystem::path container = options->treeContainer.empty()
                                                    ? tarn::treeContainerPath()
                                                    : std::filesystem::path(options->treeContainer);
        const TreeParameterLoad load = addTreeParameters(module, container);
        for (const auto& problem : load.problems) {
            std::cerr << "tarn-sim: " << problem << "\n";
        }
        if (load.modes == 0) {
            std::cerr << "tarn-sim: no tree file could be read from " << container
                      << "; use --trees FILE or --builtin\n";
            return 1;
        }
        addModuleCommands(module);
        addLiveBehaviour(module);
    }
    module.setActiveSettings(options->settings);
    // After the settings, which also fill the network-setting parameters.
    for (const auto& assignment : options->assignments) {
        if (!module.assign(assignment, error)) {
            std::cerr << "tarn-sim: --set: " << error << "\n";
            return 2;
        }
    }
    module.setModelName(options->modelName);
    module.setVersion(options->version);
    module.setFaults(options->faults);
    module.setProbeFramings(options->probeFramings);
    module.setDeviceProtocol(options->deviceProtocol);
    module.setLog(log);

    ServerOptions serverOptions = options->server;
    serverOptions.log = log;
    PtyServer server(module, serverOptions);
    if (!server.start(&error)) {
        std::cerr << "tarn-sim: " << error << "\n";
        return 1;
    }
    std::cout << "tarn-sim: module at " << server.devicePath() << ", line "
              << describeLine(options->settings.line) << ", address " << options->settings.address
              << "\n";
    for (const auto& link : server.links()) {
        std::cout << "tarn-sim: " << link << " -> " << server.devicePath() << "\n";
    }
    std::cout.flush();

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    log("stopped by signal " + std::to_string(signal));
    return 0;
}
