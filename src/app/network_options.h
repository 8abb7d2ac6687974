// The network settings given on the command line, put where the run needs
// them: into the program's own connection, into the configuration's
// network-settings branch ("aply"), or only into the file ("newnetparam").
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"

namespace tarn {

class DescBranch;
class NetRS485prg;

// The value texts of "Addr", "A.Len", "bPS", "LEn", "Sbit", "PrtY" in this
// order; "Нет данных" for a setting not given (or given as 0).
std::vector<std::pair<std::string, std::string>> commandLineNetworkValues(const CommandLine& line);

// Applies the settings. `networkBranch` may be null.
// - "newnetparam": the given settings go into the network-settings branch.
//   Settings not given keep the file's values (they are not overwritten with
//   "Нет данных").
// - otherwise, when settings were given: each given one goes into the
//   program's connection, and with "aply" into the branch too; a given port
//   becomes the connection's "Port" ("COMn").
void applyCommandLineNetworkSettings(const CommandLine& line, NetRS485prg& programSettings,
                                     DescBranch* networkBranch);

}  // namespace tarn
