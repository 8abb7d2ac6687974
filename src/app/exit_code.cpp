#include "app/exit_code.h"

namespace tarn {

int exitCodeFor(std::uint32_t runResultCode, int normalCode) {
    for (int bit = 0; bit < 32; ++bit) {
        if ((runResultCode & (1U << bit)) != 0) {
            return 200 + bit;
        }
    }
    return normalCode;
}

int compareExitCode(std::uint32_t runResultCode, int differences) {
    return exitCodeFor(runResultCode, differences > 0 ? kExitModuleDiffers : 0);
}

std::string exitCodeMeaning(int code) {
    switch (code) {
        case 0:
            return "the task ended normally";
        case 2:
            return "the program could not run (no display for a window)";
        case 200:
            return "the configuration file named cannot be used (missing for -write or "
                   "-compare, or not a configuration)";
        case 201:
            return "the serial port could not be opened";
        case 202:
            return "an exchange timed out (no connection)";
        case 203:
            return "wrong port settings or a lost frame start";
        case 205:
            return "the run was stopped";
        case 206:
            return "the module did not answer the connection attempt at start";
        case kExitModuleDiffers:
            return "the module differs from the configuration file";
        default:
            break;
    }
    return "exit code " + std::to_string(code);
}

}  // namespace tarn
