#include "app/exit_watcher.h"

#include <fcntl.h>
#include <signal.h>

#include <cerrno>
#include <ctime>

namespace tarn {
namespace {

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

// How often the watcher looks at the semaphore and at its own end.
constexpr long kPollNanoseconds = 50'000'000;

}  // namespace

void blockStopSignals() {
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

ExitWatcher::ExitWatcher(const std::string& name) {
    if (!name.empty() && name.find('/') == std::string::npos) {
        semaphore_ = sem_open(("/" + name).c_str(), O_CREAT, 0600, 0);
    }
}

ExitWatcher::~ExitWatcher() {
    stop();
    if (semaphore_ != SEM_FAILED) {
        sem_close(semaphore_);
    }
}

void ExitWatcher::start(std::function<void()> stopRequested) {
    stop();
    stopRequested_ = std::move(stopRequested);
    quit_ = false;
    thread_ = std::thread([this] { run(); });
}

void ExitWatcher::stop() {
    quit_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ExitWatcher::run() {
    const sigset_t set = stopSignals();
    while (!quit_) {
        bool fired = false;
        if (semaphore_ != SEM_FAILED && sem_trywait(semaphore_) == 0) {
            fired = true;
        } else {
            const timespec wait{0, kPollNanoseconds};
            fired = sigtimedwait(&set, nullptr, &wait) > 0;
        }
        if (fired) {
            if (stopRequested_) {
                stopRequested_();
            }
            return;
        }
    }
}

}  // namespace tarn
