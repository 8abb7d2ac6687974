// DeviceLink: the document's connection to the module.
//
// Owns the serial port, the module's address (kept in the port) and the
// exchange lock. Every frame from any thread goes through TransactFrame or
// ProbeFrame under that lock, so the transmit thread, the scanners and the
// dialogs never interleave frames; ExchangeParameter holds the lock for its
// whole exchange (attributes, value, and opening and closing a closed port).
// The program-wide values (run result code, protocol selector, program
// modes) come from the LinkContext it is given. Every frame sent and
// received is reported to the frame observers (the bus monitor, the trace
// file) once its exchange is over.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "comm/frame_observer.h"
#include "comm/link_context.h"
#include "comm/probe_framing.h"
#include "comm/serial_port.h"
#include "model/exchange_result.h"
#include "model/port_settings.h"

namespace tarn {

class Parameter;
class UserInteraction;

// Texts of the port-open failure box.
inline constexpr std::string_view kOpenFailureCaption = "Ошибка драйвера последовательного порта";

struct ExchangeRequest {
    int readFlag = 1;  // 1: read the parameter, 0: write it
    Parameter* parameter = nullptr;
    std::vector<std::string>* trace = nullptr;  // lines describing the bytes; may be absent
};

class DeviceLink {
public:
    // `ui` shows the port-open failure box; may be null (no box).
    explicit DeviceLink(LinkContext& context, UserInteraction* ui = nullptr);
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    SerialPort& port() { return port_; }
    LinkContext& context() { return context_; }
    // Callers that must keep several exchanges together may hold it too.
    std::recursive_mutex& exchangeLock() { return lock_; }

    // Closes the port, takes the settings, opens the port (unless the
    // program runs offline) and keeps the run result code's port bit. On
    // failure with `report`, shows the failure box unless port messages are
    // suppressed. Returns the result of SerialPort::Open (CannotOpen when
    // offline).
    PortOpenResult OpenLink(const PortSettings& settings, bool report);
    // Closes the port under the exchange lock.
    PortCloseResult CloseLink();

    // One request and its answer, with resends. The address is the module's
    // address plus `addressOffset` (-1: address 255). On success, and on an
    // error answer or an answer for another command, `answer` holds the
    // answer's data bytes. On failure `status` holds the reason (an n.Err
    // answer without data leaves it as it was).
    bool TransactFrame(bool readFlag, std::uint16_t command, std::span<const std::uint8_t> data,
                       std::vector<std::uint8_t>& answer, std::string& status,
                       std::int32_t addressOffset);

    // Reads or writes one parameter. While the connection search probes
    // another framing (the protocol selector is not the device protocol),
    // the probe of that framing is sent instead: Ok when it was answered,
    // else Failed with the probe's text in the parameter's status.
    ExchangeResult ExchangeParameter(const ExchangeRequest& request);
    ExchangeResult ExchangeParameter(Parameter& parameter, bool read,
                                     std::vector<std::string>* trace = nullptr);

    // Sends the fixed probe of framing `selector` (1-3) to the module's
    // address and checks the answer (LinkErrorText gives the text of a
    // failure, which also goes into the parameter's status when one is
    // given); NotPossible with 11-bit addressing or an unknown framing.
    ProbeResult ProbeFrame(int selector, Parameter* parameter = nullptr);

    // Observers of the frames on the line; an observer must be removed
    // before it goes. Removing waits for a report in progress to end. With
    // no observer the frames are not recorded at all.
    void addFrameObserver(FrameObserver* observer);
    void removeFrameObserver(FrameObserver* observer);

    // The text of the port-open failure box, with the reason when the system
    // gave one we can explain.
    static std::string openFailureText(const std::string& portName, const std::string& device,
                                       int error);

private:
    // What the frames of the exchange in progress are about (guarded by
    // lock_): the parameter's network name or "M.s.t.r.", its linear index,
    // the value text a write sends.
    struct FrameLabel {
        std::string name;
        int linearIndex = -1;
        std::string valueText;
    };
    // Counts the nesting of exchanges; the outermost one's end reports the
    // frames recorded meanwhile.
    class ReportAfter {
    public:
        explicit ReportAfter(DeviceLink& link) : link_(link) { ++link_.exchangeDepth_; }
        ~ReportAfter();
        ReportAfter(const ReportAfter&) = delete;
        ReportAfter& operator=(const ReportAfter&) = delete;

    private:
        DeviceLink& link_;
    };

    bool reportingFrames() const { return reporting_.load(std::memory_order_relaxed); }
    void publishFrames();
    // A read or write answer decoded to `value`: the last answer recorded
    // carries it.
    void noteAnswerValue(const std::string& value);

    ExchangeResult exchangeOne(Parameter& parameter, bool read, std::vector<std::string>* trace);
    ExchangeResult exchangeAttributes(Parameter& parameter, bool read);
    ExchangeResult exchangeNetworkName(Parameter& parameter, bool read,
                                       std::vector<std::string>* trace);

    LinkContext& context_;
    UserInteraction* ui_;
    SerialPort port_;
    std::recursive_mutex lock_;
    // An earlier request went unanswered in time, so its answer may still
    // arrive during the next exchange (guarded by lock_).
    bool answerMayBeLate_ = false;

    std::mutex observersMutex_;
    std::vector<FrameObserver*> observers_;  // guarded by observersMutex_
    std::atomic<bool> reporting_{false};
    // Guarded by lock_.
    std::vector<FrameRecord> pendingFrames_;
    FrameLabel label_;
    int exchangeDepth_ = 0;
};

}  // namespace tarn
