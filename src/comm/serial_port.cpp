#include "comm/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <thread>

#include "model/port_settings.h"
#include "platform/port_names.h"

namespace tarn {
namespace {

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    // Round up so that a wait never ends just before the deadline.
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

Clock::duration fromMilliseconds(double milliseconds) {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(milliseconds));
}

// Sleeps until `until` (the steady clock); a sleep may end a little late.
void sleepUntil(Clock::time_point until) {
    if (until > Clock::now()) {
        std::this_thread::sleep_until(until);
    }
}

// Waits until `until` precisely: sleeps while far off (sleeps end late by
// up to some tens of microseconds), spins for the last stretch.
void waitUntil(Clock::time_point until) {
    constexpr auto kSpin = std::chrono::microseconds(200);
    sleepUntil(until - kSpin);
    while (Clock::now() < until) {
    }
}

// Discards what is left in the input and output queues before a request (a
// late answer, noise). A flush that finds nothing is skipped: on a
// pseudo-terminal it would wait for the kernel's delivery of the answer just
// read, which costs more than the rest of a transaction.
void purgeQueues(int fd) {
    int input = 0;
    int output = 0;
    const bool inputKnown = ioctl(fd, TIOCINQ, &input) == 0;
    const bool outputKnown = ioctl(fd, TIOCOUTQ, &output) == 0;
    if (!inputKnown || !outputKnown) {
        tcflush(fd, TCIOFLUSH);
        return;
    }
    if (input > 0 && output > 0) {
        tcflush(fd, TCIOFLUSH);
    } else if (input > 0) {
        tcflush(fd, TCIFLUSH);
    } else if (output > 0) {
        tcflush(fd, TCOFLUSH);
    }
}

bool deviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

}  // namespace

SerialPort::~SerialPort() {
    if (isOpen()) {
        if (Close() != PortCloseResult::Closed) {
            ::close(fd_);
        }
    }
}

void SerialPort::setPortSettings(const PortSettings& settings) {
    portName_ = settings.port;
    settings_.baudRate = settings.baudRate;
    settings_.dataBits = settings.dataBits;
    if (settings.parity) {
        settings_.parity = *settings.parity;
    }
    settings_.stopBits = settings.stopBits;
    address_.store(settings.address);
    addressLength_.store(settings.addressLength);
}

PortOpenResult SerialPort::Open() {
    timeouts_ = LineTimeouts{};
    if (isOpen()) {
        Close();
        if (isOpen()) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    devicePath_ = resolvePortName(portName_);
    const int fd = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastOpenError_ = errno;
        return PortOpenResult::CannotOpen;
    }
    lastOpenError_ = 0;
    auto fail = [fd](PortOpenResult code) {
        // The terminal may stay open on its other side (a pseudo-terminal):
        // leave it usable for the next attempt.
        line::setExclusive(fd, false);
        ::close(fd);
        return code;
    };
    if (!isValidParity(settings_.parity)) {
        return fail(PortOpenResult::SettingsNotAllowed);
    }
    if (settings_.dataBits < 5 || settings_.dataBits > 8) {
        return fail(PortOpenResult::DataBitsNotAllowed);
    }
    if (settings_.stopBits != 1 && settings_.stopBits != 2) {
        return fail(PortOpenResult::SettingsNotAllowed);
    }
    if (!isAllowedBaudRate(settings_.baudRate)) {
        return fail(PortOpenResult::SettingsNotAllowed);
    }
    // Another program that opens the device after us gets EBUSY.
    line::setExclusive(fd, true);
    const int configured = line::configure(fd, settings_);
    if (configured == line::kStateUnreadable) {
        return fail(PortOpenResult::SettingsNotAllowed);
    }
    if (configured != line::kConfigured) {
        return fail(PortOpenResult::SettingsRejected);
    }
    // Receive direction; DTR is not used. Ports without modem lines refuse
    // both calls, which is fine.
    line::setRts(fd, false);
    line::setDtr(fd, false);
    rs485_ = line::readRs485(fd);
    kernelDirectionOn_ = false;
    timeouts_ = computeLineTimeouts(settings_);
    tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    return PortOpenResult::Opened;
}

PortCloseResult SerialPort::Close() {
    if (!isOpen()) {
        return PortCloseResult::NotOpen;
    }
    if (tcflush(fd_, TCIOFLUSH) != 0 && !deviceGone(errno)) {
        // Nothing to purge on a vanished device: it is closed all the same.
        return PortCloseResult::PurgeFailed;
    }
    if (kernelDirectionOn_) {
        line::restoreRs485(fd_, rs485_);
        kernelDirectionOn_ = false;
    }
    // The terminal may outlive this descriptor (a pseudo-terminal whose
    // other side stays open); leave it open to the next user.
    line::setExclusive(fd_, false);
    ::close(fd_);
    fd_ = -1;
    return PortCloseResult::Closed;
}

SerialPort::WaitResult SerialPort::waitFor(short events, int milliseconds) {
    std::array<pollfd, 2> entries = {{{fd_, events, 0}, {stopEvent_.descriptor(), POLLIN, 0}}};
    while (true) {
        const int ready = poll(entries.data(), entries.size(), milliseconds);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return WaitResult::Failed;
        }
        if (ready == 0) {
            return WaitResult::TimedOut;
        }
        if ((entries[1].revents & POLLIN) != 0) {
            return WaitResult::Stopped;
        }
        const short got = entries[0].revents;
        if ((got & events) != 0) {
            return WaitResult::Ready;
        }
        if ((got & POLLHUP) != 0) {
            return WaitResult::Hangup;
        }
        return WaitResult::Failed;
    }
}

SerialPort::WriteResult SerialPort::writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno != EAGAIN) {
            return deviceGone(errno) ? WriteResult::DeviceGone : WriteResult::Aborted;
        }
        // The output queue is full: wait until it takes more, or the stop.
        if (waitFor(POLLOUT, -1) != WaitResult::Ready) {
            return WriteResult::Aborted;
        }
    }
    return WriteResult::Written;
}

SerialPort::WriteResult SerialPort::sendByRts(std::string_view frame) {
    line::setRts(fd_, true);
    const auto characterTime = fromMilliseconds(timeouts_.characterTime);
    // Character i has the slot start + i character times: it is written at
    // the start of its slot or, when the sleep before it ended late, at once.
    // A late character does not shift the slots after it.
    const auto start = Clock::now();
    auto lastLeaves = start;
    WriteResult result = WriteResult::Written;
    Clock::duration slot{};
    for (const char c : frame) {
        if (stopEvent_.isSignalled()) {
            result = WriteResult::Aborted;
            break;
        }
        sleepUntil(start + slot);
        const auto written = Clock::now();
        result = writeAll(std::string_view(&c, 1));
        if (result != WriteResult::Written) {
            break;
        }
        tcdrain(fd_);
        slot += characterTime;
        // It leaves one character time after its writing, or after the
        // character before it when that was still on its way.
        lastLeaves = std::max(written, lastLeaves) + characterTime;
    }
    // The direction goes back once the last character has left the shift
    // register, not before.
    if (result == WriteResult::Written) {
        waitUntil(lastLeaves);
    }
    line::setRts(fd_, false);
    return result;
}

void SerialPort::useKernelDirection(bool on) {
    if (!rs485_.supported || on == kernelDirectionOn_) {
        return;
    }
    if (on) {
        kernelDirectionOn_ = line::enableRs485(fd_);
        if (!kernelDirectionOn_) {
            // The driver reports the mode but does not take it: switch by hand.
            rs485_.supported = false;
        }
    } else {
        line::restoreRs485(fd_, rs485_);
        kernelDirectionOn_ = false;
    }
}

SerialPort::WriteResult SerialPort::sendFrame(std::string_view frame, double& stillOnTheLine) {
    purgeQueues(fd_);
    bool wholeFrameAtOnce = true;
    if (directionMode_.load() == kDirectionAutomatic) {
        useKernelDirection(false);
    } else {
        useKernelDirection(true);
        wholeFrameAtOnce = kernelDirectionOn_;
    }
    const WriteResult sent = wholeFrameAtOnce ? writeAll(frame) : sendByRts(frame);
    // A frame handed over in one write is still on its way; one sent by RTS
    // has left when sendByRts returns.
    stillOnTheLine = 0;
    if (wholeFrameAtOnce) {
        stillOnTheLine = std::ceil(static_cast<double>(frame.size()) * timeouts_.characterTime);
    }
    return sent;
}

TransferResult SerialPort::Send(std::string_view frame) {
    if (!isOpen() || stopEvent_.isSignalled()) {
        return TransferResult::Aborted;
    }
    const auto start = Clock::now();
    double stillOnTheLine = 0;
    if (sendFrame(frame, stillOnTheLine) != WriteResult::Written) {
        return TransferResult::Aborted;
    }
    // Closing or re-configuring the port earlier could cut the frame off.
    if (stopEvent_.wait(millisecondsUntil(start + fromMilliseconds(stillOnTheLine)))) {
        return TransferResult::Aborted;
    }
    return TransferResult::Answered;
}

TransferResult SerialPort::Transceive(std::string_view frame, std::string& answer,
                                      AnswerCollector::End end) {
    answer.clear();
    if (!isOpen() || stopEvent_.isSignalled()) {
        return TransferResult::Aborted;
    }
    double sending = 0;
    const WriteResult sent = sendFrame(frame, sending);
    // The answer time-out starts when the frame's last character has left.
    const auto deadline = Clock::now() + fromMilliseconds(timeouts_.answerTimeout + sending);
    if (sent == WriteResult::DeviceGone) {
        // The adapter was pulled out: the line is as silent as one without
        // a module, and the exchange times out as it would there.
        return waitOutSilence(deadline);
    }
    if (sent != WriteResult::Written) {
        return TransferResult::Aborted;
    }
    return receive(answer, end, deadline);
}

TransferResult SerialPort::Listen(std::string& answer) {
    answer.clear();
    if (!isOpen() || stopEvent_.isSignalled()) {
        return TransferResult::Aborted;
    }
    return receive(answer, AnswerCollector::End::CarriageReturn,
                   Clock::now() + fromMilliseconds(timeouts_.answerTimeout));
}

TransferResult SerialPort::waitOutSilence(Clock::time_point deadline) {
    return stopEvent_.wait(millisecondsUntil(deadline)) ? TransferResult::Aborted
                                                        : TransferResult::NoAnswer;
}

TransferResult SerialPort::receive(std::string& answer, AnswerCollector::End end,
                                   Clock::time_point deadline) {
    const auto silence = fromMilliseconds(std::max(1.0, std::ceil(3.5 * timeouts_.characterTime)));
    AnswerCollector collector(end);
    std::array<char, 256> chunk{};
    while (true) {
        switch (waitFor(POLLIN, millisecondsUntil(deadline))) {
            case WaitResult::Stopped:
            case WaitResult::Failed:
                return TransferResult::Aborted;
            case WaitResult::Hangup:
                // Nobody at the other end (a pseudo-terminal without its
                // master side): as silent as a line without a module.
                return waitOutSilence(deadline);
            case WaitResult::TimedOut:
                if (end == AnswerCollector::End::Silence && collector.anyCharacter()) {
                    answer = collector.answer();
                    return TransferResult::Answered;
                }
                return TransferResult::NoAnswer;
            case WaitResult::Ready:
                break;
        }
        const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            return deviceGone(errno) ? waitOutSilence(deadline) : TransferResult::Aborted;
        }
        if (got == 0) {
            // End of input: the other side has gone.
            return waitOutSilence(deadline);
        }
        collector.feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
        if (collector.lineError()) {
            return TransferResult::LineError;
        }
        if (collector.complete()) {
            answer = collector.answer();
            return TransferResult::Answered;
        }
        if (end == AnswerCollector::End::Silence && collector.anyCharacter()) {
            deadline = Clock::now() + silence;
        }
    }
}

void SerialPort::ListPorts(std::string& text) {
    text.clear();
    for (const auto& name : listPorts()) {
        text += name;
        text += ':';
    }
    if (!text.empty()) {
        text += ':';
    }
}

}  // namespace tarn
