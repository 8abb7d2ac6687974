// What the group operations need from the exchange engine.
//
// Branches and groups decide which of their parameters take part in a read,
// write or compare and in which order; the engine performs the exchange of
// one parameter and reports through its result. The engine
// also owns the stop request of a running task and the progress display.
#pragma once

#include <string_view>

#include "model/exchange_result.h"

namespace tarn {

class Parameter;

// Write modes of a group.
inline constexpr int kWriteChanged = 0;
inline constexpr int kWriteAll = 1;
inline constexpr int kWriteInitialValues = -1;

class ParameterExchanger {
public:
    virtual ~ParameterExchanger() = default;

    // Each tells whether the parameter was exchanged and how it went.
    virtual OperationResult ReadParameter(Parameter& parameter) = 0;
    virtual OperationResult WriteParameter(Parameter& parameter, int mode) = 0;
    virtual OperationResult CompareParameter(Parameter& parameter) = 0;

    // Whether the running task was asked to stop; must not wait.
    virtual bool stopRequested() const = 0;

    // One line of the progress display.
    virtual void ProgressLine(std::string_view text) = 0;
};

// Parameters handled by a group operation and how many of them failed.
struct ExchangeCounts {
    int handled = 0;
    int failed = 0;

    ExchangeCounts& operator+=(const ExchangeCounts& other) {
        handled += other.handled;
        failed += other.failed;
        return *this;
    }
    friend bool operator==(const ExchangeCounts&, const ExchangeCounts&) = default;
};

}  // namespace tarn
