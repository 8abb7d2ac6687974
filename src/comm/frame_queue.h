// FrameQueue: the bounded hand-over of frames from the exchanging threads
// to a reader on another thread (the bus monitor's window).
//
// As a frame observer of the link it queues every frame reported. push never
// waits for the reader: when the queue is full the frames that do not fit
// are dropped and counted. The reader takes everything at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "comm/frame_observer.h"

namespace tarn {

class FrameQueue : public FrameObserver {
public:
    explicit FrameQueue(std::size_t capacity) : capacity_(capacity) {}

    void push(std::span<const FrameRecord> frames);
    void framesExchanged(std::span<const FrameRecord> frames) override { push(frames); }
    // The frames queued so far, oldest first; the queue is empty afterwards.
    std::vector<FrameRecord> takeAll();
    // Frames dropped because the queue was full, since the last call.
    std::uint64_t takeDropped();

private:
    const std::size_t capacity_;
    std::mutex mutex_;
    std::vector<FrameRecord> frames_;
    std::uint64_t dropped_ = 0;
};

}  // namespace tarn
