// The search behind "К предыдущему проблемному параметру" and "К следующему
// проблемному параметру": the previous or next problem parameter (an
// ordinary parameter with a status text; polled values and the computer's
// parameters never are) from a row of the tree.
//
// From a branch row the search goes down to the branch's first parameter;
// from a parameter it walks that parameter's siblings; after that it goes
// through the device tree's groups in tree order (each branch before the
// branches below it) from the group the row hangs under, and answers with
// the first or, going back, the last problem of the first group that has
// one. Going back it never enters the groups below the one it starts from:
// they come after it.
#pragma once

#include <QModelIndex>
#include <functional>
#include <string_view>
#include <vector>

namespace tarn {

class DescBranch;
class InvisibleElement;
class ParameterTreeModel;

inline constexpr std::string_view kNoOtherProblems = "Нет других проблемных параметров";
inline constexpr std::string_view kNoMoreProblems = "Нет больше проблемных параметров";

struct ProblemSearchResult {
    QModelIndex answer;        // the row to select; invalid when there is none
    std::string_view message;  // to show when there is no answer (may be empty)
};

// Every branch of the tree below `root`, `root` first, each branch before
// its child branches.
std::vector<InvisibleElement*> groupsInTreeOrder(DescBranch* root);

// `start`: the selected row, or invalid (the device tree's row is used).
// `groups`: groupsInTreeOrder of the device tree. `expand` opens a row the
// search goes into.
ProblemSearchResult findProblem(const ParameterTreeModel& model, const QModelIndex& start,
                                bool forward, const std::vector<InvisibleElement*>& groups,
                                const std::function<void(const QModelIndex&)>& expand);

}  // namespace tarn
