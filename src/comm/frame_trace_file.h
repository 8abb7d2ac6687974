// FrameTraceFile: the trace of an unattended run (-trace:FILE).
//
// A frame observer that writes one UTF-8 line per frame (the monitor's
// columns, tab-separated) and flushes at the end of every exchange, so a run
// that is killed keeps every exchange it finished. The file is created anew.
#pragma once

#include <cstdio>
#include <string>

#include "comm/frame_observer.h"

namespace tarn {

class FrameTraceFile : public FrameObserver {
public:
    FrameTraceFile() = default;
    ~FrameTraceFile() override;
    FrameTraceFile(const FrameTraceFile&) = delete;
    FrameTraceFile& operator=(const FrameTraceFile&) = delete;

    // Creates the file (emptied when it exists). False, with the system's reason in `error`, when
    // it cannot.
    bool open(const std::string& path, std::string* error = nullptr);
    bool isOpen() const { return file_ != nullptr; }
    void close();

    void framesExchanged(std::span<const FrameRecord> frames) override;

private:
    std::FILE* file_ = nullptr;
};

}  // namespace tarn
