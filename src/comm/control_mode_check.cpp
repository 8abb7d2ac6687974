#include "comm/control_mode_check.h"

#include <array>

#include "comm/exchange_engine.h"
#include "model/parameter.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

constexpr int kOutputs = 8;
constexpr int kIndexStep = 8;

}  // namespace

ControlModeCheck checkControlMode(ExchangeEngine& engine, UserInteraction& ui,
                                  std::uint32_t operatingMode, bool unattended) {
    if ((operatingMode & 0x0F) != 1 || unattended) {
        return ControlModeCheck::NotApplicable;
    }
    std::array<Parameter, 2> pair = {Parameter("nPCP"), Parameter("nPCO")};
    for (Parameter& parameter : pair) {
        parameter.setValueType("int");
        parameter.setHasLinearIndex(true);
    }

    bool allDirect = true;
    for (int output = 0; output < kOutputs && allDirect; ++output) {
        for (Parameter& parameter : pair) {
            parameter.setLinearIndex(output * kIndexStep);
            if (!engine.ReadParameter(parameter).succeeded() || !parameter.statusText().empty()) {
                return ControlModeCheck::ReadFailed;
            }
        }
        allDirect = pair[0].valueText() == "0" && pair[1].valueText() == "0";
    }
    if (allDirect) {
        return ControlModeCheck::DirectControl;
    }
    if (!ui.askYesNo(kControlModeQuestion, "", MessageIcon::Information)) {
        return ControlModeCheck::Declined;
    }
    for (int output = 0; output < kOutputs; ++output) {
        for (Parameter& parameter : pair) {
            parameter.setLinearIndex(output * kIndexStep);
            parameter.setValueText("0");
            engine.WriteParameter(parameter, kWriteAll);
        }
    }
    return ControlModeCheck::Reconfigured;
}

}  // namespace tarn
