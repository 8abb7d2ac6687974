// The module's parameter set taken from its tree files: the simulator serves
// the union of the parameters of every operating mode, so the configurator
// finds every parameter it can show, in whichever mode it runs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "sim/simulated_module.h"

namespace tarn::sim {

struct TreeParameterLoad {
    int modes = 0;                      // tree files read
    int parameters = 0;                 // parameter families added
    std::vector<std::string> problems;  // what the descriptions complained about, per mode
};

// Adds every parameter of every tree file in `container`, with values that
// make sense for its type: the description's initial value when it has one,
// else the first item of an enumeration, the lower limit of a limited number,
// zero otherwise. Parameters the description hides ("!") are read-only and
// owned by the firm; the calibration coefficients belong to the firm too.
// The composite network name ("CHAr*") becomes its four "CHAr" codes.
TreeParameterLoad addTreeParameters(SimulatedModule& module,
                                    const std::filesystem::path& container);

// Gives the polled values of the tree files a life of their own (output
// states, output signals, actuator positions change over time).
void addLiveBehaviour(SimulatedModule& module);

}  // namespace tarn::sim
