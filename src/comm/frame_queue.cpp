#include "comm/frame_queue.h"

namespace tarn {

void FrameQueue::push(std::span<const FrameRecord> frames) {
    std::lock_guard lock(mutex_);
    for (const FrameRecord& frame : frames) {
        if (frames_.size() >= capacity_) {
            ++dropped_;
            continue;
        }
        frames_.push_back(frame);
    }
}

std::vector<FrameRecord> FrameQueue::takeAll() {
    std::vector<FrameRecord> taken;
    std::lock_guard lock(mutex_);
    taken.swap(frames_);
    return taken;
}

std::uint64_t FrameQueue::takeDropped() {
    std::lock_guard lock(mutex_);
    const std::uint64_t dropped = dropped_;
    dropped_ = 0;
    return dropped;
}

}  // namespace tarn
