#include "comm/stop_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace tarn {

StopEvent::StopEvent() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) {
        throw std::runtime_error("eventfd failed");
    }
}

StopEvent::~StopEvent() {
    close(fd_);
}

void StopEvent::signal() {
    const std::uint64_t one = 1;
    // The counter only grows; a full counter is still signalled.
    [[maybe_unused]] const auto written = write(fd_, &one, sizeof one);
}

void StopEvent::reset() {
    std::uint64_t value = 0;
    while (read(fd_, &value, sizeof value) > 0) {
    }
}

bool StopEvent::isSignalled() const {
    return wait(0);
}

bool StopEvent::wait(int milliseconds) const {
    pollfd entry{fd_, POLLIN, 0};
    while (true) {
        const int ready = poll(&entry, 1, milliseconds);
        if (ready >= 0) {
            return ready > 0 && (entry.revents & POLLIN) != 0;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

}  // namespace tarn
