#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "comm/link_context.h"
#include "comm/probe_framing.h"
#include "platform/port_names.h"

namespace tarn::sim {
namespace fs = std::filesystem;
namespace {

// A pause this long ends a frame that has no end character (Modbus RTU) or
// drops an incomplete one.
constexpr int kGapMs = 20;

bool isStartCharacter(char c) {
    return c == '#' || c == ':' || c == '%';
}

bool makeLink(const fs::path& link, const std::string& target, std::string* error) {
    std::error_code ec;
    if (link.has_parent_path()) {
        fs::create_directories(link.parent_path(), ec);
    }
    const auto status = fs::symlink_status(link, ec);
    if (fs::exists(status)) {
        if (!fs::is_symlink(status)) {
            if (error != nullptr) {
                *error = link.string() + " exists and is not a symbolic link";
            }
            return false;
        }
        fs::remove(link, ec);  // left behind by an earlier run
    }
    fs::create_symlink(target, link, ec);
    if (ec) {
        if (error != nullptr) {
            *error = "cannot create " + link.string() + ": " + ec.message();
        }
        return false;
    }
    return true;
}

}  // namespace

std::string describeLine(const LineSettings& line) {
    char parity = 'N';
    switch (line.parity) {
        case Parity::Even:
            parity = 'E';
            break;
        case Parity::Odd:
            parity = 'O';
            break;
        case Parity::Mark:
            parity = 'M';
            break;
        case Parity::Space:
            parity = 'S';
            break;
        default:
            break;
    }
    return std::to_string(line.baudRate) + " " + std::to_string(line.dataBits) + parity +
           std::to_string(line.stopBits);
}

PtyServer::PtyServer(SimulatedModule& module, ServerOptions options)
    : module_(module), options_(std::move(options)) {}

PtyServer::~PtyServer() {
    stop();
}

void PtyServer::log(const std::string& line) const {
    if (options_.log) {
        options_.log(line);
    }
}

bool PtyServer::start(std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        stop();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        return fail(std::string("cannot open a pseudo-terminal: ") + std::strerror(errno));
    }
    std::array<char, 128> name{};
    if (ptsname_r(master_, name.data(), name.size()) != 0) {
        return fail("cannot name the pseudo-terminal");
    }
    devicePath_ = name.data();
    // Raw, at the module's own speed, until the program sets the line.
    line::configure(master_, module_.activeSettings().line);

    if (options_.comNumber > 0) {
        const fs::path link =
            fs::path(portsDirectory()) / ("COM" + std::to_string(options_.comNumber));
        std::string why;
        if (!makeLink(link, devicePath_, &why)) {
            return fail(why);
        }
        links_.push_back(link.string());
    }
    if (!options_.linkPath.empty()) {
        std::string why;
        if (!makeLink(options_.linkPath, devicePath_, &why)) {
            return fail(why);
        }
        links_.push_back(options_.linkPath);
    }
    stop_.reset();
    thread_ = std::thread([this] { run(); });
    clockid_t clock{};
    if (pthread_getcpuclockid(thread_.native_handle(), &clock) == 0) {
        serverClock_ = clock;
    }
    return true;
}

void PtyServer::stop() {
    stop_.signal();
    if (thread_.joinable()) {
        thread_.join();
    }
    serverClock_.reset();
    for (const auto& link : links_) {
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(link, ec)) &&
            fs::read_symlink(link, ec).string() == devicePath_) {
            fs::remove(link, ec);
        }
    }
    links_.clear();
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

std::optional<LineSettings> PtyServer::terminalLine() const {
    if (master_ < 0) {
        return std::nullopt;
    }
    return line::read(master_);
}

std::optional<LineSettings> PtyServer::lastLineSeen() const {
    std::lock_guard lock(seenMutex_);
    return lastSeen_;
}

bool PtyServer::answersRtu() const {
    return (probeFramings_ & kAnswerModbusRtu) != 0;
}

bool PtyServer::lineMatches() {
    const auto seen = line::read(master_);
    {
        std::lock_guard lock(seenMutex_);
        lastSeen_ = seen;
    }
    if (!options_.checkLine) {
        return true;
    }
    // A pseudo-terminal keeps the speed the program set but always reports
    // 8 data bits without parity, so the speed is what can be checked.
    const LineSettings expected = module_.activeSettings().line;
    if (seen && seen->baudRate == expected.baudRate) {
        return true;
    }
    ++lineMismatches_;
    log("   (line set to " + (seen ? describeLine(*seen) : std::string("?")) + ", module at " +
        describeLine(expected) + ": silent)");
    return false;
}

PtyServer::Clock::duration PtyServer::characterTime() const {
    const auto timeouts = computeLineTimeouts(module_.activeSettings().line);
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(timeouts.characterTime));
}

bool PtyServer::waitUntil(Clock::time_point until) {
    // The bulk on the stop event (whole milliseconds), then an absolute
    // sleep that ends a margin early, then a spin: a sleep ends late by the
    // system's wake-up latency, which the margin follows.
    const auto left = until - Clock::now();
    if (left > std::chrono::milliseconds(2)) {
        const auto bulk = std::chrono::duration_cast<std::chrono::milliseconds>(left) -
                          std::chrono::milliseconds(1);
        if (stop_.wait(static_cast<int>(bulk.count()))) {
            return false;
        }
    }
    const auto wakeAt = until - wakeMargin_;
    if (wakeAt > Clock::now()) {
        const auto since = wakeAt.time_since_epoch();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
        timespec at{};
        at.tv_sec = static_cast<time_t>(seconds.count());
        at.tv_nsec = static_cast<long>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count());
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
        // Twice the recent lateness of a wake-up, within 20 ... 300 us.
        const auto late = Clock::now() - wakeAt;
        wakeLatency_ = (wakeLatency_ * 7 + late) / 8;
        wakeMargin_ = std::clamp<Clock::duration>(2 * wakeLatency_, std::chrono::microseconds(20),
                                                  std::chrono::microseconds(300));
    }
    while (Clock::now() < until) {
    }
    return !stop_.isSignalled();
}

void PtyServer::send(const std::string& answer, Clock::time_point requestArrived) {
    Clock::time_point deliver = Clock::now() + std::chrono::milliseconds(options_.delayMs);
    if (options_.lineTiming) {
        deliver = requestArrived + std::chrono::milliseconds(options_.delayMs) +
                  std::chrono::microseconds(options_.turnaroundUs) +
                  static_cast<Clock::rep>(answer.size()) * characterTime();
    }
    if (deliver > Clock::now() && !waitUntil(deliver)) {
        return;
    }
    // The statistics are held while the answer goes out: whoever has read
    // the answer finds it counted.
    std::unique_lock statisticsLock(statisticsMutex_);
    std::string_view rest = answer;
    while (!rest.empty()) {
        const ssize_t written = ::write(master_, rest.data(), rest.size());
        if (written > 0) {
            rest.remove_prefix(static_cast<std::size_t>(written));
        } else if (written < 0 && errno == EAGAIN) {
            pollfd entry{master_, POLLOUT, 0};
            poll(&entry, 1, 10);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    const auto now = Clock::now();
    lineBusyUntil_ = std::max(lineBusyUntil_, deliver);
    answerWrittenAt_ = now;
    const long late = std::max<long>(
        0, static_cast<long>(
               std::chrono::duration_cast<std::chrono::microseconds>(now - deliver).count()));
    statistics_.answersLateUs += late;
    statistics_.answerLateMaxUs = std::max(statistics_.answerLateMaxUs, late);
    ++statistics_.answers;
    statistics_.charactersOut += static_cast<long>(answer.size() - rest.size());
}

void PtyServer::dispatch(const std::string& frame, int framing, Clock::time_point arrived) {
    {
        std::lock_guard lock(statisticsMutex_);
        ++statistics_.requests;
    }
    if (!lineMatches()) {
        return;
    }
    std::optional<std::string> answer = framing == kProtocolDevice
                                            ? module_.answerFrame(frame)
                                            : module_.answerProbe(framing, frame);
    if (answer) {
        send(*answer, arrived);
    }
}

void PtyServer::takeTextFrames(std::string& buffer) {
    while (!buffer.empty()) {
        // A binary frame (Modbus RTU) may hold any byte: it ends at a pause.
        if (answersRtu() && !isStartCharacter(buffer.front())) {
            return;
        }
        const auto end = buffer.find('\r');
        if (end == std::string::npos) {
            return;
        }
        const std::string segment = buffer.substr(0, end + 1);
        const Clock::time_point arrived = arrivals_[end];
        buffer.erase(0, end + 1);
        dropReceived(end + 1);
        const auto start = segment.find_last_of("#:%");
        if (start == std::string::npos) {
            log("<- (" + std::to_string(segment.size()) + " characters without a frame start)");
            continue;
        }
        const std::string frame = segment.substr(start);
        if (frame.front() == ':' && !buffer.empty() && buffer.front() == '\n') {
            buffer.erase(0, 1);
            dropReceived(1);
        }
        const int framing = frame.front() == '#'   ? kProtocolDevice
                            : frame.front() == ':' ? kProtocolModbusAscii
                                                   : kProtocolDcon;
        dispatch(frame, framing, arrived);
    }
}

void PtyServer::takeGap(std::string& buffer) {
    if (answersRtu() && !buffer.empty() && !isStartCharacter(buffer.front())) {
        const auto rtu = decodeModbusRtu(buffer);
        const auto start = buffer.find_first_of("#:%");
        if ((rtu && rtu->checkOk) || start == std::string::npos) {
            const Clock::time_point arrived = arrivals_.back();
            const std::string frame = buffer;
            buffer.clear();
            arrivals_.clear();
            dispatch(frame, kProtocolModbusRtu, arrived);
            return;
        }
        // Noise before a text frame.
        log("<- (" + std::to_string(start) + " characters before a frame start dropped)");
        buffer.erase(0, start);
        dropReceived(start);
        takeTextFrames(buffer);
    }
    if (!buffer.empty()) {
        log("<- (" + std::to_string(buffer.size()) + " characters without a frame end dropped)");
    }
    buffer.clear();
    arrivals_.clear();
}

void PtyServer::received(std::size_t size) {
    const auto now = Clock::now();
    if (answerWrittenAt_) {
        const auto gap =
            std::chrono::duration_cast<std::chrono::microseconds>(now - *answerWrittenAt_);
        answerWrittenAt_.reset();
        std::lock_guard lock(statisticsMutex_);
        if (statistics_.programTurnaroundsUs.size() < LineStatistics::kMaxTurnarounds) {
            statistics_.programTurnaroundsUs.push_back(static_cast<long>(gap.count()));
        }
    }
    {
        std::lock_guard lock(statisticsMutex_);
        statistics_.charactersIn += static_cast<long>(size);
    }
    if (!options_.lineTiming) {
        arrivals_.insert(arrivals_.end(), size, now);
        return;
    }
    // Each character takes one character time on the line, from its writing
    // or from the end of the character before it.
    const auto perCharacter = characterTime();
    for (std::size_t i = 0; i < size; ++i) {
        lineBusyUntil_ = std::max(lineBusyUntil_, now) + perCharacter;
        arrivals_.push_back(lineBusyUntil_);
    }
}

void PtyServer::dropReceived(std::size_t count) {
    arrivals_.erase(arrivals_.begin(), arrivals_.begin() + static_cast<std::ptrdiff_t>(
                                                               std::min(count, arrivals_.size())));
}

LineStatistics PtyServer::statistics() const {
    std::lock_guard lock(statisticsMutex_);
    return statistics_;
}

void PtyServer::resetStatistics() {
    std::lock_guard lock(statisticsMutex_);
    statistics_ = LineStatistics{};
}

double PtyServer::serverCpuSeconds() const {
    timespec used{};
    if (!serverClock_ || clock_gettime(*serverClock_, &used) != 0) {
        return 0;
    }
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

void PtyServer::run() {
    // The timed answers are due to the microsecond: no timer slack.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::string buffer;
    std::array<char, 512> chunk{};
    while (true) {
        std::array<pollfd, 2> entries = {{{master_, POLLIN, 0}, {stop_.descriptor(), POLLIN, 0}}};
        const int ready = poll(entries.data(), entries.size(), buffer.empty() ? -1 : kGapMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if ((entries[1].revents & POLLIN) != 0) {
            return;
        }
        // Whether the module answers Modbus RTU decides how a pause is read.
        probeFramings_ = module_.probeFramings();
        if (ready == 0) {
            takeGap(buffer);
            continue;
        }
        if ((entries[0].revents & POLLIN) != 0) {
            const ssize_t got = ::read(master_, chunk.data(), chunk.size());
            if (got > 0) {
                buffer.append(chunk.data(), static_cast<std::size_t>(got));
                received(static_cast<std::size_t>(got));
                takeTextFrames(buffer);
                continue;
            }
        }
        if ((entries[0].revents & (POLLHUP | POLLERR)) != 0) {
            // Nobody has the terminal open: wait for the program.
            buffer.clear();
            arrivals_.clear();
            if (stop_.wait(10)) {
                return;
            }
        }
    }
}

}  // namespace tarn::sim
