#include "ui/problem_search.h"

#include <algorithm>

#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "ui/parameter_tree_model.h"

namespace tarn {
namespace {

bool showsParameter(const ParameterTreeModel& model, const QModelIndex& row) {
    return model.parameterAt(row) != nullptr;
}

// A row the search goes down into: a branch or group, or a caption row that
// holds rows (the root row, "Параметры компьютера").
bool goesDown(const ParameterTreeModel& model, const QModelIndex& row) {
    return !showsParameter(model, row) &&
           (model.groupAt(row) != nullptr || model.rowCount(row) > 0);
}

// The first child the descent can use: a parameter, or a row that holds
// rows (fixed rows such as the actuator type are passed over).
QModelIndex firstUsableChild(const ParameterTreeModel& model, const QModelIndex& row) {
    for (int r = 0; r < model.rowCount(row); ++r) {
        const QModelIndex child = model.index(r, 0, row);
        if (showsParameter(model, child) || model.rowCount(child) > 0) {
            return child;
        }
    }
    return {};
}

void expandDownTo(const QModelIndex& row, const std::function<void(const QModelIndex&)>& expand) {
    std::vector<QModelIndex> path;
    for (QModelIndex at = row; at.isValid(); at = at.parent()) {
        path.push_back(at);
    }
    std::for_each(path.rbegin(), path.rend(), expand);
}

void collectGroups(DescBranch& branch, std::vector<InvisibleElement*>& groups) {
    groups.push_back(&branch);
    for (const auto& child : branch.children()) {
        collectGroups(*child, groups);
    }
}

}  // namespace

std::vector<InvisibleElement*> groupsInTreeOrder(DescBranch* root) {
    std::vector<InvisibleElement*> groups;
    if (root != nullptr) {
        collectGroups(*root, groups);
    }
    return groups;
}

ProblemSearchResult findProblem(const ParameterTreeModel& model, const QModelIndex& start,
                                bool forward, const std::vector<InvisibleElement*>& groups,
                                const std::function<void(const QModelIndex&)>& expand) {
    QModelIndex row = start.siblingAtColumn(0);
    if (!row.isValid()) {
        const TarnDocument* document = model.document();
        row = document != nullptr ? model.indexOfGroup(document->root()) : QModelIndex();
        if (!row.isValid()) {
            return {};
        }
        expand(row);
    }

    // Down from a branch to its first parameter.
    while (goesDown(model, row)) {
        expand(row);
        const QModelIndex child = firstUsableChild(model, row);
        if (!child.isValid()) {
            return {{}, kNoOtherProblems};
        }
        row = child;
        if (model.isProblemRow(row)) {
            return {row, {}};
        }
    }
    if (!showsParameter(model, row) || model.isPolledRow(row)) {
        return {};
    }

    // The parameter's siblings.
    const int step = forward ? 1 : -1;
    const QModelIndex parent = row.parent();
    for (int r = row.row() + step; r >= 0 && r < model.rowCount(parent); r += step) {
        const QModelIndex sibling = model.index(r, 0, parent);
        if (model.isProblemRow(sibling)) {
            return {sibling, {}};
        }
    }

    // The groups of the tree beside the one the row hangs under. Rows
    // outside the device tree (the computer's parameters) come after all
    // of it.
    const auto count = static_cast<long>(groups.size());
    const auto found = std::find(groups.begin(), groups.end(), model.groupAt(parent));
    long position = found != groups.end() ? found - groups.begin() : count;
    for (position += step; position >= 0 && position < count; position += step) {
        const InvisibleElement* group = groups[static_cast<std::size_t>(position)];
        const std::vector<QModelIndex> problems = model.problemRowsOf(group);
        if (problems.empty()) {
            continue;
        }
        expandDownTo(model.indexOfGroup(group), expand);
        return {forward ? problems.front() : problems.back(), {}};
    }
    return {{}, kNoMoreProblems};
}

}  // namespace tarn
