// CTARNTreeListView: the main window's view of the parameter tree — a tree
// with columns over ParameterTreeModel.
//
// It opens the root and device-tree rows when the tree is shown, reads the
// parameters of a branch that still show "Нет данных" when the branch is
// opened (while automatic reading is on), shows the polled values arriving
// from the scanners, edits cells in place (TreeEditDelegate; the commit
// rules are ParameterEdit's), offers the context menus of branches and
// parameters, carries out the single-parameter commands, sorts by a
// clicked header and moves between problem parameters.
#pragma once

#include <QMenu>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeView>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/poll_result.h"
#include "ui/parameter_tree_model.h"

namespace tarn {

class ExchangeEngine;
class TreeEditDelegate;
class TrendPlotView;

class CTARNTreeListView : public QTreeView, public PollResultReceiver {
    Q_OBJECT

public:
    explicit CTARNTreeListView(UserInteraction& ui, QWidget* parent = nullptr);
    ~CTARNTreeListView() override;

    ParameterTreeModel& treeModel() { return model_; }

    // Shows the document's tree (null: nothing) and opens the first rows.
    void showDocument(TarnDocument* document, const QString& title);
    // Every row takes its texts and colours anew (after every task).
    void refreshAll();

    // Reads one parameter from the module at once; set by the application.
    // Automatic reading calls it while `autoReadEnabled` says so.
    void setAutoRead(std::function<bool()> autoReadEnabled,
                     std::function<void(Parameter&)> readNow);
    // The exchange engine: the immediate write of an edited value, the
    // write of an edited polled value, and the single-parameter commands.
    void setEngine(ExchangeEngine* engine) { engine_ = engine; }
    // Whether "Режим немедленной записи" is ticked.
    void setImmediateWrite(std::function<bool()> immediateWrite) {
        immediateWrite_ = std::move(immediateWrite);
    }
    // Applies the program's port settings to the port (after an edit of
    // them; they are never written to the module).
    void setPortSettingsApply(std::function<void()> apply) {
        applyPortSettings_ = std::move(apply);
    }
    // The menu a branch row offers on a right click (the frame's "&Дерево").
    void setBranchMenu(QMenu* menu) { branchMenu_ = menu; }
    // The trend plot: the polled rows offer "Показать на графике", every
    // poll result reaches it too, and it is emptied when the tree goes.
    void setTrendPlot(TrendPlotView* plot);
    // Puts the polled values of a row (a polled value, or every one of a
    // polled branch) on the trend plot, starting their polling; how many
    // were added.
    int showOnPlot(const QModelIndex& index);
    // The name of a polled value on the plot: its group's caption and its own.
    QString plotName(const QModelIndex& index) const;

    // Carries out 32808, 32809, 32811, 276 and 277 (document/command_ids.h); false
    // for any other command.
    bool runCommand(int id);

    // The selected row's parameter or branch (null when it is not one).
    Parameter* selectedParameter() const;
    DescBranch* selectedBranch() const;
    InvisibleElement* selectedGroup() const;

    // Selects the previous or next problem parameter (problem_search.h);
    // false when there is none in that direction (the user was told).
    bool selectProblem(bool forward);

    // Opens the editor of a cell by the cell's rules; false when it opens
    // none. An editor that is open closes first, without committing.
    bool beginEdit(const QModelIndex& index);
    // The open in-place editor, or null.
    QWidget* cellEditor() const { return editor_; }

    // The menu a right click on `index` opens: the branch menu on a device
    // branch without polled values, the parameter menu on an ordinary
    // parameter, the plot's entry on polled values and their branches
    // (with a trend plot), else null.
    QMenu* contextMenuFor(const QModelIndex& index);
    // Makes the row's object the document's chosen object.
    void chooseRow(const QModelIndex& index);

    // Any thread: a poll result is handed over to the GUI thread.
    void receivePollResult(PollResult result) override;

    // From the delegate: an editor opened on `index` showing `startText`,
    // and an edit ended with `text` (committed once the editor has closed).
    void editorOpened(QWidget* editor, const QModelIndex& index, const QString& startText);
    void editorFinished(const QString& text);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

protected slots:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    struct PendingEdit {
        QPersistentModelIndex index;
        std::string oldText;
        std::string newText;
    };

    void onExpanded(const QModelIndex& index);
    void commitEdit(const PendingEdit& edit);
    void readOrWriteChosen(bool write);
    void forgetChosen();
    // The chosen parameter when it is an ordinary one; null otherwise.
    Parameter* chosenParameter(bool* nothingChosen) const;
    QMenu* plotMenuFor(const QModelIndex& index);

    UserInteraction& ui_;
    ParameterTreeModel model_;
    TreeEditDelegate* delegate_;
    std::function<bool()> autoReadEnabled_;
    std::function<void(Parameter&)> readNow_;
    ExchangeEngine* engine_ = nullptr;
    std::function<bool()> immediateWrite_;
    std::function<void()> applyPortSettings_;
    QPointer<QMenu> branchMenu_;
    std::unique_ptr<QMenu> parameterMenu_;
    QPointer<TrendPlotView> trendPlot_;
    std::unique_ptr<QMenu> plotMenu_;

    QPointer<QWidget> editor_;
    QPersistentModelIndex editIndex_;
    std::string editStart_;
    std::optional<PendingEdit> pendingEdit_;

    // The device tree's groups in tree order, built on first use.
    std::optional<std::vector<InvisibleElement*>> groups_;
};

}  // namespace tarn
