// Parameter: one parameter of the module as the program knows it.
//
// A MyConverter (network name, value text, value type, limits) plus the
// caption, the linear index within repeated branches, the module's access
// attributes, the change and status state, and periodic polling for the
// parameters of the scanner list.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/exchange_result.h"
#include "model/my_converter.h"
#include "model/poll_result.h"
#include "model/polling_timer.h"
#include "model/row_colour.h"

namespace tarn {

// Texts the status of a compare difference begins with.
inline constexpr std::string_view kMismatchPrefix = "Знач-е в приборе:";

// How the view edits a row.
enum class EditMode { None, Text, List };

// Image indices of the view's image list.
inline constexpr int kImageEnumeration = 27;
inline constexpr int kImageValue = 28;
inline constexpr int kImageInaccessible = 30;
inline constexpr int kImageScanner = 17;
inline constexpr int kStateImagePollingOff = 1;
inline constexpr int kStateImagePollingOn = 3;

// What one parameter row of the tree-list view shows. Column 0 is the item
// text; `cells[i]` is column i + 1.
struct ParameterRow {
    std::string itemText;
    std::array<std::string, 5> cells;
    int image = 0;
    int stateImage = 0;  // 0: none
    EditMode editMode = EditMode::None;
    RowColour colour;
};

class Parameter : public MyConverter {
public:
    // Value type empty.
    Parameter();
    // Value type "неизвестен".
    explicit Parameter(std::string networkName);
    ~Parameter() override;

    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    // Accessible, no linear index, address offset 0, changes cleared, value
    // "Нет данных", no status, attribute kind 0, owner the user, editable.
    void resetToConstruction();
    // Forgets the value: "Нет данных", no status, editable, owner the user,
    // changes cleared. Index, accessibility and attribute kind stay.
    void setNoData();
    bool hasNoData() const { return valueText() == kNoData; }

    // Checks a text entered by the user (MyConverter::checkUserInput); on
    // success stores it, marks the value changed and returns true.
    bool setValueChecked(std::string_view text);

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption) { caption_ = std::move(caption); }

    bool hasLinearIndex() const { return hasLinearIndex_; }
    void setHasLinearIndex(bool has) { hasLinearIndex_ = has; }
    std::int32_t linearIndex() const { return linearIndex_; }
    void setLinearIndex(std::int32_t index) { linearIndex_ = index; }

    bool valueChanged() const { return valueChanged_; }
    void setValueChanged(bool changed) { valueChanged_ = changed; }
    bool editableChanged() const { return editableChanged_; }
    void setEditableChanged(bool changed) { editableChanged_ = changed; }
    bool ownerChanged() const { return ownerChanged_; }
    void setOwnerChanged(bool changed) { ownerChanged_ = changed; }
    bool hasAnyChange() const { return valueChanged_ || editableChanged_ || ownerChanged_; }
    void clearChanges();

    const std::string& statusText() const { return statusText_; }
    void setStatusText(std::string text) { statusText_ = std::move(text); }
    bool statusIsMismatch() const;

    bool accessible() const { return accessible_; }
    void setAccessible(bool accessible) { accessible_ = accessible; }
    bool editable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }
    bool ownerIsFirm() const { return ownerIsFirm_; }
    void setOwnerIsFirm(bool firm) { ownerIsFirm_ = firm; }
    // 0: no attributes ("noattr"); 1: ordinary; n > 1: attribute tree cut,
    // index multiplicity n.
    std::uint8_t attributeKind() const { return attributeKind_; }
    void setAttributeKind(std::uint8_t kind) { attributeKind_ = kind; }

    // Added to the module's base address; -1 sends to address 255.
    std::int32_t addressOffset() const { return addressOffset_; }
    void setAddressOffset(std::int32_t offset) { addressOffset_ = offset; }

    std::int32_t tableMode() const { return tableMode_; }
    void setTableMode(std::int32_t mode) { tableMode_ = mode; }

    const std::string& initialValue() const { return initialValue_; }
    void setInitialValue(std::string value) { initialValue_ = std::move(value); }

    // The slot of the document's table of outputs that points back to this
    // parameter ("POUt" parameters); cleared when the parameter goes.
    void setOutputSlot(Parameter** slot) { outputSlot_ = slot; }
    Parameter** outputSlot() const { return outputSlot_; }

    // Image of the parameter in the view: 27 accessible enumeration, 28
    // accessible value of another kind, 30 not accessible.
    int imageIndex() const;

    // "Редактируемый"/"Не редактируемый" and "Фирма"/"Пользователь", empty
    // when the parameter has no attributes.
    std::string editableText() const;
    std::string ownerText() const;

    // The colour of the row: blue for a compare difference, red for an
    // exchange error, green for an unwritten change, else black.
    RowColour rowColour() const;

    // The row the view shows. `withIndex`: the linear indices are shown
    // (and, for a scanner, its address offset).
    ParameterRow displayRow(bool withIndex) const;

    // ---- Polling (scanners) ------------------------------------------------
    static constexpr int kDefaultPollingPeriod = 1000;

    int pollingPeriod() const { return pollingPeriod_.load(); }
    void setPollingPeriod(int milliseconds) { pollingPeriod_.store(milliseconds); }
    bool pollingActive() const { return pollingActive_.load(); }
    bool hasPollingTimer() const { return pollingTimer_ != nullptr; }
    PollingTimer* pollingTimer() const { return pollingTimer_.get(); }

    // Makes the parameter a scanner: creates its timer, moves the linear
    // index into the address offset and stops sending it in the data.
    bool createPollingTimer();
    // 1 when already active (nothing changes), else arms the timer and
    // returns 0. A parameter without a timer returns 2.
    int startPolling();
    // 1 when not active (nothing changes), else cancels the timer and
    // returns 0.
    int stopPolling();

    // One poll: 1 when not active; 3 when the results in flight are at their
    // bound (the tick is skipped); 4 without a receiver; 0 when a result was
    // delivered. `read` performs one read of this parameter and returns the
    // exchange result (0 = success).
    int pollTick(const std::function<ExchangeResult(Parameter&)>& read,
                 PollResultReceiver* receiver);

    // Results of this scanner not yet released by the receiver.
    int pollResultsInFlight() const;

private:
    std::string caption_ = "<неизвестный параметр>";
    bool hasLinearIndex_ = false;
    bool valueChanged_ = false;
    bool editableChanged_ = false;
    bool ownerChanged_ = false;
    std::string statusText_;
    bool accessible_ = true;
    bool editable_ = true;
    bool ownerIsFirm_ = false;
    std::uint8_t attributeKind_ = 0;
    std::int32_t addressOffset_ = 0;
    std::int32_t linearIndex_ = 0;
    Parameter** outputSlot_ = nullptr;
    std::int32_t tableMode_ = 0;
    std::atomic<int> pollingPeriod_{kDefaultPollingPeriod};
    std::atomic<bool> pollingActive_{false};
    std::unique_ptr<PollingTimer> pollingTimer_;
    std::shared_ptr<PollBudget> pollBudget_;
    std::string initialValue_;
};

}  // namespace tarn
