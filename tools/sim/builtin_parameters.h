// The parameter set tarn-sim serves when it is started on its own.
#pragma once

#include "sim/simulated_module.h"

namespace tarn::sim {

// Adds a compact built-in parameter set: the module's network settings,
// the protocol, the eight outputs with their control parameters, the
// calibration commands, the composite network name, the output states and
// a few values, some of them live.
//
// This list stands in until the module's tree files are loaded here: then
// the simulator serves the union of the parameters of all operating modes
// taken from the parsed tree files, and this list only adds what the tree
// files do not describe (the commands and the live behaviour).
void addBuiltInParameters(SimulatedModule& module);

}  // namespace tarn::sim
