// The bus monitor against the simulated module: every frame the link sends
// and receives reaches the monitor's model once, in order, decoded as the
// module saw it; resends and time-outs show as such; memory stays bounded.
#include <gtest/gtest.h>

#include <QAction>
#include <QBrush>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <algorithm>

#include "comm/error_texts.h"
#include "comm/frame_queue.h"
#include "comm/frame_text.h"
#include "engine/engine_fixture.h"
#include "model/network_name.h"
#include "ui/bus_monitor_export.h"
#include "ui/bus_monitor_model.h"
#include "ui/bus_monitor_view.h"

namespace tarn::testing {
namespace {

class BusMonitor : public EngineLine {
protected:
    void SetUp() override {
        EngineLine::SetUp();
        link.addFrameObserver(&queue);
    }
    void TearDown() override {
        engine.StopThreads();
        link.removeFrameObserver(&queue);
        EngineLine::TearDown();
    }

    // The model's rows once the view has taken what was queued.
    std::vector<FrameRecord> rows() {
        monitor.takeFrames();
        std::vector<FrameRecord> all;
        for (int row = 0; row < monitor.model().rowCount(); ++row) {
            all.push_back(monitor.model().record(row));
        }
        return all;
    }

    FrameQueue queue{BusMonitorView::kQueueCapacity};
    BusMonitorView monitor{queue};
};

TEST_F(BusMonitor, EveryFrameOfAReadAppearsOnceInOrderAsTheModuleSawIt) {
    openLink();
    loadTree();
    startThreads();
    ASSERT_TRUE(engine.RunReadBranch(tree.root.get()));

    const auto logged = module.frameLog();
    const auto all = rows();
    std::vector<FrameRecord> sent;
    for (const FrameRecord& row : all) {
        if (row.direction == FrameDirection::Sent) {
            sent.push_back(row);
        }
    }
    ASSERT_GT(logged.size(), static_cast<std::size_t>(kTestParameterCount));
    ASSERT_EQ(sent.size(), logged.size());
    // Each request is followed by its one answer.
    ASSERT_EQ(all.size(), 2 * logged.size());
    static const std::uint16_t attributes = NetNameHash("M.s.t.r.");
    for (std::size_t i = 0; i < logged.size(); ++i) {
        const Frame& frame = logged[i].frame;
        const FrameRecord& request = all[2 * i];
        const FrameRecord& answer = all[2 * i + 1];
        SCOPED_TRACE("frame " + std::to_string(i) + ": " + request.name);
        EXPECT_EQ(request.direction, FrameDirection::Sent);
        EXPECT_EQ(request.hash, frame.hash);
        EXPECT_EQ(request.address, frame.address);
        EXPECT_EQ(request.data, frame.data);
        EXPECT_EQ(request.source, FrameSource::Task);
        EXPECT_EQ(request.attempt, 0);
        if (frame.hash == attributes) {
            EXPECT_EQ(request.name, "M.s.t.r.");
        } else {
            EXPECT_EQ(request.name, module.nameOf(frame.hash));
        }
        // A value frame of an indexed parameter ends with its linear index.
        if (request.linearIndex >= 0 && frame.hash != attributes) {
            ASSERT_GE(frame.data.size(), 2u);
            EXPECT_EQ(request.linearIndex,
                      frame.data[frame.data.size() - 2] * 256 + frame.data.back());
        }
        EXPECT_TRUE(frameColumnText(request, kFrameColumnWire).ends_with("↵"))
            << "the carriage return shows as a mark";
        EXPECT_EQ(answer.direction, FrameDirection::Received);
        EXPECT_EQ(answer.hash, frame.hash);
        EXPECT_EQ(answer.name, request.name);
        EXPECT_FALSE(answer.error) << answer.outcome;
        EXPECT_GE(answer.sinceRequestMs, 0);
    }
    // A read answer carries the value it decoded to.
    const Parameter& setpoint = parameter("SP");
    const auto value = std::find_if(all.begin(), all.end(), [](const FrameRecord& row) {
        return row.direction == FrameDirection::Received && row.name == "SP";
    });
    ASSERT_NE(value, all.end());
    EXPECT_EQ(value->valueText, setpoint.valueText());
}

TEST_F(BusMonitor, AResendAndATimeOutShowAsSuch) {
    openFastLink();
    Parameter setpoint("SP");
    setpoint.setValueType("float");

    // The first sending goes unanswered, the resend is answered.
    module.setFaults({.ignoreRequests = 1});
    ASSERT_EQ(link.ExchangeParameter(setpoint, true), ExchangeResult::Ok);
    auto all = rows();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].direction, FrameDirection::Sent);
    EXPECT_EQ(all[0].attempt, 0);
    EXPECT_TRUE(all[0].error);
    EXPECT_EQ(all[1].direction, FrameDirection::Sent);
    EXPECT_EQ(all[1].attempt, 1);
    EXPECT_EQ(all[1].outcome.rfind("повтор 1: ", 0), 0u) << all[1].outcome;
    EXPECT_FALSE(all[1].error);
    EXPECT_EQ(all[2].direction, FrameDirection::Received);
    EXPECT_EQ(all[2].valueText, setpoint.valueText());
    EXPECT_EQ(all[0].source, FrameSource::Program);

    // A module that never answers: the first sending and three resends, the
    // last one ending in the time-out, in red.
    monitor.clear();
    module.setFaults({.silent = true});
    EXPECT_NE(link.ExchangeParameter(setpoint, true), ExchangeResult::Ok);
    all = rows();
    ASSERT_EQ(all.size(), 4u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].direction, FrameDirection::Sent);
        EXPECT_EQ(all[i].attempt, static_cast<int>(i));
        EXPECT_TRUE(all[i].error);
    }
    EXPECT_NE(all.back().outcome.find(kTextTimeout), std::string::npos) << all.back().outcome;
    const QModelIndex outcome = monitor.model().index(3, kFrameColumnOutcome);
    EXPECT_EQ(monitor.model().data(outcome, Qt::ForegroundRole).value<QBrush>().color(),
              QColor(Qt::red));

    // The filter finds the rows by text; the text export holds them.
    monitor.filterBox()->setText("таймаут");
    EXPECT_EQ(monitor.filtered().rowCount(), 1);
    const QByteArray text = frameRowsText(monitor.shownRows(false), FrameExportFormat::Text);
    EXPECT_EQ(text.count('\n'), 2) << text.toStdString();
}

TEST_F(BusMonitor, MemoryIsBoundedAndWhatIsDroppedIsCounted) {
    const auto frame = [](int n) {
        FrameRecord record;
        record.wire = "#" + std::to_string(n) + "\r";
        return record;
    };
    // The ring keeps the latest frames and counts the oldest it dropped.
    BusMonitorModel ring(nullptr, 5);
    ring.append({frame(1), frame(2), frame(3)});
    ring.append({frame(4), frame(5), frame(6), frame(7)});
    ASSERT_EQ(ring.rowCount(), 5);
    EXPECT_EQ(ring.droppedCount(), 2u);
    EXPECT_EQ(ring.record(0).wire, "#3\r");
    EXPECT_EQ(ring.record(4).wire, "#7\r");
    // A batch larger than the ring keeps only its own latest frames.
    ring.append({frame(8), frame(9), frame(10), frame(11), frame(12), frame(13)});
    EXPECT_EQ(ring.rowCount(), 5);
    EXPECT_EQ(ring.droppedCount(), 8u);
    EXPECT_EQ(ring.record(0).wire, "#9\r");

    // The queue never waits: what does not fit is dropped and counted.
    FrameQueue small(3);
    const std::vector<FrameRecord> five = {frame(1), frame(2), frame(3), frame(4), frame(5)};
    small.push(five);
    EXPECT_EQ(small.takeAll().size(), 3u);
    EXPECT_EQ(small.takeDropped(), 2u);
    EXPECT_TRUE(small.takeAll().empty());
    EXPECT_EQ(small.takeDropped(), 0u);
}

TEST(BusMonitorTakes, AFloodIsTakenHalfAsOftenAndTheUsualPaceComesBack) {
    FrameQueue queue(BusMonitorView::kQueueCapacity);
    BusMonitorView monitor(queue);
    monitor.resize(600, 300);
    monitor.show();
    const auto frames = [](int count) {
        std::vector<FrameRecord> batch(static_cast<std::size_t>(count));
        for (FrameRecord& record : batch) {
            record.wire = "#frame\r";
        }
        return batch;
    };
    // More rows than the table shows: none could be read before the next.
    queue.push(frames(200));
    monitor.takeFrames();
    EXPECT_EQ(monitor.takeInterval(), BusMonitorView::kFloodTakeIntervalMs);
    // A take that fits in the page brings the usual pace back.
    queue.push(frames(2));
    monitor.takeFrames();
    EXPECT_EQ(monitor.takeInterval(), BusMonitorView::kTakeIntervalMs);
    // A table that does not follow the end keeps its pace whatever comes.
    monitor.followAction()->setChecked(false);
    queue.push(frames(200));
    monitor.takeFrames();
    EXPECT_EQ(monitor.takeInterval(), BusMonitorView::kTakeIntervalMs);
    EXPECT_EQ(monitor.model().rowCount(), 402);
}

}  // namespace
}  // namespace tarn::testing
