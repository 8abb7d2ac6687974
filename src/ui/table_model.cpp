#include "ui/table_model.h"

#include <QBrush>

#include "platform/qt_strings.h"

namespace tarn {
namespace {

const QColor kTextNormal(0, 0, 0);
const QColor kTextDisabled(170, 170, 170);
const QColor kTextError(255, 0, 0);
const QColor kTextReading(0, 128, 64);

}  // namespace

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !isCell(index.row(), index.column())) {
        return {};
    }
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return qstr(shownCellText(text(row, column)));
        case Qt::EditRole:
        case kRawTextRole:
            return qstr(text(row, column));
        case Qt::ForegroundRole:
            return QBrush(textColour(row, column));
        case Qt::TextAlignmentRole:
            return column == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                               : QVariant(Qt::AlignCenter);
        case kCellFlagsRole:
            return cellFlags(row, column);
        case kRowFlagsRole:
            return rowFlags(row);
        default:
            return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < static_cast<int>(titles_.size())) {
        return titles_[static_cast<std::size_t>(section)];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || rowDisabled(index.row())) {
        return Qt::ItemNeverHasChildren;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (canEdit(index.row(), index.column())) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

int TableModel::addColumn(const std::string& title) {
    const int column = static_cast<int>(titles_.size());
    beginInsertColumns(QModelIndex(), column, column);
    titles_.push_back(qstr(title));
    for (Row& row : rows_) {
        row.texts.emplace_back();
        if (!row.bindings.empty()) {
            row.bindings.emplace_back();
        }
    }
    endInsertColumns();
    return column;
}

int TableModel::insertRow(int row, const std::string& text) {
    if (row < 0 || row > static_cast<int>(rows_.size())) {
        row = static_cast<int>(rows_.size());
    }
    beginInsertRows(QModelIndex(), row, row);
    Row added;
    added.texts.resize(titles_.size());
    if (!added.texts.empty()) {
        added.texts[0] = text;
    }
    rows_.insert(rows_.begin() + row, std::move(added));
    endInsertRows();
    return row;
}

void TableModel::removeAllRows() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

bool TableModel::isCell(int row, int column) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) && column >= 0 &&
           column < static_cast<int>(titles_.size());
}

std::string TableModel::text(int row, int column) const {
    return isCell(row, column) ? rows_[row].texts[column] : std::string();
}

void TableModel::setText(int row, int column, const std::string& text) {
    if (!isCell(row, column) || rows_[row].texts[column] == text) {
        return;
    }
    rows_[row].texts[column] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

bool TableModel::hasBinding(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) && !rows_[row].bindings.empty();
}

void TableModel::setBinding(int row, int column, Parameter* parameter, std::uint16_t flags) {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || titles_.empty() ||
        column >= static_cast<int>(titles_.size())) {
        return;
    }
    Row& target = rows_[row];
    if (target.bindings.empty()) {
        target.bindings.resize(titles_.size());
    }
    if (column < 0) {
        for (Binding& binding : target.bindings) {
            binding = {parameter, flags};
        }
    } else {
        target.bindings[column] = {parameter, flags};
    }
    emitRowChanged(row);
}

Parameter* TableModel::parameter(int row, int column) const {
    if (!hasBinding(row) || !isCell(row, column)) {
        return nullptr;
    }
    return rows_[row].bindings[column].parameter;
}

int TableModel::rowOf(const Parameter* parameter) const {
    if (parameter == nullptr) {
        return -1;
    }
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        for (const Binding& binding : rows_[row].bindings) {
            if (binding.parameter == parameter) {
                return static_cast<int>(row);
            }
        }
    }
    return -1;
}

std::uint16_t TableModel::cellFlags(int row, int column) const {
    if (!hasBinding(row) || !isCell(row, column)) {
        return 0;
    }
    return rows_[row].bindings[column].flags;
}

std::uint16_t TableModel::rowFlags(int row) const {
    std::uint16_t flags = 0;
    if (hasBinding(row)) {
        for (const Binding& binding : rows_[row].bindings) {
            flags |= binding.flags;
        }
    }
    return flags;
}

bool TableModel::changeFlags(int row, int column, std::uint16_t clear, std::uint16_t set) {
    if (!hasBinding(row) || column >= static_cast<int>(titles_.size())) {
        return false;
    }
    bool changed = false;
    auto& bindings = rows_[row].bindings;
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        if (column >= 0 && static_cast<std::size_t>(column) != i) {
            continue;
        }
        const auto flags = static_cast<std::uint16_t>((bindings[i].flags & ~clear) | set);
        if (flags != bindings[i].flags) {
            bindings[i].flags = flags;
            changed = true;
        }
    }
    if (changed) {
        emitRowChanged(row);
    }
    return changed;
}

bool TableModel::canEdit(int row, int column) const {
    if (column != kEditColumn || parameter(row, column) == nullptr) {
        return false;
    }
    return (rowFlags(row) & kCellRowReadOnly) == 0 &&
           (cellFlags(row, column) & (kCellDisabled | kCellReadOnly)) == 0;
}

QColor TableModel::textColour(int row, int column) const {
    if (column == kReadingColumn && text(row, column) == kReadingText) {
        return kTextReading;
    }
    const std::uint16_t flags = rowFlags(row);
    if ((flags & kCellDisabled) != 0) {
        return kTextDisabled;
    }
    if ((flags & kCellError) != 0) {
        return kTextError;
    }
    return kTextNormal;
}

void TableModel::emitRowChanged(int row) {
    if (titles_.empty()) {
        return;
    }
    emit dataChanged(index(row, 0), index(row, static_cast<int>(titles_.size()) - 1));
}

}  // namespace tarn
