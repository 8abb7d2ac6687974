// Two configurations compared parameter by parameter: what tarn-diff prints.
//
// Parameters are matched by the key the configuration file stores them
// under (name hash and linear index), not by their place in the tree, so
// configurations of different operating modes are compared on the keys they
// share. Where one tree holds a key several times, the occurrences are
// paired in tree order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/configuration_entries.h"

namespace tarn {

struct ConfigurationDifference {
    enum class Kind {
        Differs,       // both hold the parameter; value or attributes differ
        OnlyInFirst,   // only the first configuration holds it
        OnlyInSecond,  // only the second one does
    };
    Kind kind = Kind::Differs;
    std::optional<ConfigurationEntry> first;
    std::optional<ConfigurationEntry> second;
};

// Two entries of one key differ when the value texts differ (exactly, as the
// compare with the module has it), or the editable or owner attribute does.
bool entriesDiffer(const ConfigurationEntry& first, const ConfigurationEntry& second);

// The differences, in the first configuration's tree order, followed by what
// only the second one holds, in its order.
std::vector<ConfigurationDifference> compareConfigurations(
    const std::vector<ConfigurationEntry>& first, const std::vector<ConfigurationEntry>& second);

// The lines of one difference, each ended by a line feed:
//   "~ path / caption  name:index" with "    - value  [attributes]" and
//   "    + value  [attributes]" below it; "- line" for a parameter only the
//   first holds and "+ line" for one only the second holds (see entryLine).
std::string differenceText(const ConfigurationDifference& difference);

}  // namespace tarn
