// A manual-reset event that aborts waits on the serial line.
//
// Signalled from any thread, it stays signalled until reset. Its descriptor
// becomes readable while signalled, so a thread can poll() it together with
// the port or with other descriptors.
#pragma once

namespace tarn {

class StopEvent {
public:
    StopEvent();
    ~StopEvent();
    StopEvent(const StopEvent&) = delete;
    StopEvent& operator=(const StopEvent&) = delete;

    void signal();
    void reset();
    bool isSignalled() const;

    // Waits until the event is signalled or the time runs out (a negative
    // time waits without limit); true when signalled.
    bool wait(int milliseconds) const;

    // Readable while the event is signalled.
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace tarn
