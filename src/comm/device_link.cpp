#include "comm/device_link.h"

#include <cerrno>

#include "comm/error_texts.h"
#include "comm/frame_codec.h"
#include "comm/probe_framing.h"
#include "model/parameter.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

// Resends after the first sending before a transaction gives up.
constexpr int kTimeoutResends = 3;
constexpr int kLineErrorResends = 16;
constexpr int kLostStartResends = 15;
// Late answers for other commands set aside in one exchange, at most.
constexpr int kLateAnswersSetAside = 4;
constexpr int kProbeTimeoutResends = 3;

}  // namespace

DeviceLink::DeviceLink(LinkContext& context, UserInteraction* ui) : context_(context), ui_(ui) {}

std::string DeviceLink::openFailureText(const std::string& portName, const std::string& device,
                                        int error) {
    std::string text = "Не удается открыть порт " + portName +
                       ". Связь с сетью отсутствует. Проверьте сетевые параметры";
    switch (error) {
        case EACCES:
        case EPERM:
            text += "\nНет прав на доступ к устройству " + device +
                    ": пользователь должен входить в группу dialout "
                    "(sudo usermod -aG dialout $USER, затем войти в систему заново).";
            break;
        case EBUSY:
            text += "\nУстройство " + device + " занято другой программой.";
            break;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            text += "\nУстройство " + device + " не найдено.";
            break;
        default:
            break;
    }
    return text;
}

PortOpenResult DeviceLink::OpenLink(const PortSettings& settings, bool report) {
    std::lock_guard lock(lock_);
    if (port_.isOpen()) {
        port_.Close();
    }
    port_.setPortSettings(settings);
    if (context_.portSuppressed()) {
        return PortOpenResult::CannotOpen;
    }
    const PortOpenResult result = port_.Open();
    if (result != PortOpenResult::Opened) {
        context_.addRunResultBits(kRunPortNotOpened);
    } else {
        context_.clearRunResultBits(kRunPortNotOpened);
    }
    if (result != PortOpenResult::Opened && report && !context_.portMessagesSuppressed() &&
        ui_ != nullptr) {
        const int error = result == PortOpenResult::CannotOpen ? port_.lastOpenError() : 0;
        ui_->showMessage(openFailureText(settings.port, port_.devicePath(), error),
                         kOpenFailureCaption, MessageIcon::Error, kMessageTopmost);
    }
    return result;
}

PortCloseResult DeviceLink::CloseLink() {
    std::lock_guard lock(lock_);
    return port_.Close();
}

bool DeviceLink::TransactFrame(bool readFlag, std::uint16_t command,
                               std::span<const std::uint8_t> data,
                               std::vector<std::uint8_t>& answer, std::string& status,
                               std::int32_t addressOffset) {
    std::lock_guard lock(lock_);
    answer.clear();
    Frame frame;
    frame.address = addressOffset == -1 ? 255 : port_.address() + addressOffset;
    frame.readFlag = readFlag;
    frame.hash = command;
    frame.data.assign(data.begin(), data.end());
    const std::string wire = encodeFrame(frame, port_.addressLength());

    int timeouts = 0;
    int lineErrors = 0;
    int lostStarts = 0;
    int setAside = 0;
    bool listen = false;  // collect another answer instead of sending again
    std::string received;
    AnswerCheck check;
    if (command == kHashAply) {
        // The module switches its line at once; nobody answers, so nobody
        // is waited for.
        port_.Send(wire);
        return true;
    }
    while (true) {
        const TransferResult result =
            listen ? port_.Listen(received) : port_.Transceive(wire, received);
        listen = false;
        if (result == TransferResult::Aborted && port_.stopEvent().isSignalled()) {
            // The program stops the exchange (shutdown, worker threads
            // stopped): resending would only fail again at once. It is no
            // fault of the line, so the run result code keeps what it holds
            // (an exit request's code among others).
            status = kTextLostStart;
            return false;
        }
        if (result == TransferResult::NoAnswer) {
            answerMayBeLate_ = true;
            if (timeouts == kTimeoutResends) {
                status = kTextTimeout;
                context_.noteTimeout();
                return false;
            }
            ++timeouts;
            continue;
        }
        if (result == TransferResult::LineError) {
            if (lineErrors == kLineErrorResends) {
                status = kTextBadPortSettings;
                context_.noteLineFault();
                return false;
            }
            ++lineErrors;
            continue;
        }
        if (received.size() >= 2 && received.front() == kFrameStart) {
            check = checkAnswer(received, command);
            // After a time-out the module may still answer the frame sent
            // before: that answer, for another command, comes in the middle
            // of this exchange. It is set aside and the right answer is
            // awaited, instead of failing this exchange and every one after
            // it by one answer's lag.
            if (answerMayBeLate_ && check.verdict == AnswerVerdict::OtherCommand &&
                setAside < kLateAnswersSetAside) {
                ++setAside;
                listen = true;
                continue;
            }
            break;
        }
        if (lostStarts == kLostStartResends) {
            status = kTextLostStart;
            context_.noteLineFault();
            return false;
        }
        ++lostStarts;
    }
    context_.noteAnswerTaken();
    answerMayBeLate_ = timeouts > 0 || setAside > 0;

    switch (check.verdict) {
        case AnswerVerdict::BadChecksum:
            status = kTextBadAnswerChecksum;
            return false;
        case AnswerVerdict::Accepted:
            answer = std::move(check.data);
            return true;
        case AnswerVerdict::DeviceError:
            answer = std::move(check.data);
            DeviceErrorText(answer.data(), static_cast<int>(answer.size()), status);
            return false;
        case AnswerVerdict::OtherCommand:
            answer = std::move(check.data);
            status = kTextOtherCommand;
            return false;
    }
    return false;
}

ProbeResult DeviceLink::ProbeFrame(int selector, Parameter* parameter) {
    if (port_.addressLength() == 11) {
        return ProbeResult::NotPossible;
    }
    const std::string wire = buildProbe(selector, port_.address());
    if (wire.empty()) {
        return ProbeResult::NotPossible;
    }
    std::lock_guard lock(lock_);
    const auto end = selector == kProtocolModbusRtu ? AnswerCollector::End::Silence
                                                    : AnswerCollector::End::CarriageReturn;
    int timeouts = 0;
    int lineErrors = 0;
    ProbeResult code = ProbeResult::Answered;
    std::string received;
    while (true) {
        const TransferResult result = port_.Transceive(wire, received, end);
        if (result == TransferResult::NoAnswer) {
            if (timeouts == kProbeTimeoutResends) {
                code = ProbeResult::Timeout;
                break;
            }
            ++timeouts;
            // The converter may switch its direction by itself, or not.
            port_.setDirectionMode(port_.directionMode() == SerialPort::kDirectionByRts
                                       ? SerialPort::kDirectionAutomatic
                                       : SerialPort::kDirectionByRts);
            continue;
        }
        if (result == TransferResult::LineError) {
            if (lineErrors == kLineErrorResends) {
                code = ProbeResult::LineErrors;
                break;
            }
            ++lineErrors;
            continue;
        }
        code = checkProbeAnswer(selector, port_.address(), received);
        break;
    }
    if (parameter != nullptr) {
        std::string text;
        LinkErrorText(code, text);
        parameter->setStatusText(std::move(text));
    }
    return code;
}

}  // namespace tarn
