// What exchanging one parameter with the module gave, and what an operation
// of a device task did with a parameter.
//
// The exchange with the module belongs to the communication layer; the
// results live here because the group operations of the tree and the
// polling of a parameter receive them.
#pragma once

namespace tarn {

// Results of one parameter's exchange (the status text says why it failed).
enum class ExchangeResult : int {
    Ok = 0,
    NoParameter = -1,        // nothing to exchange
    Failed = 1,              // the transaction failed: no answer, an error answer, a damaged one
    Undecodable = 2,         // the answer cannot be decoded, or a name code is not allowed
    NoWriteCoding = 3,       // the value type has no coding for writes
    BadValue = 4,            // the value or the network name cannot be coded
    AttributesFailed = 200,  // the attribute exchange before the value failed
    AttributeSize = 201,     // the attribute answer had the wrong size
};

// Why an operation of a task passed a parameter over without exchanging it.
enum class OperationSkip : int {
    None = 0,           // it was exchanged
    Interrupted = 3,    // a compare after the task was asked to stop
    NoData = 5,         // a write of "Нет данных"
    NegativeIndex = 6,  // a parameter with a negative linear index
};

// The outcome of a read, write or compare of one parameter by the engine.
struct OperationResult {
    ExchangeResult exchange = ExchangeResult::Ok;
    OperationSkip skipped = OperationSkip::None;

    OperationResult() = default;
    OperationResult(ExchangeResult result) : exchange(result) {}  // NOLINT: an exchange's outcome
    OperationResult(OperationSkip why) : skipped(why) {}          // NOLINT: a skip

    bool succeeded() const {
        return skipped == OperationSkip::None && exchange == ExchangeResult::Ok;
    }
    friend bool operator==(const OperationResult&, const OperationResult&) = default;
};

}  // namespace tarn
