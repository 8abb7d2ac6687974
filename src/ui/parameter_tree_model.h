// The item model of the parameter tree-list view.
//
// It shows the document's tree under a root row "Конфигурация TARN (…)": the
// module's parameters, the polled values with their header row, and the
// computer's parameters (the program's service parameters and port
// settings). Every text, image and colour comes from the model objects
// (Parameter::displayRow, InvisibleElement::groupRow,
// DescBranch::displayMembers); the item model only arranges the rows.
#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/poll_result.h"

namespace tarn {

class DescBranch;
class InvisibleElement;
class Parameter;
class TarnDocument;
class UserInteraction;

class ParameterTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { kCaption, kName, kValue, kEditable, kOwner, kStatus, kColumnCount };

    // What a row shows.
    enum class RowKind { Caption, Group, Parameter, ActuatorType, PollHeader };

    explicit ParameterTreeModel(UserInteraction& ui, QObject* parent = nullptr);
    ~ParameterTreeModel() override;

    // Rebuilds every row from the document (null: an empty model). `title`
    // is the document's title shown in the root row.
    void setDocument(TarnDocument* document, const QString& title);
    // Linear indices shown (the program mode "Показывать линейные индексы").
    void setShowIndices(bool show);
    bool showIndices() const { return showIndices_; }
    // Every row takes its texts and colours anew from the model objects.
    void refreshAll();
    // A polled value arrived: its row shows the value and status.
    void applyPollResult(const PollResult& result);

    RowKind rowKind(const QModelIndex& index) const;
    Parameter* parameterAt(const QModelIndex& index) const;
    // The group a row shows (a branch, or a fixed group); null otherwise.
    InvisibleElement* groupAt(const QModelIndex& index) const;
    DescBranch* branchAt(const QModelIndex& index) const;
    // The group that holds the parameter of a parameter row.
    InvisibleElement* ownerGroupAt(const QModelIndex& index) const;
    bool isPolledRow(const QModelIndex& index) const;
    QModelIndex indexOfParameter(const Parameter* parameter, int column = 0) const;
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
    QStringList rowTexts(const Node& node) const;

    UserInteraction& ui_;
    TarnDocument* document_ = nullptr;
    bool showIndices_ = false;
    std::unique_ptr<Node> root_;
    QHash<const Parameter*, Node*> rowsByParameter_;
};

}  // namespace tarn
