// Who is exchanging a frame: the task, a scanner, a dialog, the connection
// search. Each thread that talks to the module names itself once with a
// FrameSourceScope; the device link reads the name of the calling thread
// when it reports a frame, so callers pass nothing through the exchange.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarn {

enum class FrameSource : std::uint8_t {
    Program,  // the user-interface thread, unnamed work
    Task,
    Scanner,
    SinglePoint,
    ServiceDialog,
    ConnectionSearch,
};

// The name shown in the monitor's "Источник" column and the trace file.
std::string_view frameSourceText(FrameSource source);

// The calling thread's source.
FrameSource currentFrameSource();

// Names the calling thread's frames while it lives; the previous name comes
// back afterwards, so a scope may nest (the single-point dialog inside a
// dialog worker).
class FrameSourceScope {
public:
    explicit FrameSourceScope(FrameSource source);
    ~FrameSourceScope();
    FrameSourceScope(const FrameSourceScope&) = delete;
    FrameSourceScope& operator=(const FrameSourceScope&) = delete;

private:
    FrameSource previous_;
};

}  // namespace tarn
