#include "ui/bus_monitor_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

#include "comm/frame_text.h"
#include "platform/qt_strings.h"

namespace tarn {

BusMonitorModel::BusMonitorModel(QObject* parent, std::size_t capacity)
    : QAbstractTableModel(parent), capacity_(std::max<std::size_t>(capacity, 1)) {}

int BusMonitorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BusMonitorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFrameColumnCount;
}

QVariant BusMonitorModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const FrameRecord& row = record(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return qstr(frameColumnText(row, index.column()));
        case Qt::ToolTipRole:
            if (index.column() == kFrameColumnOutcome || index.column() == kFrameColumnWire) {
                return qstr(frameColumnText(row, index.column()));
            }
            return {};
        case Qt::ForegroundRole:
            if (row.error) {
                return QBrush(QColor(Qt::red));
            }
            return {};
        case Qt::TextAlignmentRole:
            switch (index.column()) {
                case kFrameColumnSinceRequest:
                case kFrameColumnAddress:
                case kFrameColumnIndex:
                    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
                default:
                    return {};
            }
        default:
            return {};
    }
}

QVariant BusMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return qstr(frameColumnTitle(section));
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void BusMonitorModel::append(std::vector<FrameRecord> frames) {
    if (frames.empty()) {
        return;
    }
    // Frames beyond the capacity in the batch itself never become rows.
    std::size_t skip = 0;
    if (frames.size() > capacity_) {
        skip = frames.size() - capacity_;
        dropped_ += skip;
    }
    const std::size_t adding = frames.size() - skip;
    const std::size_t overflow =
        rows_.size() + adding > capacity_ ? rows_.size() + adding - capacity_ : 0;
    if (overflow > 0) {
        beginRemoveRows({}, 0, static_cast<int>(overflow) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(overflow));
        dropped_ += overflow;
        endRemoveRows();
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(adding) - 1);
    for (std::size_t i = skip; i < frames.size(); ++i) {
        rows_.push_back(std::move(frames[i]));
    }
    endInsertRows();
}

void BusMonitorModel::clear() {
    beginResetModel();
    rows_.clear();
    dropped_ = 0;
    endResetModel();
}

}  // namespace tarn
