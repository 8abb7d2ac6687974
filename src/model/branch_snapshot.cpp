#include "model/branch_snapshot.h"

namespace tarn {

BranchSnapshot::BranchSnapshot(const DescBranch* branch) {
    if (branch != nullptr) {
        empty_ = false;
        take(*branch);
    }
}

BranchSnapshot::ParameterState BranchSnapshot::stateOf(const Parameter& parameter) {
    ParameterState state;
    state.networkName = parameter.networkName();
    state.valueText = parameter.valueText();
    state.caption = parameter.caption();
    state.statusText = parameter.statusText();
    state.linearIndex = parameter.linearIndex();
    state.addressOffset = parameter.addressOffset();
    state.tableMode = parameter.tableMode();
    state.hasLinearIndex = parameter.hasLinearIndex();
    state.accessible = parameter.accessible();
    state.valueChanged = parameter.valueChanged();
    state.editableChanged = parameter.editableChanged();
    state.ownerChanged = parameter.ownerChanged();
    state.editable = parameter.editable();
    state.ownerIsFirm = parameter.ownerIsFirm();
    return state;
}

void BranchSnapshot::take(const DescBranch& branch) {
    branches_.push_back(BranchState{branch.name(), branch.count(), branch.number(),
                                    branch.parameters().size(), branch.children().size()});
    for (const auto& parameter : branch.parameters()) {
        parameters_.push_back(stateOf(*parameter));
    }
    for (const auto& child : branch.children()) {
        take(*child);
    }
}

bool BranchSnapshot::restore(DescBranch* branch) const {
    if (branch == nullptr) {
        return empty_;
    }
    if (empty_) {
        return false;
    }
    std::size_t nextBranch = 0;
    std::size_t nextParameter = 0;
    return putBack(*branch, nextBranch, nextParameter) && nextBranch == branches_.size() &&
           nextParameter == parameters_.size();
}

bool BranchSnapshot::putBack(DescBranch& branch, std::size_t& nextBranch,
                             std::size_t& nextParameter) const {
    if (nextBranch == branches_.size()) {
        return false;
    }
    const BranchState& kept = branches_[nextBranch++];
    if (kept.parameters != branch.parameters().size() ||
        kept.children != branch.children().size() ||
        nextParameter + kept.parameters > parameters_.size()) {
        return false;
    }
    if (branch.name() != kept.name) {
        branch.setName(kept.name);
    }
    branch.setInstance(kept.count, kept.number);
    for (const auto& parameter : branch.parameters()) {
        if (!putBack(*parameter, parameters_[nextParameter++])) {
            return false;
        }
    }
    for (const auto& child : branch.children()) {
        if (!putBack(*child, nextBranch, nextParameter)) {
            return false;
        }
    }
    return true;
}

bool BranchSnapshot::putBack(Parameter& parameter, const ParameterState& state) {
    if (parameter.networkName() != state.networkName) {
        return false;
    }
    // Assigned only where they differ: an assignment of a long text
    // allocates, and most of a tree is as it was built.
    if (parameter.valueText() != state.valueText) {
        parameter.setValueText(state.valueText);
    }
    if (parameter.caption() != state.caption) {
        parameter.setCaption(state.caption);
    }
    if (parameter.statusText() != state.statusText) {
        parameter.setStatusText(state.statusText);
    }
    parameter.setHasLinearIndex(state.hasLinearIndex);
    parameter.setLinearIndex(state.linearIndex);
    parameter.setAddressOffset(state.addressOffset);
    parameter.setTableMode(state.tableMode);
    parameter.setAccessible(state.accessible);
    parameter.setValueChanged(state.valueChanged);
    parameter.setEditableChanged(state.editableChanged);
    parameter.setOwnerChanged(state.ownerChanged);
    parameter.setEditable(state.editable);
    parameter.setOwnerIsFirm(state.ownerIsFirm);
    parameter.setPollingPeriod(Parameter::kDefaultPollingPeriod);
    return true;
}

}  // namespace tarn
