// The check the document runs after loading the tree of a direct-control
// operating mode: a module configured for the intelligent control of
// actuators is offered to be switched back to direct control of its
// outputs.
#pragma once

#include <cstdint>

namespace tarn {

class ExchangeEngine;
class UserInteraction;

enum class ControlModeCheck {
    NotApplicable,  // another operating mode, or unattended operation
    ReadFailed,     // a read failed: the check ended silently
    DirectControl,  // every output is in direct control; nothing asked
    Declined,       // the question was answered No
    Reconfigured,   // Yes: "0" was written to every "nPCP" and "nPCO"
};

inline constexpr const char* kControlModeQuestion =
    "Прибор сконфигурирован для интеллектуального \nуправления исполнительными "
    "механизмами.\n\nПереконфигурировать прибор в режим неинтеллектуального "
    "\n(непосредственного) управления выходными элементами?";

// For the operating modes of direct control (low four bits 1: modes 1 and
// 17) outside unattended operation: reads "nPCP" and "nPCO" of the eight
// outputs (linear indices 0, 8, ..., 56) on the calling thread and, when
// one of them is not "0", asks whether to reconfigure; Yes writes "0" to
// all sixteen (failures of these writes are not reported).
ControlModeCheck checkControlMode(ExchangeEngine& engine, UserInteraction& ui,
                                  std::uint32_t operatingMode, bool unattended);

}  // namespace tarn
