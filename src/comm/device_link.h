// DeviceLink: the document's connection to the module.
//
// Owns the serial port, the module's address (kept in the port) and the
// exchange lock. Every frame from any thread goes through TransactFrame or
// ProbeFrame under that lock, so the transmit thread, the scanners and the
// dialogs never interleave frames; ExchangeParameter holds the lock for its
// whole exchange (attributes, value, and opening and closing a closed port).
// The program-wide values (run result code, protocol selector, program
// modes) come from the LinkContext it is given.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "comm/link_context.h"
#include "comm/link_settings.h"
#include "comm/serial_port.h"

namespace tarn {

class Parameter;
class UserInteraction;

// Results of ExchangeParameter.
inline constexpr int kExchangeOk = 0;
inline constexpr int kExchangeNoParameter = -1;
inline constexpr int kExchangeFailed = 1;       // the transaction failed
inline constexpr int kExchangeUndecodable = 2;  // answer not decodable, bad name code
inline constexpr int kExchangeNoWriteCoding = 3;
inline constexpr int kExchangeBadValue = 4;  // value or network name cannot be coded
inline constexpr int kExchangeAttributesFailed = 200;
inline constexpr int kExchangeAttributeSize = 201;

// Texts of the port-open failure box.
inline constexpr std::string_view kOpenFailureCaption = "Ошибка драйвера последовательного порта";

struct ExchangeRequest {
    int readFlag = 1;  // 1: read the parameter, 0: write it
    Parameter* parameter = nullptr;
    std::vector<std::string>* trace = nullptr;  // lines describing the bytes; may be absent
    int spare = 0;
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
    // suppressed. Returns the result of SerialPort::Open (-1 when offline).
    int OpenLink(const LinkSettings& settings, bool report);
    // Closes the port under the exchange lock.
    int CloseLink();

    // One request and its answer, with resends. The address is the module's
    // address plus `addressOffset` (-1: address 255). On success, and on an
    // error answer or an answer for another command, `answer` holds the
    // answer's data bytes. On failure `status` holds the reason (an n.Err
    // answer without data leaves it as it was).
    bool TransactFrame(bool readFlag, std::uint16_t command, std::span<const std::uint8_t> data,
                       std::vector<std::uint8_t>& answer, std::string& status,
                       std::int32_t addressOffset);

    int ExchangeParameter(const ExchangeRequest& request);
    int ExchangeParameter(Parameter& parameter, bool read,
                          std::vector<std::string>* trace = nullptr);

    // Sends the fixed probe of framing `selector` (1-3) to the module's
    // address and checks the answer: 0, or 2-6 (LinkErrorText gives the
    // text, which also goes into the parameter's status when one is given);
    // -1 with 11-bit addressing or an unknown framing.
    int ProbeFrame(int selector, Parameter* parameter = nullptr);

    // The text of the port-open failure box, with the reason when the system
    // gave one we can explain.
    static std::string openFailureText(const std::string& portName, const std::string& device,
                                       int error);

private:
    int exchangeOne(Parameter& parameter, bool read, std::vector<std::string>* trace);
    int exchangeAttributes(Parameter& parameter, bool read);
    int exchangeNetworkName(Parameter& parameter, bool read, std::vector<std::string>* trace);

    LinkContext& context_;
    UserInteraction* ui_;
    SerialPort port_;
    std::recursive_mutex lock_;
    // An earlier request went unanswered in time, so its answer may still
    // arrive during the next exchange (guarded by lock_).
    bool answerMayBeLate_ = false;
};

}  // namespace tarn
