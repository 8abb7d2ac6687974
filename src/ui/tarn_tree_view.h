// CTARNTreeListView: the main window's view of the parameter tree — a tree
// with columns over ParameterTreeModel.
//
// It opens the root and device-tree rows when the tree is shown, reads the
// parameters of a branch that still show "Нет данных" when the branch is
// opened (while automatic reading is on), shows the polled values arriving
// from the scanners, and moves between problem parameters.
#pragma once

#include <QTreeView>
#include <functional>

#include "model/poll_result.h"
#include "ui/parameter_tree_model.h"

namespace tarn {

class CTARNTreeListView : public QTreeView, public PollResultReceiver {
    Q_OBJECT

public:
    explicit CTARNTreeListView(UserInteraction& ui, QWidget* parent = nullptr);

    ParameterTreeModel& treeModel() { return model_; }

    // Shows the document's tree (null: nothing) and opens the first rows.
    void showDocument(TarnDocument* document, const QString& title);
    // Every row takes its texts and colours anew (after every task).
    void refreshAll();

    // Reads one parameter from the module at once; set by the application.
    // Automatic reading calls it while `autoReadEnabled` says so.
    void setAutoRead(std::function<bool()> autoReadEnabled,
                     std::function<void(Parameter&)> readNow);

    // The selected row's parameter or branch (null when it is not one).
    Parameter* selectedParameter() const;
    DescBranch* selectedBranch() const;
    InvisibleElement* selectedGroup() const;

    // Selects the previous or next parameter whose row shows a problem (a
    // non-empty status); false when there is none in that direction.
    bool selectProblem(bool forward);

    // Any thread: a poll result is handed over to the GUI thread.
    void receivePollResult(PollResult result) override;

private:
    void onExpanded(const QModelIndex& index);
    std::vector<QModelIndex> allRows() const;

    ParameterTreeModel model_;
    std::function<bool()> autoReadEnabled_;
    std::function<void(Parameter&)> readNow_;
};

}  // namespace tarn
