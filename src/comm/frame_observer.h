// FrameObserver: what the device link tells about the frames on the line.
//
// The link calls framesExchanged on the exchanging thread, with the exchange
// lock held, once per exchange (a parameter's attributes and value, resends
// included) with that exchange's frames in the order they went and came.
// An observer must return quickly and never wait for another thread (the
// user-interface thread above all): the engine's bounded stop relies on it.
#pragma once

#include <span>

#include "comm/frame_record.h"

namespace tarn {

class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    virtual void framesExchanged(std::span<const FrameRecord> frames) = 0;
};

}  // namespace tarn
