// BusMonitorView: the bus monitor's contents, every frame on the line.
//
// The link reports frames to a FrameQueue from the exchanging threads (the
// program keeps the queue from its start, so the first connection search is
// seen too); the view's timer takes them over into the BusMonitorModel a few times a
// second at most, whatever the line's pace, so the exchange never waits for
// the window and the table is laid out once per batch. A filter (any
// column's text, the network name among them) goes through a
// QSortFilterProxyModel. Pause drops the frames that come meanwhile
// (counted); the table follows the end unless told not to; the shown rows
// can be copied and saved as text or CSV.
#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "comm/frame_queue.h"

class QAction;
class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;
class QTimer;

namespace tarn {

class BusMonitorModel;

class BusMonitorView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTakeIntervalMs = 250;
    // While every take brings a page of rows or more to a table that
    // follows the end, no row stays long enough to be read: the table is
    // then repainted half as often (as a terminal's jump scroll does),
    // and again four times a second once a take fits in the page.
    static constexpr int kFloodTakeIntervalMs = 500;
    // Room in the queue for frames between two takes: at the fastest line
    // some five hundred frames come in the half second of a flood's pace.
    static constexpr std::size_t kQueueCapacity = 20000;

    // `queue` must outlive the view.
    explicit BusMonitorView(FrameQueue& queue, QWidget* parent = nullptr);

    FrameQueue& queue() { return queue_; }
    BusMonitorModel& model() const { return *model_; }
    QSortFilterProxyModel& filtered() const { return *filter_; }
    QTableView* table() const { return table_; }
    QAction* pauseAction() const { return pause_; }
    QAction* followAction() const { return follow_; }
    QLineEdit* filterBox() const { return filterBox_; }

    // Takes the queued frames now (the timer does it by itself).
    void takeFrames();
    // How long the timer waits before the next take.
    int takeInterval() const;
    // The rows the filter shows, all or only the selected ones.
    std::vector<const FrameRecord*> shownRows(bool selectedOnly) const;
    // Frames lost because the queue was full, and frames dropped during a
    // pause, since the last clear.
    std::uint64_t lostCount() const { return lost_; }
    std::uint64_t pausedCount() const { return skipped_; }
    QString statusText() const;

    void clear();
    void copySelection() const;
    // Asks for a file and saves the shown rows.
    void saveAs();

private:
    void showStatus();
    // The rows the table shows at a time.
    int pageRows() const;

    FrameQueue& queue_;
    BusMonitorModel* model_;
    QSortFilterProxyModel* filter_;
    QTableView* table_;
    QLineEdit* filterBox_;
    QLabel* status_;
    QAction* pause_;
    QAction* follow_;
    QTimer* timer_;
    std::uint64_t lost_ = 0;
    std::uint64_t skipped_ = 0;
};

}  // namespace tarn
