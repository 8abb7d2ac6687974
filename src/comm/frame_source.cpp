#include "comm/frame_source.h"

namespace tarn {
namespace {

thread_local FrameSource threadSource = FrameSource::Program;

}  // namespace

std::string_view frameSourceText(FrameSource source) {
    switch (source) {
        case FrameSource::Program:
            return "программа";
        case FrameSource::Task:
            return "задача";
        case FrameSource::Scanner:
            return "сканер";
        case FrameSource::SinglePoint:
            return "одна точка";
        case FrameSource::ServiceDialog:
            return "сервис";
        case FrameSource::ConnectionSearch:
            return "поиск связи";
    }
    return "программа";
}

FrameSource currentFrameSource() {
    return threadSource;
}

FrameSourceScope::FrameSourceScope(FrameSource source) : previous_(threadSource) {
    threadSource = source;
}

FrameSourceScope::~FrameSourceScope() {
    threadSource = previous_;
}

}  // namespace tarn
