// BranchSnapshot: what a branch and everything below it hold of the records
// a configuration file stores (texts, flags, the place on the line, the
// instance count and number), kept in memory.
//
// The document takes one of each tree right after building it and brings a
// kept tree back to that state before the next file of its mode is read,
// instead of building it again from the description.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/desc_branch.h"

namespace tarn {

class BranchSnapshot {
public:
    BranchSnapshot() = default;
    // Takes what `branch` (may be null: an empty snapshot) holds now.
    explicit BranchSnapshot(const DescBranch* branch);

    // Puts back what was taken into every branch and parameter below
    // `branch` (values, states, flags, captions: everything `setNoData`
    // forgets and more) and sets the default polling periods. True when the
    // branch has the shape it had when taken: the same branches and
    // parameters in the same order under the same network names. A false
    // result leaves the branch in no defined state. A text is assigned only
    // where it differs, so bringing back a tree that a file changed in a few
    // places costs little more than walking it.
    bool restore(DescBranch* branch) const;

private:
    struct ParameterState {
        std::string networkName;  // compared, not restored: the tree's own
        std::string valueText;
        std::string caption;
        std::string statusText;
        std::int32_t linearIndex = 0;
        std::int32_t addressOffset = 0;
        std::int32_t tableMode = 0;
        bool hasLinearIndex = false;
        bool accessible = false;
        bool valueChanged = false;
        bool editableChanged = false;
        bool ownerChanged = false;
        bool editable = false;
        bool ownerIsFirm = false;
    };
    struct BranchState {
        std::string name;
        std::int32_t count = 0;
        std::int32_t number = 0;
        std::size_t parameters = 0;
        std::size_t children = 0;
    };

    static ParameterState stateOf(const Parameter& parameter);
    static bool putBack(Parameter& parameter, const ParameterState& state);
    void take(const DescBranch& branch);
    bool putBack(DescBranch& branch, std::size_t& nextBranch, std::size_t& nextParameter) const;

    bool empty_ = true;
    std::vector<BranchState> branches_;       // depth first, as stored
    std::vector<ParameterState> parameters_;  // in the same order
};

}  // namespace tarn
