#include "document/parameter_edit.h"

#include <algorithm>
#include <climits>

#include "model/net_rs485_prg.h"
#include "model/network_checks.h"
#include "model/object_with_parameters.h"
#include "model/parameter.h"
#include "platform/numbers.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

// The network name of the polled value whose period is not edited.
constexpr std::string_view kOutputStateName = "r.oe.s";

bool nameIsOneOf(const Parameter& parameter, std::initializer_list<std::string_view> names) {
    return std::any_of(names.begin(), names.end(),
                       [&](std::string_view name) { return parameter.hasName(name); });
}

bool isProgramSettings(const ObjectWithParameters* group) {
    return dynamic_cast<const NetRS485prg*>(group) != nullptr;
}

// A copy of a polled value to write through: the same name, type, limits
// and address as the polling thread's parameter, which this thread must not
// touch meanwhile. Polled values carry no attributes.
void copyForWrite(const Parameter& source, Parameter& copy) {
    copy.setValueType(source.valueType());
    copy.setTypeVariant(source.typeVariant());
    copy.setLimits(source.lowerLimit(), source.upperLimit());
    copy.setAddressOffset(source.addressOffset());
    copy.setHasLinearIndex(source.hasLinearIndex());
    copy.setLinearIndex(source.linearIndex());
    copy.setAttributeKind(0);
    copy.setCaption(source.caption());
}

EditOutcome outcomeOf(EditOutcome::Kind kind) {
    EditOutcome outcome;
    outcome.kind = kind;
    return outcome;
}

}  // namespace

CellEditor cellEditorFor(const Parameter& parameter, bool polled, int column) {
    if (polled) {
        if (column == edit_column::kPeriod) {
            return parameter.hasName(kOutputStateName) ? CellEditor::None : CellEditor::Text;
        }
        return column == edit_column::kValue ? CellEditor::Text : CellEditor::None;
    }
    const EditMode mode = parameter.displayRow(false).editMode;
    if (mode == EditMode::None) {
        return CellEditor::None;
    }
    if (column == edit_column::kValue) {
        return mode == EditMode::List ? CellEditor::List : CellEditor::Text;
    }
    if (column == edit_column::kEditable && parameter.attributeKind() != 0) {
        return CellEditor::List;
    }
    return CellEditor::None;
}

std::vector<std::string> listEntriesFor(Parameter& parameter, int column,
                                        const std::string& startText) {
    std::vector<std::string> entries{startText.empty() ? std::string(" ") : startText};
    if (column == edit_column::kEditable) {
        entries.emplace_back(parameter.editable() ? kNotEditableText : kEditableText);
        return entries;
    }
    if (column != edit_column::kValue) {
        return entries;
    }
    if (parameter.hasName("Port")) {
        // A port plugged in since the start shows up.
        parameter.setValueType(serialPortValueType());
    }
    for (std::string& item : parameter.typeItems()) {
        if (item != startText && item.find(kHiddenMark) == std::string::npos) {
            entries.push_back(std::move(item));
        }
    }
    return entries;
}

std::string valueRejectionMessage(const Parameter& parameter, std::string_view newText) {
    std::string message = "Параметеру '" + parameter.networkName() + "' (" + parameter.caption() +
                          ")\nне может быть присвоено значение '" + std::string(newText) + "'.\n ";
    if (parameter.hasName("CHAr*")) {
        message += "(Значение не удовлетворяет требованиям к формату сетевого имени";
    } else {
        message += "(Значение этого параметра должно быть ";
    }
    if (parameter.hasLimits()) {
        message += parameter.valueType() + " и\n";
        message += " должно быть больше " + numbers::fixed(parameter.lowerLimit(), 6) +
                   " и меньше " + numbers::fixed(parameter.upperLimit(), 6) + ")\n";
    }
    return message;
}

ParameterEdit::ParameterEdit(UserInteraction& ui, Hooks hooks)
    : ui_(ui), hooks_(std::move(hooks)) {}

void ParameterEdit::refuse(std::string_view text, std::string_view caption) {
    ui_.showMessage(text, caption, MessageIcon::Error);
}

std::optional<OperationResult> ParameterEdit::writeImmediately(Parameter& parameter) {
    if (!parameter.valueChanged() || !hooks_.immediateWrite || !hooks_.immediateWrite() ||
        !hooks_.write) {
        return std::nullopt;
    }
    parameter.setStatusText({});
    return hooks_.write(parameter);
}

EditOutcome ParameterEdit::commit(const CellEdit& edit) {
    if (edit.oldText == edit.newText) {
        return {};
    }
    EditOutcome outcome;
    if (edit.parameter == nullptr) {
        outcome.kind = EditOutcome::Kind::Ignored;
    } else if (edit.polled) {
        if (edit.column == edit_column::kPeriod) {
            outcome = commitPeriod(*edit.parameter, edit);
        } else if (edit.column == edit_column::kValue) {
            outcome = commitPolledValue(*edit.parameter, edit);
        } else {
            outcome.kind = EditOutcome::Kind::Ignored;
        }
    } else {
        Parameter& parameter = *edit.parameter;
        switch (edit.column) {
            case edit_column::kValue:
                outcome = commitValue(parameter, edit);
                break;
            case edit_column::kEditable:
                parameter.setEditable(edit.newText == kEditableText);
                parameter.setEditableChanged(true);
                outcome.kind = EditOutcome::Kind::Stored;
                break;
            case edit_column::kOwner:
                parameter.setOwnerIsFirm(edit.newText == kFirmText);
                parameter.setOwnerChanged(true);
                outcome.kind = EditOutcome::Kind::Stored;
                break;
            default:
                outcome.kind = EditOutcome::Kind::Ignored;
                break;
        }
    }
    outcome.modified = true;
    return outcome;
}

EditOutcome ParameterEdit::commitPeriod(Parameter& parameter, const CellEdit& edit) {
    const double period = numbers::leadingReal(edit.newText);
    if (!(period >= kShortestPollingPeriod)) {
        refuse(kPeriodMessage, kPeriodCaption);
        return outcomeOf(EditOutcome::Kind::Refused);
    }
    const int milliseconds = period >= INT_MAX ? INT_MAX : static_cast<int>(period);
    const bool polling = parameter.pollingActive();
    if (polling) {
        parameter.stopPolling();
    }
    parameter.setPollingPeriod(milliseconds);
    if (polling) {
        parameter.startPolling();
    }
    return outcomeOf(EditOutcome::Kind::Stored);
}

EditOutcome ParameterEdit::commitPolledValue(Parameter& parameter, const CellEdit& edit) {
    const auto checked = parameter.checkUserInput(edit.newText);
    if (!checked) {
        refuse(valueRejectionMessage(parameter, edit.newText), kRejectionCaption);
        return outcomeOf(EditOutcome::Kind::Refused);
    }
    Parameter copy(parameter.networkName());
    copyForWrite(parameter, copy);
    copy.setValueText(*checked);
    copy.setValueChanged(true);
    EditOutcome outcome;
    if (!hooks_.write) {
        outcome.kind = EditOutcome::Kind::Stored;
        outcome.shownValue = copy.valueText();
        return outcome;
    }
    const OperationResult result = hooks_.write(copy);
    outcome.shownValue = copy.valueText();
    if (result.succeeded()) {
        outcome.kind = EditOutcome::Kind::Written;
        return outcome;
    }
    outcome.kind = EditOutcome::Kind::WriteFailed;
    outcome.shownStatus = copy.statusText();
    ui_.showMessage(copy.statusText(), kWriteFailedCaption, MessageIcon::Error);
    return outcome;
}

EditOutcome ParameterEdit::commitValue(Parameter& parameter, const CellEdit& edit) {
    const bool programSettings = isProgramSettings(edit.parent);
    if (edit.parent != nullptr && !programSettings) {
        bool allowed = true;
        if (nameIsOneOf(parameter, {"A.Len", "Addr", "Prot"})) {
            allowed = addressChangeAllowed(*edit.parent, parameter.networkName(), edit.newText);
        } else if (nameIsOneOf(parameter, {"PrtY", "LEn", "Sbit"})) {
            allowed = framingAllowed(*edit.parent, parameter.networkName(), edit.newText);
        }
        if (!allowed) {
            refuse(kNetworkRulesMessage, kNetworkRulesCaption);
            return outcomeOf(EditOutcome::Kind::Refused);
        }
    }
    if (parameter.hasName("Addr") && !addressStepAllowed(edit.newText)) {
        refuse(kAddressStepMessage, kAddressStepCaption);
        return outcomeOf(EditOutcome::Kind::Refused);
    }
    if (!parameter.setValueChecked(edit.newText)) {
        refuse(valueRejectionMessage(parameter, edit.newText), kRejectionCaption);
        return outcomeOf(EditOutcome::Kind::Refused);
    }
    if (programSettings) {
        // The program's own settings are never written to the module: the
        // port takes them at once, so nothing is left unwritten.
        parameter.setValueChanged(false);
        if (hooks_.applyPortSettings) {
            hooks_.applyPortSettings();
        }
        return outcomeOf(EditOutcome::Kind::PortSettings);
    }
    const auto result = writeImmediately(parameter);
    if (!result) {
        return outcomeOf(EditOutcome::Kind::Stored);
    }
    if (result->succeeded()) {
        return outcomeOf(EditOutcome::Kind::Written);
    }
    ui_.showMessage(parameter.statusText(), kWriteFailedCaption, MessageIcon::Error);
    return outcomeOf(EditOutcome::Kind::WriteFailed);
}

}  // namespace tarn
