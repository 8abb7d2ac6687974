// The item model of the parameter tree-list view.
//
// It shows the document's tree under a root row "Конфигурация TARN (…)": the
// module's parameters, the polled values with their header row, and the
// computer's parameters (the program's service parameters and port
// settings). Every text, image and colour comes from the model objects
// (Parameter::displayRow, InvisibleElement::groupRow,
// DescBranch::displayMembers); the item model only arranges the rows, and
// sorts them when the user asks (the rows keep that order until the tree
// is built again).
#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/parameter_edit.h"
#include "model/poll_result.h"

namespace tarn {

class DescBranch;
class InvisibleElement;
class ObjectWithParameters;
class Parameter;
class TarnDocument;
class UserInteraction;

class ParameterTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { kCaption, kName, kValue, kEditable, kOwner, kStatus, kColumnCount };
    static_assert(kName == edit_column::kPeriod && kValue == edit_column::kValue &&
                  kEditable == edit_column::kEditable && kOwner == edit_column::kOwner);

    // What a row shows.
    enum class RowKind { Caption, Group, Parameter, ActuatorType, PollHeader };

    explicit ParameterTreeModel(UserInteraction& ui, QObject* parent = nullptr);
    ~ParameterTreeModel() override;

    // Rebuilds every row from the document (null: an empty model). `title`
    // is the document's title shown in the root row.
    void setDocument(TarnDocument* document, const QString& title);
    TarnDocument* document() const { return document_; }
    // Linear indices shown (the program mode "Показывать линейные индексы").
    // A group's common linear index is determined, with its warnings, once
    // per group: when its row is built with indices shown, or when they are
    // first shown; never while rows are drawn.
    void setShowIndices(bool show);
    bool showIndices() const { return showIndices_; }
    // Every row takes its texts and colours anew from the model objects.
    void refreshAll();
    // A polled value arrived: its row shows the value and status.
    void applyPollResult(const PollResult& result);
    // A polled value's row shows these texts in the value and status cells.
    void setPolledTexts(const QModelIndex& index, const std::string& value,
                        const std::string& status);
    // One row takes its texts and colours anew.
    void refreshRow(const QModelIndex& index);

    RowKind rowKind(const QModelIndex& index) const;
    Parameter* parameterAt(const QModelIndex& index) const;
    // The group a row shows (a branch, or a fixed group); null otherwise.
    InvisibleElement* groupAt(const QModelIndex& index) const;
    DescBranch* branchAt(const QModelIndex& index) const;
    // The group that holds the parameter of a parameter row.
    InvisibleElement* ownerGroupAt(const QModelIndex& index) const;
    bool isPolledRow(const QModelIndex& index) const;
    // The object of the parent row: the group or branch the row hangs
    // under (null under a row that shows no group).
    ObjectWithParameters* parentObjectAt(const QModelIndex& index) const;
    // A row that opens no editor, drawn grey unless it is red: the
    // parameters that are not accessible.
    bool isReadOnly(const QModelIndex& index) const;
    // The editor a cell opens (none on read-only rows and on rows that show
    // no parameter).
    CellEditor cellEditor(const QModelIndex& index) const;
    // An ordinary parameter (not a polled value) with a status text.
    bool isProblemRow(const QModelIndex& index) const;
    QModelIndex indexOfParameter(const Parameter* parameter, int column = 0) const;
    // The row of a group: its own row, or, for a branch that the view shows
    // as its single parameter, that parameter's row. Invalid when none.
    QModelIndex indexOfGroup(const InvisibleElement* group) const;
    // The rows of the group's own parameters that show a problem, in order.
    std::vector<QModelIndex> problemRowsOf(const InvisibleElement* group) const;
    // The rows the view opens after building: the root row and the device tree.
    std::vector<QModelIndex> initiallyExpanded() const;
    // Parameters directly under `index` that automatic reading reads when
    // the row opens: ordinary parameters still without data and without a
    // status (polled values and the service rows are left alone).
    std::vector<Parameter*> parametersToReadOnExpand(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Sorts the children of every row by the texts of `column`
    // (compareRowTexts); the header row of the polled values stays first.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Column headers and widths of the view.
    static QString columnTitle(int column);
    static int columnWidth(int column);

private:
    struct Node;
    Node* nodeAt(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node, int column = 0) const;
    Node& addNode(Node& parent, RowKind kind);
    void addBranch(Node& parent, DescBranch& branch);
    void addParameter(Node& parent, Parameter& parameter, InvisibleElement* owner, bool polled);
    void addGroup(Node& parent, InvisibleElement& group);
    void addPolledBranch(Node& parent, DescBranch& branch);
    void determineIndex(Node& node);
    void sortChildren(Node& node, int column, Qt::SortOrder order);
    QStringList rowTexts(const Node& node) const;

    UserInteraction& ui_;
    TarnDocument* document_ = nullptr;
    bool showIndices_ = false;
    std::unique_ptr<Node> root_;
    QHash<const Parameter*, Node*> rowsByParameter_;
    QHash<const InvisibleElement*, Node*> rowsByGroup_;
};

}  // namespace tarn
