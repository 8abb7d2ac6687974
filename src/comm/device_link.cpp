#include "comm/device_link.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

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

// Outcomes of frames in the monitor and the trace.
constexpr std::string_view kOutcomeAnswered = "ответ получен";
constexpr std::string_view kOutcomeAccepted = "принят";
constexpr std::string_view kOutcomeNoAnswerResent = "нет ответа, повтор";
constexpr std::string_view kOutcomeLineErrorResent = "ошибка линии, повтор";
constexpr std::string_view kOutcomeLostStartResent = "потеря начала посылки, повтор";
constexpr std::string_view kOutcomeLineError = "ошибки четности или кадра";
constexpr std::string_view kOutcomeSetAside = "ответ на прежнюю команду, отложен";
constexpr std::string_view kOutcomeStopped = "обмен прерван программой";
constexpr std::string_view kOutcomeNobodyAnswers = "без ответа (APLY)";

using Clock = std::chrono::steady_clock;

std::string_view probeName(int selector) {
    switch (selector) {
        case kProtocolModbusRtu:
            return "Modbus RTU";
        case kProtocolModbusAscii:
            return "Modbus ASCII";
        case kProtocolDcon:
            return "DCON";
        default:
            return {};
    }
}

int millisecondsSince(Clock::time_point start) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

DeviceLink::ReportAfter::~ReportAfter() {
    if (--link_.exchangeDepth_ == 0) {
        link_.publishFrames();
    }
}

void DeviceLink::addFrameObserver(FrameObserver* observer) {
    std::lock_guard lock(observersMutex_);
    if (observer != nullptr &&
        std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
        observers_.push_back(observer);
    }
    reporting_.store(!observers_.empty());
}

void DeviceLink::removeFrameObserver(FrameObserver* observer) {
    std::lock_guard lock(observersMutex_);
    std::erase(observers_, observer);
    reporting_.store(!observers_.empty());
}

void DeviceLink::publishFrames() {
    if (pendingFrames_.empty()) {
        return;
    }
    {
        std::lock_guard lock(observersMutex_);
        for (FrameObserver* observer : observers_) {
            observer->framesExchanged(pendingFrames_);
        }
    }
    pendingFrames_.clear();
}

void DeviceLink::noteAnswerValue(const std::string& value) {
    if (!pendingFrames_.empty() && pendingFrames_.back().direction == FrameDirection::Received &&
        !pendingFrames_.back().error) {
        pendingFrames_.back().valueText = value;
    }
}

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
    ReportAfter report(*this);
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

    // The frames of this transaction for the observers: each sending, with
    // what became of it, and each answer that came.
    const bool recording = reportingFrames();
    std::size_t sentRow = 0;
    Clock::time_point sentAt;
    const auto frameName = [&](std::uint16_t hash) -> std::string {
        if (hash == command) {
            return label_.name;
        }
        return hash == kHashNErr ? std::string("n.Err") : std::string();
    };
    const auto recordSent = [&] {
        if (!recording) {
            return;
        }
        FrameRecord row;
        row.time = std::chrono::system_clock::now();
        row.direction = FrameDirection::Sent;
        row.source = currentFrameSource();
        row.wire = wire;
        row.name = frameName(command);
        row.hasHash = true;
        row.hash = command;
        row.address = frame.address;
        row.linearIndex = label_.linearIndex;
        row.data = frame.data;
        if (!readFlag) {
            row.valueText = label_.valueText;
        }
        row.attempt = timeouts + lineErrors + lostStarts;
        sentRow = pendingFrames_.size();
        pendingFrames_.push_back(std::move(row));
        sentAt = Clock::now();
    };
    const auto sentOutcome = [&](std::string_view outcome, bool error) {
        if (!recording || sentRow >= pendingFrames_.size()) {
            return;
        }
        FrameRecord& row = pendingFrames_[sentRow];
        row.outcome = row.attempt > 0 ? "повтор " + std::to_string(row.attempt) + ": " : "";
        row.outcome += outcome;
        row.error = error;
    };
    const auto recordReceived = [&](std::string_view outcome, bool error) {
        if (!recording || received.empty()) {
            return;
        }
        FrameRecord row;
        row.time = std::chrono::system_clock::now();
        row.sinceRequestMs = millisecondsSince(sentAt);
        row.direction = FrameDirection::Received;
        row.source = currentFrameSource();
        row.wire = received;
        if (const auto parsed = parseFrame(received, port_.addressLength())) {
            row.hasHash = true;
            row.hash = parsed->frame.hash;
            row.name = frameName(parsed->frame.hash);
            row.address = parsed->frame.address;
            row.data = parsed->frame.data;
            if (parsed->frame.hash == command || parsed->frame.hash == kHashNErr) {
                row.linearIndex = label_.linearIndex;
            }
        }
        row.outcome = outcome;
        row.error = error;
        pendingFrames_.push_back(std::move(row));
    };

    if (command == kHashAply) {
        // The module switches its line at once; nobody answers, so nobody
        // is waited for.
        recordSent();
        port_.Send(wire);
        sentOutcome(kOutcomeNobodyAnswers, false);
        return true;
    }
    while (true) {
        if (!listen) {
            recordSent();
        }
        const TransferResult result =
            listen ? port_.Listen(received) : port_.Transceive(wire, received);
        listen = false;
        if (result == TransferResult::Aborted && port_.stopEvent().isSignalled()) {
            // The program stops the exchange (shutdown, worker threads
            // stopped): resending would only fail again at once. It is no
            // fault of the line, so the run result code keeps what it holds
            // (an exit request's code among others).
            sentOutcome(kOutcomeStopped, true);
            status = kTextLostStart;
            return false;
        }
        if (result == TransferResult::NoAnswer) {
            answerMayBeLate_ = true;
            if (timeouts == kTimeoutResends) {
                sentOutcome(kTextTimeout, true);
                status = kTextTimeout;
                context_.noteTimeout();
                return false;
            }
            sentOutcome(kOutcomeNoAnswerResent, true);
            ++timeouts;
            continue;
        }
        if (result == TransferResult::LineError) {
            recordReceived(kOutcomeLineError, true);
            if (lineErrors == kLineErrorResends) {
                sentOutcome(kTextBadPortSettings, true);
                status = kTextBadPortSettings;
                context_.noteLineFault();
                return false;
            }
            sentOutcome(kOutcomeLineErrorResent, true);
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
                recordReceived(kOutcomeSetAside, false);
                ++setAside;
                listen = true;
                continue;
            }
            break;
        }
        recordReceived(kTextLostStart, true);
        if (lostStarts == kLostStartResends) {
            sentOutcome(kTextLostStart, true);
            status = kTextLostStart;
            context_.noteLineFault();
            return false;
        }
        sentOutcome(kOutcomeLostStartResent, true);
        ++lostStarts;
    }
    context_.noteAnswerTaken();
    answerMayBeLate_ = timeouts > 0 || setAside > 0;

    bool accepted = false;
    switch (check.verdict) {
        case AnswerVerdict::BadChecksum:
            status = kTextBadAnswerChecksum;
            break;
        case AnswerVerdict::Accepted:
            answer = std::move(check.data);
            accepted = true;
            break;
        case AnswerVerdict::DeviceError:
            answer = std::move(check.data);
            DeviceErrorText(answer.data(), static_cast<int>(answer.size()), status);
            break;
        case AnswerVerdict::OtherCommand:
            answer = std::move(check.data);
            status = kTextOtherCommand;
            break;
    }
    sentOutcome(kOutcomeAnswered, false);
    recordReceived(accepted ? kOutcomeAccepted : std::string_view(status), !accepted);
    return accepted;
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
    ReportAfter report(*this);
    const auto end = selector == kProtocolModbusRtu ? AnswerCollector::End::Silence
                                                    : AnswerCollector::End::CarriageReturn;
    int timeouts = 0;
    int lineErrors = 0;
    ProbeResult code = ProbeResult::Answered;
    std::string received;
    const bool recording = reportingFrames();
    std::size_t sentRow = 0;
    Clock::time_point sentAt;
    const auto record = [&](FrameDirection direction, const std::string& characters) {
        FrameRecord row;
        row.time = std::chrono::system_clock::now();
        row.direction = direction;
        row.source = currentFrameSource();
        row.binary = selector == kProtocolModbusRtu;
        row.wire = characters;
        row.name = probeName(selector);
        row.address = port_.address();
        if (direction == FrameDirection::Received) {
            row.sinceRequestMs = millisecondsSince(sentAt);
        } else {
            row.attempt = timeouts + lineErrors;
            sentRow = pendingFrames_.size();
        }
        pendingFrames_.push_back(std::move(row));
    };
    const auto sentOutcome = [&](std::string_view outcome, bool error) {
        if (!recording) {
            return;
        }
        FrameRecord& row = pendingFrames_[sentRow];
        row.outcome = row.attempt > 0 ? "повтор " + std::to_string(row.attempt) + ": " : "";
        row.outcome += outcome;
        row.error = error;
    };
    while (true) {
        if (recording) {
            record(FrameDirection::Sent, wire);
            sentAt = Clock::now();
        }
        const TransferResult result = port_.Transceive(wire, received, end);
        if (result == TransferResult::NoAnswer) {
            if (timeouts == kProbeTimeoutResends) {
                code = ProbeResult::Timeout;
                break;
            }
            sentOutcome(kOutcomeNoAnswerResent, true);
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
            sentOutcome(kOutcomeLineErrorResent, true);
            ++lineErrors;
            continue;
        }
        code = checkProbeAnswer(selector, port_.address(), received);
        break;
    }
    std::string text;
    LinkErrorText(code, text);
    if (recording) {
        sentOutcome(code == ProbeResult::Answered || !received.empty() ? kOutcomeAnswered
                                                                       : std::string_view(text),
                    code != ProbeResult::Answered && received.empty());
        if (!received.empty()) {
            record(FrameDirection::Received, received);
            pendingFrames_.back().outcome =
                code == ProbeResult::Answered ? std::string(kOutcomeAccepted) : text;
            pendingFrames_.back().error = code != ProbeResult::Answered;
        }
    }
    if (parameter != nullptr) {
        parameter->setStatusText(std::move(text));
    }
    return code;
}

}  // namespace tarn
