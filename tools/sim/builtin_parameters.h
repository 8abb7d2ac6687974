// The parameter set tarn-sim serves when it is started on its own.
#pragma once

#include "sim/simulated_module.h"

namespace tarn::sim {

// Adds a compact built-in parameter set: the module's network settings,
// the protocol, the eight outputs with their control parameters, the
// calibration commands, the composite network name, the output states and
// a few values, some of them live.
//
// tarn-sim normally serves the parameters of the tree files instead
// (tree_parameters.h); this set is for runs without a container ("--builtin")
// and for tests of the protocol engine.
void addBuiltInParameters(SimulatedModule& module);

// Adds the commands the module understands besides its parameters ("dev",
// "ver", "exit", "INIT", the calibration commands). Names the set already
// has keep their definition.
void addModuleCommands(SimulatedModule& module);

}  // namespace tarn::sim
