// How a branch of the parameter tree stores itself in a configuration file.
//
// A branch record holds the branch's name, its parameters each behind a key
// (the name hash in the low half, the linear index — or 0xFFFF when the
// parameter has none — in the high half), the instance count and number, and
// then the records of its child branches. Reading matches records to
// parameters by key, not by position, so a configuration survives reordered
// or extended descriptions as long as names and indices stay.
#pragma once

#include <cstdint>

#include "model/desc_branch.h"
#include "platform/archive.h"

namespace tarn {

inline constexpr std::uint16_t kBranchSchema = 3;

std::uint32_t parameterKey(const Parameter& parameter);

void storeBranch(ArchiveWriter& archive, const DescBranch& branch);

// Reads a branch record and those of its children into an existing tree.
// A stored parameter whose key matches no parameter of the branch is read
// and dropped; when two parameters share a key the later one of the branch
// receives the records. The linear index and address offset of a matched
// parameter stay those of the tree, whatever its record holds. A record of
// another schema reads nothing of the
// branch itself, but its children are still read. Errors and a premature
// end of the file throw ArchiveError; what was read stays applied.
void loadBranch(ArchiveReader& archive, DescBranch& branch);

}  // namespace tarn
