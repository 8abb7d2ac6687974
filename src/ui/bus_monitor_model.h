// BusMonitorModel: the rows of the bus monitor, one per frame, in the order
// the frames went and came.
//
// Memory is bounded: the model keeps the latest `capacity` frames (100 000
// unless told otherwise); appending beyond drops the oldest and counts them.
// Every text comes from comm/frame_text.h; errors are red.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <deque>
#include <vector>

#include "comm/frame_record.h"

namespace tarn {

class BusMonitorModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr std::size_t kDefaultCapacity = 100000;

    explicit BusMonitorModel(QObject* parent = nullptr, std::size_t capacity = kDefaultCapacity);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Appends frames at the end, dropping the oldest beyond the capacity.
    void append(std::vector<FrameRecord> frames);
    void clear();

    const FrameRecord& record(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    std::size_t capacity() const { return capacity_; }
    // Frames dropped from the front to keep within the capacity, since the
    // last clear.
    std::uint64_t droppedCount() const { return dropped_; }

private:
    const std::size_t capacity_;
    std::deque<FrameRecord> rows_;
    std::uint64_t dropped_ = 0;
};

}  // namespace tarn
