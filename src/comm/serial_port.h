// SerialPort: the program's only access to the RS-485 line.
//
// Opens a serial device exclusively, configures it from the stored settings,
// sends one coded frame and collects the answer until its carriage return
// or until the answer time-out. While sending it drives the converter's
// transmit direction through RTS (direction mode 0), through the kernel's
// RS-485 mode where the driver has one, or not at all (direction mode 1, for
// converters that switch by themselves). Pseudo-terminals and adapters
// without modem lines work as well; their RTS calls are simply skipped.
//
// A Transceive waiting for an answer is aborted from any thread by the stop
// event; while the event stays signalled every Transceive fails at once.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

#include "comm/answer_collector.h"
#include "comm/line_settings.h"
#include "comm/stop_event.h"

namespace tarn {

struct PortSettings;

// Results of SerialPort::Open.
enum class PortOpenResult : int {
    Opened = 0,
    CannotOpen = -1,          // the device cannot be opened (lastOpenError says why)
    SettingsNotAllowed = -2,  // speed, parity or stop bits the port does not take
    DataBitsNotAllowed = -3,
    SettingsRejected = -4,  // the terminal refused the settings
    TimeoutsRejected = -5,
};

// Results of SerialPort::Close.
enum class PortCloseResult : int {
    Closed = 0,
    PurgeFailed = -1,
    NotOpen = -2,
};

// Results of SerialPort::Transceive and Listen.
enum class TransferResult : int {
    Answered = 0,
    NoAnswer = 2,   // nothing complete within the answer time-out
    LineError = 3,  // parity or framing errors, breaks
    Aborted = -1,   // the stop event, a failed wait, or the port not open
};

class SerialPort {
public:
    // Direction modes.
    static constexpr int kDirectionByRts = 0;
    static constexpr int kDirectionAutomatic = 1;

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    PortOpenResult Open();
    PortCloseResult Close();
    // Sends `frame` and collects the answer (at most kAnswerCapacity
    // characters) into `answer`.
    TransferResult Transceive(std::string_view frame, std::string& answer,
                              AnswerCollector::End end = AnswerCollector::End::CarriageReturn);
    // Sends a frame that no answer follows (APLY: the module switches its
    // line at once) and returns when its last character has left the port,
    // so that the port may be set to the new line right after. Answered
    // when sent; Aborted when not open, stopped or the device is gone.
    TransferResult Send(std::string_view frame);
    // Collects one more answer for the answer time-out without sending or
    // purging anything: the answer to a request may come after another,
    // late one.
    TransferResult Listen(std::string& answer);
    // The names of all serial ports, each followed by ":", and one more ":"
    // at the end; empty when there is none.
    static void ListPorts(std::string& text);

    bool isOpen() const { return fd_ >= 0; }
    // errno of the last failed attempt to open the device (0 after a
    // successful open), so that the caller can say why.
    int lastOpenError() const { return lastOpenError_; }
    // The device path the port name stood for at the last Open.
    const std::string& devicePath() const { return devicePath_; }

    // "COMn" or a device path.
    const std::string& portName() const { return portName_; }
    void setPortName(std::string name) { portName_ = std::move(name); }
    int baudRate() const { return settings_.baudRate; }
    void setBaudRate(int baud) { settings_.baudRate = baud; }
    Parity parity() const { return settings_.parity; }
    void setParity(Parity parity) { settings_.parity = parity; }
    int stopBits() const { return settings_.stopBits; }
    void setStopBits(int bits) { settings_.stopBits = bits; }
    int dataBits() const { return settings_.dataBits; }
    void setDataBits(int bits) { settings_.dataBits = bits; }
    const LineSettings& lineSettings() const { return settings_; }
    // Takes the port name, the line settings and the module's address at
    // once (a settings without parity keeps the port's parity); they apply
    // at the next Open.
    void setPortSettings(const PortSettings& settings);

    // The module's address and address length (8 or 11 bits).
    int address() const { return address_.load(); }
    void setAddress(int address) { address_.store(address); }
    int addressLength() const { return addressLength_.load(); }
    void setAddressLength(int length) { addressLength_.store(length); }

    int directionMode() const { return directionMode_.load(); }
    void setDirectionMode(int mode) { directionMode_.store(mode); }
    // The kernel switches the direction for this port (RS-485 mode).
    bool kernelDirectionControl() const { return rs485_.supported; }

    // Derived at Open: zero while the port has never been opened.
    const LineTimeouts& timeouts() const { return timeouts_; }
    float characterTime() const { return timeouts_.characterTime; }
    std::uint16_t answerTimeout() const { return timeouts_.answerTimeout; }

    StopEvent& stopEvent() { return stopEvent_; }

private:
    enum class WaitResult { Ready, Stopped, TimedOut, Hangup, Failed };
    WaitResult waitFor(short events, int milliseconds);
    enum class WriteResult { Written, Aborted, DeviceGone };
    WriteResult writeAll(std::string_view bytes);
    TransferResult receive(std::string& answer, AnswerCollector::End end,
                           std::chrono::steady_clock::time_point deadline);
    TransferResult waitOutSilence(std::chrono::steady_clock::time_point deadline);
    WriteResult sendByRts(std::string_view frame);
    // Purges, sets the direction and sends; `stillOnTheLine`: how many
    // milliseconds the frame is still on its way when this returns.
    WriteResult sendFrame(std::string_view frame, double& stillOnTheLine);
    void useKernelDirection(bool on);

    int fd_ = -1;
    StopEvent stopEvent_;
    std::atomic<int> directionMode_{kDirectionByRts};
    std::string portName_ = "COM1";
    std::string devicePath_;
    LineSettings settings_;
    std::atomic<int> addressLength_{8};
    std::atomic<int> address_{16};
    LineTimeouts timeouts_;
    int lastOpenError_ = 0;
    line::Rs485State rs485_;          // as found at Open
    bool kernelDirectionOn_ = false;  // we switched the kernel's RS-485 mode on
};

}  // namespace tarn
