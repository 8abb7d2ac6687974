// OutputCalibration: adjusting the two calibration coefficients of each
// analogue output on the running module — the work of the dialog "Юстировка
// аналоговых выходов", without the dialog.
//
// The module is told which coefficient is adjusted ("CLB.I"), every new
// value is written to it at once ("CLB.K" with the coefficient's number as
// linear index) and the end of the adjustment is announced ("CLB.A"). A
// coefficient that is not editable is made editable for each write and
// given its attributes back afterwards. Every failed command is shown to the
// user with the command's own line and the parameter's status text.
//
// The operations are meant to run one after another on one thread (the
// dialog's worker); the exchanges take the link's exchange lock, so tasks
// and scanners wait, and a value write is never cut by another exchange.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/instantiation_context.h"

namespace tarn {

class DeviceLink;
class Parameter;
class UserInteraction;

inline constexpr std::string_view kDiscreteOutputType = "Дискретный";
inline constexpr std::string_view kCoefficientName = "CLB.K";
inline constexpr std::string_view kCoefficientIndexName = "CLB.I";
inline constexpr std::string_view kCalibrationEndName = "CLB.A";

using OutputTable = std::array<Parameter*, InstantiationContext::kOutputCount>;

// One entry of the coefficient list.
struct CoefficientEntry {
    std::string text;  // "K4  выхода №1", "K20 выхода №1", ...
    int coefficient = 0;
};

// The entries of the analogue outputs (every output whose type is not
// "Дискретный", a type still unknown included), sorted by text.
std::vector<CoefficientEntry> coefficientEntries(const OutputTable& outputs);

// Reads each output whose type is "Нет данных" with `read`, as long as
// `autoRead` says that automatic reading is on (it is asked for each one:
// the reading may switch it off).
void readUnknownOutputs(const OutputTable& outputs, const std::function<bool()>& autoRead,
                        const std::function<void(Parameter&)>& read);

class OutputCalibration {
public:
    static constexpr int kMinimumValue = 0;
    static constexpr int kMaximumValue = 4095;
    // The pause after the end of the adjustment was announced.
    static constexpr std::chrono::milliseconds kEndPause{500};

    // Both must outlive it.
    OutputCalibration(DeviceLink& link, UserInteraction& ui);

    // Chooses coefficient `coefficient`: writes the value of the one chosen
    // before, reads the new one, asks before adjusting a coefficient that is
    // not editable, and tells the module which one is adjusted. False when
    // the user declined a coefficient that is not editable: the end of the
    // adjustment was then announced, and the dialog closes.
    bool choose(int coefficient);

    // Writes `value` into the chosen coefficient (nothing when none is
    // chosen). False when the module refused it (the user was told).
    bool writeValue(int value);

    // Ends the adjustment: writes the chosen coefficient's value and
    // announces the end; nothing when no coefficient was chosen. Only the
    // first call does anything.
    void finish();

    // `value` plus `step`, when that lies in the coefficients' range.
    static std::optional<int> stepped(int value, int step);

    bool coefficientChosen() const { return coefficient_.has_value(); }
    int coefficient() const { return coefficient_.value_or(-1); }
    int value() const { return value_; }
    bool finished() const { return finished_; }

private:
    void announceEnd();
    ExchangeResult exchange(Parameter& parameter, bool read);

    DeviceLink& link_;
    UserInteraction& ui_;
    std::optional<int> coefficient_;
    int value_ = 0;
    // The chosen coefficient's attributes as the module reported them; unset
    // while no read of them succeeded (they are then not written back).
    std::optional<bool> editable_;
    bool ownerIsFirm_ = false;
    bool finished_ = false;
};

}  // namespace tarn
