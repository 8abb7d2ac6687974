#include "ui/parameter_tree_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "model/parameter.h"
#include "platform/qt_strings.h"
#include "ui/row_text_order.h"
#include "ui/tree_images.h"

namespace tarn {
namespace {

QColor qcolour(RowColour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// The network name of the service parameter that automatic reading skips.
constexpr std::string_view kFourBlanks = "    ";

}  // namespace

struct ParameterTreeModel::Node {
    RowKind kind = RowKind::Caption;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
    QStringList captionTexts;  // fixed rows: the texts of the six columns
    int image = 0;
    bool bold = false;
    InvisibleElement* group = nullptr;
    DescBranch* branch = nullptr;
    Parameter* parameter = nullptr;
    InvisibleElement* owner = nullptr;  // the group holding `parameter`
    QString indexCell;                  // groups: "(n)" of the common linear index
    bool indexDetermined = false;
    bool polled = false;
    QString polledValue;
    QString polledStatus;
};

ParameterTreeModel::ParameterTreeModel(UserInteraction& ui, QObject* parent)
    : QAbstractItemModel(parent), ui_(ui), root_(std::make_unique<Node>()) {}

ParameterTreeModel::~ParameterTreeModel() = default;

QString ParameterTreeModel::columnTitle(int column) {
    static const char* const kTitles[kColumnCount] = {"Описание", "Параметр",
                                                      "Значение", "Атрибут редактирования",
                                                      "Владелец", "Ошибки обмена и несоответствия"};
    return column >= 0 && column < kColumnCount ? QString::fromUtf8(kTitles[column]) : QString();
}

int ParameterTreeModel::columnWidth(int column) {
    static const int kWidths[kColumnCount] = {360, 70, 130, 110, 90, 220};
    return column >= 0 && column < kColumnCount ? kWidths[column] : 0;
}

ParameterTreeModel::Node& ParameterTreeModel::addNode(Node& parent, RowKind kind) {
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->parent = &parent;
    node->row = static_cast<int>(parent.children.size());
    node->captionTexts = QStringList(kColumnCount, QString());
    Node& added = *node;
    parent.children.push_back(std::move(node));
    return added;
}

void ParameterTreeModel::addParameter(Node& parent, Parameter& parameter, InvisibleElement* owner,
                                      bool polled) {
    Node& node = addNode(parent, RowKind::Parameter);
    node.parameter = &parameter;
    node.owner = owner;
    node.polled = polled;
    rowsByParameter_.insert(&parameter, &node);
}

void ParameterTreeModel::addBranch(Node& parent, DescBranch& branch) {
    Node& node = addNode(parent, RowKind::Group);
    node.group = &branch;
    node.branch = &branch;
    rowsByGroup_.insert(&branch, &node);
    if (showIndices_) {
        determineIndex(node);
    }
    for (const DisplayMember& member : branch.displayMembers()) {
        switch (member.kind) {
            case DisplayMember::Kind::ActuatorType: {
                Node& fixed = addNode(node, RowKind::ActuatorType);
                fixed.captionTexts[kCaption] =
                    QString::fromUtf8(kActuatorTypeCaption.data(), kActuatorTypeCaption.size());
                fixed.captionTexts[kValue] =
                    QString::fromUtf8(kActuatorTypeValue.data(), kActuatorTypeValue.size());
                fixed.image = kActuatorTypeImage;
                break;
            }
            case DisplayMember::Kind::Branch:
                addBranch(node, *member.branch);
                break;
            case DisplayMember::Kind::Parameter:
                addParameter(node, *member.parameter, member.branch, false);
                break;
        }
    }
}

void ParameterTreeModel::addPolledBranch(Node& parent, DescBranch& branch) {
    Node& node = addNode(parent, RowKind::Group);
    node.group = &branch;
    node.branch = &branch;
    rowsByGroup_.insert(&branch, &node);
    if (showIndices_) {
        determineIndex(node);
    }
    if (&parent == root_->children.front().get()) {
        // The header row of the polled values.
        Node& header = addNode(node, RowKind::PollHeader);
        header.captionTexts = {"     Имя параметра", "Период", "Значение", "", "",
                               "Ошибки ввода-вывода"};
        header.image = kImageHeader;
        header.bold = true;
    }
    for (const DisplayMember& member : branch.displayMembers()) {
        if (member.kind == DisplayMember::Kind::Branch) {
            addPolledBranch(node, *member.branch);
        } else if (member.kind == DisplayMember::Kind::Parameter) {
            addParameter(node, *member.parameter, member.branch,
                         member.parameter->hasPollingTimer());
        }
    }
}

void ParameterTreeModel::addGroup(Node& parent, InvisibleElement& group) {
    Node& node = addNode(parent, RowKind::Group);
    node.group = &group;
    rowsByGroup_.insert(&group, &node);
    if (showIndices_) {
        determineIndex(node);
    }
    for (Parameter* parameter : group.parametersForDisplay(-1)) {
        addParameter(node, *parameter, &group, false);
    }
}

void ParameterTreeModel::setDocument(TarnDocument* document, const QString& title) {
    beginResetModel();
    document_ = document;
    root_ = std::make_unique<Node>();
    rowsByParameter_.clear();
    rowsByGroup_.clear();

    Node& top = addNode(*root_, RowKind::Caption);
    top.captionTexts[kCaption] = "Конфигурация TARN (" + title + ")";
    top.image = kImageConfiguration;
    if (document_ != nullptr) {
        if (DescBranch* tree = document_->root()) {
            addBranch(top, *tree);
        } else {
            Node& none = addNode(top, RowKind::Caption);
            none.captionTexts[kCaption] = "Параметры прибора";
            none.captionTexts[kValue] = "(не определены)";
            none.image = kImageDevice;
        }
        if (DescBranch* scanners = document_->scanners()) {
            addPolledBranch(top, *scanners);
        }
        Node& computer = addNode(top, RowKind::Caption);
        computer.captionTexts[kCaption] = "Параметры компьютера";
        computer.image = kImageComputer;
        addGroup(computer, document_->serviceParameters());
        addGroup(computer, document_->programSettings());
    }
    endResetModel();
}

void ParameterTreeModel::determineIndex(Node& node) {
    if (node.indexDetermined || node.group == nullptr) {
        return;
    }
    node.indexDetermined = true;
    // The first look takes the index of the group's first indexed
    // parameter; the look for the row then checks every other one against
    // it and warns about each that differs. Rows being drawn never look.
    if (node.group->storedCommonLinearIndex() == -1) {
        node.group->commonLinearIndex(ui_);
    }
    node.indexCell = qstr(node.group->groupRow(true, ui_).indexCell);
}

void ParameterTreeModel::setShowIndices(bool show) {
    if (show == showIndices_) {
        return;
    }
    showIndices_ = show;
    if (show) {
        std::function<void(Node&)> visit = [&](Node& node) {
            determineIndex(node);
            for (auto& child : node.children) {
                visit(*child);
            }
        };
        visit(*root_);
    }
    refreshAll();
}

void ParameterTreeModel::refreshAll() {
    // Every row of every level: the texts all come from the objects.
    std::function<void(const Node&)> visit = [&](const Node& node) {
        if (!node.children.empty()) {
            emit dataChanged(indexOf(node.children.front().get(), 0),
                             indexOf(node.children.back().get(), kColumnCount - 1));
            for (const auto& child : node.children) {
                visit(*child);
            }
        }
    };
    visit(*root_);
}

void ParameterTreeModel::applyPollResult(const PollResult& result) {
    if (!result.parameterAlive()) {
        return;
    }
    const auto it = rowsByParameter_.constFind(result.parameter);
    if (it == rowsByParameter_.constEnd()) {
        return;
    }
    Node* node = *it;
    node->polledValue = qstr(result.valueText);
    node->polledStatus = qstr(result.statusText);
    emit dataChanged(indexOf(node, 0), indexOf(node, kColumnCount - 1));
}

void ParameterTreeModel::setPolledTexts(const QModelIndex& index, const std::string& value,
                                        const std::string& status) {
    if (!isPolledRow(index)) {
        return;
    }
    Node* node = nodeAt(index);
    node->polledValue = qstr(value);
    node->polledStatus = qstr(status);
    refreshRow(index);
}

void ParameterTreeModel::refreshRow(const QModelIndex& index) {
    if (index.isValid()) {
        emit dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(kColumnCount - 1));
    }
}

ParameterTreeModel::Node* ParameterTreeModel::nodeAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex ParameterTreeModel::indexOf(const Node* node, int column) const {
    if (node == nullptr || node == root_.get()) {
        return {};
    }
    return createIndex(node->row, column, const_cast<Node*>(node));
}

ParameterTreeModel::RowKind ParameterTreeModel::rowKind(const QModelIndex& index) const {
    return nodeAt(index)->kind;
}

Parameter* ParameterTreeModel::parameterAt(const QModelIndex& index) const {
    return index.isValid() ? nodeAt(index)->parameter : nullptr;
}

InvisibleElement* ParameterTreeModel::groupAt(const QModelIndex& index) const {
    return index.isValid() ? nodeAt(index)->group : nullptr;
}

DescBranch* ParameterTreeModel::branchAt(const QModelIndex& index) const {
    return index.isValid() ? nodeAt(index)->branch : nullptr;
}

InvisibleElement* ParameterTreeModel::ownerGroupAt(const QModelIndex& index) const {
    return index.isValid() ? nodeAt(index)->owner : nullptr;
}

bool ParameterTreeModel::isPolledRow(const QModelIndex& index) const {
    return index.isValid() && nodeAt(index)->polled;
}

ObjectWithParameters* ParameterTreeModel::parentObjectAt(const QModelIndex& index) const {
    if (!index.isValid()) {
        return nullptr;
    }
    const Node* parent = nodeAt(index)->parent;
    return parent != nullptr ? parent->group : nullptr;
}

bool ParameterTreeModel::isReadOnly(const QModelIndex& index) const {
    const Parameter* parameter = parameterAt(index);
    return parameter != nullptr && !isPolledRow(index) && !parameter->accessible();
}

CellEditor ParameterTreeModel::cellEditor(const QModelIndex& index) const {
    const Parameter* parameter = parameterAt(index);
    if (parameter == nullptr || isReadOnly(index)) {
        return CellEditor::None;
    }
    return cellEditorFor(*parameter, isPolledRow(index), index.column());
}

bool ParameterTreeModel::isProblemRow(const QModelIndex& index) const {
    const Parameter* parameter = parameterAt(index);
    return parameter != nullptr && !isPolledRow(index) && !parameter->statusText().empty();
}

QModelIndex ParameterTreeModel::indexOfParameter(const Parameter* parameter, int column) const {
    const auto it = rowsByParameter_.constFind(parameter);
    return it == rowsByParameter_.constEnd() ? QModelIndex() : indexOf(*it, column);
}

QModelIndex ParameterTreeModel::indexOfGroup(const InvisibleElement* group) const {
    if (const auto it = rowsByGroup_.constFind(group); it != rowsByGroup_.constEnd()) {
        return indexOf(*it);
    }
    if (const auto* branch = dynamic_cast<const DescBranch*>(group)) {
        if (const Parameter* single = branch->representativeParameter()) {
            return indexOfParameter(single);
        }
    }
    return {};
}

std::vector<QModelIndex> ParameterTreeModel::problemRowsOf(const InvisibleElement* group) const {
    std::vector<QModelIndex> rows;
    if (group == nullptr) {
        return rows;
    }
    for (const auto& parameter : group->parameters()) {
        const QModelIndex row = indexOfParameter(parameter.get());
        if (row.isValid() && isProblemRow(row)) {
            rows.push_back(row);
        }
    }
    // Sorting may have put them in another order than the group's.
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return rows;
}

std::vector<QModelIndex> ParameterTreeModel::initiallyExpanded() const {
    std::vector<QModelIndex> rows;
    if (root_->children.empty()) {
        return rows;
    }
    const Node* top = root_->children.front().get();
    rows.push_back(indexOf(top));
    if (!top->children.empty()) {
        rows.push_back(indexOf(top->children.front().get()));
    }
    return rows;
}

std::vector<Parameter*> ParameterTreeModel::parametersToReadOnExpand(
    const QModelIndex& index) const {
    std::vector<Parameter*> parameters;
    for (const auto& child : nodeAt(index)->children) {
        Parameter* p = child->parameter;
        if (p == nullptr || child->polled || p->networkName() == kFourBlanks) {
            continue;
        }
        if (p->hasNoData() && p->statusText().empty()) {
            parameters.push_back(p);
        }
    }
    return parameters;
}

QModelIndex ParameterTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = nodeAt(parent);
    if (row < 0 || column < 0 || column >= kColumnCount ||
        row >= static_cast<int>(node->children.size())) {
        return {};
    }
    return createIndex(row, column, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex ParameterTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    return indexOf(nodeAt(child)->parent);
}

int ParameterTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(nodeAt(parent)->children.size());
}

int ParameterTreeModel::columnCount(const QModelIndex&) const {
    return kColumnCount;
}

QStringList ParameterTreeModel::rowTexts(const Node& node) const {
    switch (node.kind) {
        case RowKind::Caption:
        case RowKind::ActuatorType:
        case RowKind::PollHeader:
            return node.captionTexts;
        case RowKind::Group: {
            // Without the index: determining it may warn, which a row being
            // drawn must never do (determineIndex did it once).
            const GroupRow row = node.group->groupRow(false, ui_);
            QStringList texts(kColumnCount, QString());
            texts[kCaption] = qstr(row.itemText);
            if (showIndices_) {
                texts[kName] = node.indexCell;
            }
            return texts;
        }
        case RowKind::Parameter: {
            const ParameterRow row = node.parameter->displayRow(showIndices_);
            QStringList texts(kColumnCount, QString());
            texts[kCaption] = qstr(row.itemText);
            for (int column = kName; column < kColumnCount; ++column) {
                texts[column] = qstr(row.cells[static_cast<std::size_t>(column - 1)]);
            }
            if (node.polled) {
                // A polled value shows what its last poll brought: the
                // parameter itself belongs to the polling thread meanwhile.
                texts[kValue] = node.polledValue;
                texts[kStatus] = node.polledStatus;
            }
            return texts;
        }
    }
    return {};
}

QVariant ParameterTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const Node& node = *nodeAt(index);
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::ToolTipRole:
            return rowTexts(node).value(column);
        case Qt::DecorationRole:
            if (column != kCaption) {
                return {};
            }
            if (node.kind == RowKind::Group) {
                return treeImage(node.group->image());
            }
            if (node.kind == RowKind::Parameter) {
                return treeImage(node.parameter->displayRow(false).image);
            }
            return node.image != 0 ? QVariant(treeImage(node.image)) : QVariant();
        case Qt::ForegroundRole:
            if (node.kind != RowKind::Parameter) {
                return {};
            }
            if (node.polled) {
                return QBrush(node.polledStatus.isEmpty() ? Qt::black : QColor(255, 0, 0));
            }
            if (isReadOnly(index) && node.parameter->rowColour() != kColourError) {
                return QBrush(
                    QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
            }
            return QBrush(qcolour(node.parameter->rowColour()));
        case Qt::FontRole:
            if (node.bold) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        case Qt::TextAlignmentRole:
            if (column == kCaption || column == kStatus) {
                return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
            }
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::CheckStateRole:
            // The state image of a polled value: polling on or off.
            if (column == kCaption && node.polled) {
                return node.parameter->pollingActive() ? Qt::Checked : Qt::Unchecked;
            }
            return {};
        default:
            return {};
    }
}

bool ParameterTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !isPolledRow(index) || index.column() != kCaption) {
        return false;
    }
    Parameter* parameter = parameterAt(index);
    if (value.toInt() == Qt::Checked) {
        parameter->startPolling();
    } else {
        parameter->stopPolling();
    }
    emit dataChanged(this->index(index.row(), 0, index.parent()),
                     this->index(index.row(), kColumnCount - 1, index.parent()));
    return true;
}

Qt::ItemFlags ParameterTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isPolledRow(index) && index.column() == kCaption) {
        flags |= Qt::ItemIsUserCheckable;
    }
    if (cellEditor(index) != CellEditor::None) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant ParameterTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return columnTitle(section);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(
            (section == kCaption || section == kStatus ? Qt::AlignLeft : Qt::AlignRight) |
            Qt::AlignVCenter);
    }
    return {};
}

void ParameterTreeModel::sortChildren(Node& node, int column, Qt::SortOrder order) {
    if (node.children.size() > 1) {
        struct Keyed {
            std::string text;
            std::unique_ptr<Node> node;
        };
        std::vector<Keyed> keyed;
        keyed.reserve(node.children.size());
        for (auto& child : node.children) {
            keyed.push_back({rowTexts(*child).value(column).toStdString(), std::move(child)});
        }
        std::stable_sort(keyed.begin(), keyed.end(), [order](const Keyed& a, const Keyed& b) {
            // The header row of the polled values heads its branch.
            const bool aHeader = a.node->kind == RowKind::PollHeader;
            const bool bHeader = b.node->kind == RowKind::PollHeader;
            if (aHeader != bHeader) {
                return aHeader;
            }
            const int compared = compareRowTexts(a.text, b.text);
            return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
        });
        for (std::size_t i = 0; i < keyed.size(); ++i) {
            node.children[i] = std::move(keyed[i].node);
            node.children[i]->row = static_cast<int>(i);
        }
    }
    for (auto& child : node.children) {
        sortChildren(*child, column, order);
    }
}

void ParameterTreeModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const Node*> nodes;
    nodes.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) {
        nodes.push_back(nodeAt(index));
    }
    sortChildren(*root_, column, order);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        after.push_back(indexOf(nodes[static_cast<std::size_t>(i)], before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tarn
