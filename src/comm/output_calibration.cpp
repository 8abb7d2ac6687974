#include "comm/output_calibration.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "comm/device_link.h"
#include "model/parameter.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

constexpr int kCoefficientsPerOutput = 2;

// "CLB.K" for coefficient `coefficient`, with the attribute exchange.
std::unique_ptr<Parameter> coefficientParameter(int coefficient) {
    auto parameter = std::make_unique<Parameter>(std::string(kCoefficientName));
    parameter->setValueType("int");
    parameter->setLinearIndex(coefficient);
    parameter->setHasLinearIndex(true);
    parameter->setAttributeKind(1);
    return parameter;
}

std::string errorText(std::string_view head, const Parameter& parameter) {
    return std::string(head) + parameter.statusText();
}

}  // namespace

std::vector<CoefficientEntry> coefficientEntries(const OutputTable& outputs) {
    std::vector<CoefficientEntry> entries;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Parameter* output = outputs[i];
        if (output == nullptr || text::equalsNoCase(output->valueText(), kDiscreteOutputType)) {
            continue;
        }
        const int number = static_cast<int>(i) + 1;
        const int first = kCoefficientsPerOutput * static_cast<int>(i);
        entries.push_back({"K4  выхода №" + std::to_string(number), first});
        entries.push_back({"K20 выхода №" + std::to_string(number), first + 1});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return text::compareNoCase(a.text, b.text) < 0;
    });
    return entries;
}

void readUnknownOutputs(const OutputTable& outputs, const std::function<bool()>& autoRead,
                        const std::function<void(Parameter&)>& read) {
    for (Parameter* output : outputs) {
        if (output != nullptr && output->hasNoData() && autoRead()) {
            read(*output);
        }
    }
}

OutputCalibration::OutputCalibration(DeviceLink& link, UserInteraction& ui)
    : link_(link), ui_(ui) {}

ExchangeResult OutputCalibration::exchange(Parameter& parameter, bool read) {
    return link_.ExchangeParameter(parameter, read);
}

bool OutputCalibration::choose(int coefficient) {
    if (finished_) {
        return false;
    }
    if (coefficient_) {
        writeValue(value_);
    }

    auto parameter = coefficientParameter(coefficient);
    if (exchange(*parameter, true) != ExchangeResult::Ok) {
        ui_.showMessage(errorText("Комманда чтения CLB.K вернула ошибку:\n", *parameter), "",
                        MessageIcon::None);
        value_ = 0;
        editable_.reset();
    } else {
        value_ = numbers::leadingInteger(parameter->valueText());
        editable_ = parameter->editable();
        ownerIsFirm_ = parameter->ownerIsFirm();
    }

    if (editable_ == false) {
        char question[256];
        std::snprintf(question, sizeof question,
                      "Предупреждение:\nУ параметра %s:%i установлен атрибут "
                      "'Нередактируемый'.\n\nПродолжить юстировку?",
                      std::string(kCoefficientName).c_str(), coefficient);
        if (!ui_.askYesNo(question, "", MessageIcon::Question, true)) {
            announceEnd();
            finished_ = true;
            return false;
        }
        parameter->setEditable(true);
        if (exchange(*parameter, false) != ExchangeResult::Ok) {
            ui_.showMessage(
                errorText("Комманда записи CLB.K (для изменения атрибутов) вернула ошибку:\n",
                          *parameter),
                "", MessageIcon::None);
        }
    }

    Parameter index{std::string(kCoefficientIndexName)};
    index.setValueType("int");
    index.setValueText(std::to_string(coefficient));
    if (exchange(index, false) != ExchangeResult::Ok) {
        ui_.showMessage(errorText("Комманда CLB.I вернула ошибку:\n", index), "",
                        MessageIcon::None);
    }
    coefficient_ = coefficient;
    return true;
}

bool OutputCalibration::writeValue(int value) {
    if (!coefficient_ || finished_) {
        return true;
    }
    value_ = value;
    auto parameter = coefficientParameter(*coefficient_);
    ExchangeResult result = ExchangeResult::Ok;
    {
        // The whole write, attributes back included, before anything else
        // reaches the module.
        std::lock_guard lock(link_.exchangeLock());
        if (exchange(*parameter, true) == ExchangeResult::Ok && !editable_.has_value()) {
            editable_ = parameter->editable();
            ownerIsFirm_ = parameter->ownerIsFirm();
        }
        if (editable_ == false) {
            parameter->setEditable(true);
            exchange(*parameter, false);
        }
        parameter->setAttributeKind(0);
        parameter->setValueText(std::to_string(value_));
        result = exchange(*parameter, false);
        const std::string status = parameter->statusText();
        if (editable_.has_value()) {
            // The coefficient's attributes as they were.
            parameter->setAttributeKind(1);
            parameter->setEditable(*editable_);
            parameter->setOwnerIsFirm(ownerIsFirm_);
            exchange(*parameter, false);
        }
        parameter->setStatusText(status);
    }
    if (result != ExchangeResult::Ok) {
        ui_.showMessage(errorText("Комманда записи CLB.K вернула ошибку:\n", *parameter), "",
                        MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void OutputCalibration::finish() {
    if (finished_) {
        return;
    }
    if (coefficient_) {
        writeValue(value_);
        announceEnd();
    }
    finished_ = true;
}

void OutputCalibration::announceEnd() {
    Parameter end{std::string(kCalibrationEndName)};
    end.setValueType("void");
    if (exchange(end, true) != ExchangeResult::Ok) {
        ui_.showMessage(errorText("Комманда CLB.A вернула ошибку:\n", end), "", MessageIcon::None);
        return;
    }
    std::this_thread::sleep_for(kEndPause);
}

std::optional<int> OutputCalibration::stepped(int value, int step) {
    const long next = static_cast<long>(value) + step;
    if (next < kMinimumValue || next > kMaximumValue) {
        return std::nullopt;
    }
    return static_cast<int>(next);
}

}  // namespace tarn
