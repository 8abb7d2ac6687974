#include "model/object_with_parameters.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {

bool qualifiesForWrite(const Parameter& parameter, int mode) {
    if (mode == kWriteChanged) {
        return parameter.hasAnyChange();
    }
    if (mode < 0) {
        return !parameter.initialValue().empty();
    }
    return true;
}

void ObjectWithParameters::fill() {
    deleteParameters();
}

Parameter& ObjectWithParameters::addParameter(std::unique_ptr<Parameter> parameter) {
    parameters_.push_back(std::move(parameter));
    return *parameters_.back();
}

void ObjectWithParameters::deleteParameters() {
    parameters_.clear();
    displayedCount_ = 0;
}

Parameter* ObjectWithParameters::find(std::string_view networkName) {
    for (auto& parameter : parameters_) {
        if (parameter->hasName(networkName)) {
            return parameter.get();
        }
    }
    return nullptr;
}

const Parameter* ObjectWithParameters::find(std::string_view networkName) const {
    return const_cast<ObjectWithParameters*>(this)->find(networkName);
}

std::string ObjectWithParameters::valueByName(std::string_view networkName) const {
    const Parameter* parameter = find(networkName);
    return parameter != nullptr ? parameter->valueText() : std::string();
}

int ObjectWithParameters::setValueByName(std::string_view networkName, std::string value,
                                         bool mark) {
    Parameter* parameter = find(networkName);
    if (parameter == nullptr) {
        return kNameNotFound;
    }
    const bool differs = !text::equalsNoCase(parameter->valueText(), value);
    parameter->setValueText(std::move(value));
    if (mark && differs) {
        parameter->setValueChanged(true);
    }
    return kValueSet;
}

void ObjectWithParameters::clearChanges() {
    for (auto& parameter : parameters_) {
        parameter->clearChanges();
    }
}

int ObjectWithParameters::hasChanges() const {
    for (const auto& parameter : parameters_) {
        if (parameter->hasAnyChange()) {
            return 2;
        }
    }
    return 0;
}

void ObjectWithParameters::setNoData() {
    for (auto& parameter : parameters_) {
        parameter->setNoData();
    }
    clearChanges();
}

void ObjectWithParameters::setLinearIndex(std::int32_t index) {
    for (auto& parameter : parameters_) {
        if (parameter->hasLinearIndex()) {
            parameter->setLinearIndex(index);
        }
    }
    commonLinearIndex_ = index;
}

std::int32_t ObjectWithParameters::commonLinearIndex(UserInteraction& ui) {
    if (commonLinearIndex_ == -1) {
        for (const auto& parameter : parameters_) {
            if (parameter->hasLinearIndex()) {
                commonLinearIndex_ = parameter->linearIndex();
                return commonLinearIndex_;
            }
        }
        return commonLinearIndex_;
    }
    for (const auto& parameter : parameters_) {
        if (parameter->hasLinearIndex() && parameter->linearIndex() != commonLinearIndex_) {
            ui.showMessage("Параметер '" + parameter->networkName() + "' (" + parameter->caption() +
                               ") имеет подозрительный линейный индекс.",
                           "Предупреждение", MessageIcon::Exclamation);
        }
    }
    return commonLinearIndex_;
}

ExchangeCounts ObjectWithParameters::compareAll(ParameterExchanger& engine) {
    return compareOwn(engine);
}

ExchangeCounts ObjectWithParameters::readAll(ParameterExchanger& engine) {
    return readOwn(engine);
}

ExchangeCounts ObjectWithParameters::writeAll(ParameterExchanger& engine, int mode) {
    return writeOwn(engine, mode);
}

ExchangeCounts ObjectWithParameters::compareOwn(ParameterExchanger& engine) {
    ExchangeCounts counts;
    if (engine.stopRequested()) {
        return counts;
    }
    for (auto& parameter : parameters_) {
        ++counts.handled;
        if (!engine.CompareParameter(*parameter).succeeded()) {
            ++counts.failed;
        }
        if (engine.stopRequested()) {
            break;
        }
    }
    return counts;
}

ExchangeCounts ObjectWithParameters::readOwn(ParameterExchanger& engine) {
    ExchangeCounts counts;
    if (engine.stopRequested()) {
        return counts;
    }
    for (auto& parameter : parameters_) {
        ++counts.handled;
        if (!engine.ReadParameter(*parameter).succeeded()) {
            ++counts.failed;
        }
        // "Прервать!" ends the read after the parameter in hand, whether it
        // was read or not.
        if (engine.stopRequested()) {
            break;
        }
    }
    return counts;
}

ExchangeCounts ObjectWithParameters::writeOwn(ParameterExchanger& engine, int mode) {
    ExchangeCounts counts;
    if (engine.stopRequested()) {
        return counts;
    }
    for (auto& parameter : parameters_) {
        if (!parameter->accessible() || !qualifiesForWrite(*parameter, mode)) {
            continue;
        }
        ++counts.handled;
        if (!engine.WriteParameter(*parameter, mode).succeeded()) {
            ++counts.failed;
        }
        if (engine.stopRequested()) {
            break;
        }
    }
    return counts;
}

bool ObjectWithParameters::hasParameterToWrite(int mode) const {
    for (const auto& parameter : parameters_) {
        if (parameter->accessible() && qualifiesForWrite(*parameter, mode)) {
            return true;
        }
    }
    return false;
}

std::vector<Parameter*> ObjectWithParameters::parametersForDisplay(int limit) {
    std::size_t count = parameters_.size();
    if (limit >= 0 && static_cast<std::size_t>(limit) < count) {
        count = static_cast<std::size_t>(limit);
    }
    std::vector<Parameter*> shown;
    shown.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        shown.push_back(parameters_[i].get());
    }
    displayedCount_ = static_cast<std::int32_t>(count);
    return shown;
}

std::vector<Parameter*> ObjectWithParameters::remainingForDisplay() {
    std::vector<Parameter*> shown;
    for (std::size_t i = static_cast<std::size_t>(std::max(displayedCount_, 0));
         i < parameters_.size(); ++i) {
        shown.push_back(parameters_[i].get());
    }
    displayedCount_ = static_cast<std::int32_t>(parameters_.size());
    return shown;
}

}  // namespace tarn
