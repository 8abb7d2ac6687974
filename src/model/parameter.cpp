#include "model/parameter.h"

#include "model/network_name.h"
#include "platform/text.h"

namespace tarn {
namespace {

std::string truncateForPoll(const std::string& text) {
    // Cut at a character boundary within the fixed buffer of a poll result.
    std::size_t chars = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const auto c = static_cast<unsigned char>(text[pos]);
        if ((c & 0xC0) != 0x80) {
            if (chars == PollResult::kMaxTextChars) {
                return text.substr(0, pos);
            }
            ++chars;
        }
    }
    return text;
}

}  // namespace

Parameter::Parameter() {
    resetToConstruction();
}

Parameter::Parameter(std::string networkName) : MyConverter(std::move(networkName)) {
    resetToConstruction();
}

Parameter::~Parameter() {
    if (outputSlot_ != nullptr && *outputSlot_ == this) {
        *outputSlot_ = nullptr;
    }
    if (pollingTimer_) {
        pollingTimer_->cancel();
    }
    if (pollBudget_) {
        pollBudget_->alive.store(false);
    }
}

void Parameter::resetToConstruction() {
    accessible_ = true;
    hasLinearIndex_ = false;
    linearIndex_ = 0;
    addressOffset_ = 0;
    clearChanges();
    setValueText(std::string(kNoData));
    statusText_.clear();
    attributeKind_ = 0;
    ownerIsFirm_ = false;
    editable_ = true;
}

void Parameter::setNoData() {
    setValueText(std::string(kNoData));
    statusText_.clear();
    editable_ = true;
    ownerIsFirm_ = false;
    clearChanges();
}

void Parameter::clearChanges() {
    valueChanged_ = false;
    editableChanged_ = false;
    ownerChanged_ = false;
}

bool Parameter::setValueChecked(std::string_view text) {
    auto accepted = checkUserInput(text);
    if (!accepted) {
        return false;
    }
    setValueText(std::move(*accepted));
    valueChanged_ = true;
    return true;
}

bool Parameter::statusIsMismatch() const {
    return statusText_.starts_with(kMismatchPrefix);
}

int Parameter::imageIndex() const {
    if (!accessible_) {
        return kImageInaccessible;
    }
    return isEnumeration() ? kImageEnumeration : kImageValue;
}

std::string Parameter::editableText() const {
    if (attributeKind_ == 0) {
        return {};
    }
    return editable_ ? "Редактируемый" : "Не редактируемый";
}

std::string Parameter::ownerText() const {
    if (attributeKind_ == 0) {
        return {};
    }
    return ownerIsFirm_ ? "Фирма" : "Пользователь";
}

RowColour Parameter::rowColour() const {
    if (!statusText_.empty()) {
        return statusIsMismatch() ? kColourMismatch : kColourError;
    }
    if (hasAnyChange()) {
        return kColourChanged;
    }
    return kColourBlack;
}

ParameterRow Parameter::displayRow(bool withIndex) const {
    ParameterRow row;
    row.itemText = caption_;
    row.colour = rowColour();
    if (hasPollingTimer()) {
        if (withIndex) {
            row.itemText += ", " + networkName() + ":" + std::to_string(addressOffset_);
        }
        row.image = kImageScanner;
        row.editMode = EditMode::Text;
        if (!hasName("r.oe.s")) {
            row.cells[0] = std::to_string(pollingPeriod());
        }
        row.stateImage = pollingActive() ? kStateImagePollingOn : kStateImagePollingOff;
        row.cells[1] = valueText();
        row.cells[4] = statusText_;
        return row;
    }
    row.image = imageIndex();
    if (!accessible_) {
        row.editMode = EditMode::None;
    } else {
        row.editMode = isEnumeration() ? EditMode::List : EditMode::Text;
    }
    row.cells[0] = networkName();
    if (hasLinearIndex_ && withIndex) {
        row.cells[0] += ":" + std::to_string(linearIndex_);
    }
    row.cells[1] = valueText();
    row.cells[2] = editableText();
    row.cells[3] = ownerText();
    row.cells[4] = statusText_;
    return row;
}

bool Parameter::createPollingTimer() {
    if (!pollingTimer_) {
        pollingTimer_ = std::make_unique<PollingTimer>();
        pollBudget_ = std::make_shared<PollBudget>();
    }
    addressOffset_ = linearIndex_;
    hasLinearIndex_ = false;
    return true;
}

int Parameter::startPolling() {
    if (!pollingTimer_) {
        return 2;
    }
    if (pollingActive_.exchange(true)) {
        return 1;
    }
    pollingTimer_->arm(std::chrono::milliseconds(pollingPeriod()));
    return 0;
}

int Parameter::stopPolling() {
    if (!pollingActive_.exchange(false)) {
        return 1;
    }
    if (pollingTimer_) {
        pollingTimer_->cancel();
    }
    return 0;
}

int Parameter::pollTick(const std::function<ExchangeResult(Parameter&)>& read,
                        PollResultReceiver* receiver) {
    if (!pollingActive()) {
        return 1;
    }
    PollPlace place = PollPlace::take(pollBudget_);
    if (!place) {
        return 3;
    }
    PollResult result;
    result.addressOffset = addressOffset_;
    result.parameter = this;
    result.before = std::chrono::system_clock::now();
    const ExchangeResult readResult = read(*this);
    result.after = std::chrono::system_clock::now();
    if (readResult == ExchangeResult::Ok) {
        result.valueText = truncateForPoll(valueText());
    } else {
        result.statusText = truncateForPoll(statusText_);
    }
    result.place = std::move(place);
    if (receiver == nullptr) {
        return 4;
    }
    receiver->receivePollResult(std::move(result));
    return 0;
}

int Parameter::pollResultsInFlight() const {
    return pollBudget_ ? pollBudget_->inFlight.load() : 0;
}

}  // namespace tarn
