#include "comm/frame_trace_file.h"

#include <cerrno>
#include <cstring>

#include "comm/frame_text.h"

namespace tarn {

FrameTraceFile::~FrameTraceFile() {
    close();
}

bool FrameTraceFile::open(const std::string& path, std::string* error) {
    close();
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        if (error != nullptr) {
            *error = std::strerror(errno);
        }
        return false;
    }
    return true;
}

void FrameTraceFile::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void FrameTraceFile::framesExchanged(std::span<const FrameRecord> frames) {
    if (file_ == nullptr) {
        return;
    }
    std::string text;
    for (const FrameRecord& frame : frames) {
        text += frameTextLine(frame);
        text.push_back('\n');
    }
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
}

}  // namespace tarn
