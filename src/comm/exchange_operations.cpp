// The operations of the exchange engine on one parameter: read, write,
// compare, with their progress lines, the error log and the rules that
// pause the exchange after repeated time-outs.
#include <array>
#include <cstdio>

#include "comm/device_link.h"
#include "comm/error_log.h"
#include "comm/error_texts.h"
#include "comm/exchange_engine.h"
#include "model/parameter.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

// Time-outs in a row after which the exchange pauses.
constexpr int kTimeoutLimit = 4;

// The module's own network settings: writing one of them successfully asks
// for the apply procedure after the task.
constexpr std::array<std::string_view, 6> kDeviceSettingNames = {"bPS",  "LEn",   "PrtY",
                                                                 "Sbit", "A.Len", "Addr"};

bool isDeviceSetting(const Parameter& parameter) {
    for (const auto name : kDeviceSettingNames) {
        if (parameter.hasName(name)) {
            return true;
        }
    }
    return false;
}

// The network name, with ":" and the linear index when it has one.
std::string label(const Parameter& parameter) {
    std::string text = parameter.networkName();
    if (parameter.hasLinearIndex()) {
        text += ":" + std::to_string(parameter.linearIndex());
    }
    return text;
}

std::string readTimeoutMessage(int count) {
    char head[512];
    std::snprintf(head, sizeof head,
                  "Так как прошло %i неудачных попыток чтения параметров подряд,\n"
                  "похоже что прибор TARN не подключен к компьютеру\n"
                  "(или связь стабильно отсутствует по какой-либо другой причине). \n"
                  "Ради избежания бессмысленных задержек и торможения компьютера\n",
                  count);
    return head;
}

constexpr std::string_view kAutoReadOffNote =
    "режим автоматического чтения параметров был отключен.\n"
    "Вы можете заново включить этот режим в меню 'Вид'.\n\n";
constexpr std::string_view kExchangePaused = "Операции обмена приостановлены.";

std::string editableWord(bool editable) {
    return editable ? "Редактируемый" : "Не редактируемый";
}

std::string ownerWord(bool firm) {
    return firm ? "фирме" : "пользователю";
}

}  // namespace

void ExchangeEngine::noteFailure(const Parameter& parameter) {
    const std::string path = settings().errorLogPath;
    if (!path.empty() && !parameter.statusText().empty()) {
        appendErrorLogLine(path, parameter);
    }
}

OperationResult ExchangeEngine::ReadParameter(Parameter& parameter) {
    ++processed_;
    if (parameter.linearIndex() < 0) {
        return OperationSkip::NegativeIndex;
    }
    const ExchangeResult result = link_.ExchangeParameter(parameter, true);
    bool timedOut = false;
    if (result != ExchangeResult::Ok) {
        noteFailure(parameter);
        timedOut = parameter.statusText() == kTextTimeout;
    }
    if (timedOut) {
        const int failures = ++consecutiveFailures_;
        if (failures > kTimeoutLimit && settings().mainWindowExists) {
            std::string message = readTimeoutMessage(failures);
            const bool autoReadWasOn = link_.context().autoRead();
            if (autoReadWasOn) {
                message += kAutoReadOffNote;
                link_.context().setAutoRead(false);
            }
            message += kExchangePaused;
            consecutiveFailures_.store(0);
            signalInterrupt();
            onCallerThread([this, message, autoReadWasOn] {
                EngineObserver* observer = observer_.load();
                if (autoReadWasOn && observer != nullptr) {
                    observer->autoReadSwitchedOff();
                }
                ui_.showMessage(message, "", MessageIcon::Error, kMessageTopmost);
            });
        }
    } else {
        consecutiveFailures_.store(0);
        if (EngineObserver* observer = observer_.load()) {
            observer->viewRedrawRequested();
        }
    }
    ProgressLine("  Чтение: " + label(parameter) + " = " + parameter.valueText());
    return result;
}

OperationResult ExchangeEngine::WriteParameter(Parameter& parameter, int mode) {
    ++processed_;
    const std::string line = "  Запись: " + label(parameter);
    const std::string value = mode < 0 ? parameter.initialValue() : parameter.valueText();
    if (value == kNoData) {
        parameter.setStatusText(std::string(kTextNotInitialised));
        return OperationSkip::NoData;
    }
    if (parameter.linearIndex() < 0) {
        return OperationSkip::NegativeIndex;
    }
    if (mode < 0) {
        if (parameter.hasName("clb.k")) {
            // Calibration coefficients start at the ends of the range: the
            // first of each pair at 0, the second at full scale.
            parameter.setValueText(parameter.linearIndex() % 2 == 0 ? "0" : "4095");
        } else {
            parameter.setValueText(parameter.initialValue());
        }
    }
    const ExchangeResult result = link_.ExchangeParameter(parameter, false);
    if (result != ExchangeResult::Ok) {
        noteFailure(parameter);
    } else {
        if (isDeviceSetting(parameter)) {
            deviceSettingsWritten_.store(true);
        }
        consecutiveFailures_.store(0);
    }
    ProgressLine(line + " = " + parameter.valueText() + " [новое значение]");
    if ((result != ExchangeResult::Ok && parameter.statusText() == kTextTimeout) ||
        result == ExchangeResult::NoParameter) {
        if (++consecutiveFailures_ > kTimeoutLimit) {
            ProgressLine(kTextWriteTimeouts);
            consecutiveFailures_.store(0);
            signalInterrupt();
            link_.context().setRunResultCode(kRunTimeout);
        }
    }
    return result;
}

OperationResult ExchangeEngine::CompareParameter(Parameter& parameter) {
    if (interruptSignalled()) {
        return OperationSkip::Interrupted;
    }
    if (parameter.linearIndex() < 0) {
        return OperationSkip::NegativeIndex;
    }
    ++processed_;
    std::string line = "  Сравниваем: " + parameter.networkName() + "=" + parameter.valueText();
    if (parameter.hasLinearIndex()) {
        line += ":" + std::to_string(parameter.linearIndex());
    }

    // The module's state goes into a copy, so that the configuration keeps
    // its value.
    Parameter device(parameter.networkName());
    device.setValueType(parameter.valueType());
    device.setTypeVariant(parameter.typeVariant());
    device.setLimits(parameter.lowerLimit(), parameter.upperLimit());
    device.setLinearIndex(parameter.linearIndex());
    device.setHasLinearIndex(parameter.hasLinearIndex());
    device.setAttributeKind(parameter.attributeKind());
    const ExchangeResult result = link_.ExchangeParameter(device, true);

    ProgressLine(line + "<>" + device.valueText());

    const bool differs = device.valueText() != parameter.valueText() ||
                         device.editable() != parameter.editable() ||
                         device.ownerIsFirm() != parameter.ownerIsFirm();
    std::lock_guard lock(taskMutex_);
    compareOutcomes_.push_back({
        .parameter = &parameter,
        .networkName = parameter.networkName(),
        .hasLinearIndex = parameter.hasLinearIndex(),
        .linearIndex = parameter.linearIndex(),
        .caption = parameter.caption(),
        .configurationValue = parameter.valueText(),
        .configurationEditable = parameter.editable(),
        .configurationOwnerIsFirm = parameter.ownerIsFirm(),
        .moduleValue = device.valueText(),
        .moduleEditable = device.editable(),
        .moduleOwnerIsFirm = device.ownerIsFirm(),
        .moduleStatus = device.statusText(),
        .result = result,
        .differs = differs,
    });
    if (!differs) {
        return result;
    }
    ++compareDifferences_;
    if (compareDifferences_ <= kReportedDifferences) {
        compareReport_ +=
            "\n" + std::to_string(compareDifferences_) + ") Параметер '" + parameter.networkName() +
            " (" + parameter.caption() + ") в конфигурации: значение=" + parameter.valueText() +
            "," + editableWord(parameter.editable()) + ",принадлежит " +
            ownerWord(parameter.ownerIsFirm()) + "; в приборе: значение=" + device.valueText() +
            "," + editableWord(device.editable()) + ",принадлежит " +
            ownerWord(device.ownerIsFirm()) + ".\n";
        std::string status = std::string(kMismatchPrefix) + " '" + device.valueText() + "'," +
                             (device.editable() ? "Ред-ый," : "Не ред-ый,") +
                             (device.ownerIsFirm() ? "фирм." : "польз.");
        if (!parameter.statusText().empty()) {
            status += "; " + parameter.statusText();
        }
        parameter.setStatusText(std::move(status));
    }
    return result;
}

}  // namespace tarn
