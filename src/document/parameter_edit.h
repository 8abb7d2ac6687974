// What an edit of a parameter's cell in the tree view does.
//
// Which editor a cell opens and what its list offers, and what committing
// the entered text does: the polling period of a polled value, the value
// with its checks (the network-settings rules, the address step, the
// value's own input check), the immediate write to the module, the
// program's own port settings (applied to the port, never written), and
// the two attribute columns. No widgets: the view hands in the row and the
// texts and shows the outcome; the user is told through UserInteraction.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/exchange_result.h"

namespace tarn {

class ObjectWithParameters;
class Parameter;
class UserInteraction;

// The columns of the tree view that an edit can end in.
namespace edit_column {
inline constexpr int kPeriod = 1;  // polled values: the polling period
inline constexpr int kValue = 2;
inline constexpr int kEditable = 3;
inline constexpr int kOwner = 4;
}  // namespace edit_column

// The shortest polling period in milliseconds.
inline constexpr int kShortestPollingPeriod = 100;

inline constexpr std::string_view kPollingWarning =
    "Данный параметр опрашивается.\n"
    "Во время изменения значения вывод на экран измененных значений\n"
    "будет блокирован.";
inline constexpr std::string_view kPeriodMessage =
    "Период опроса должен быть задан числом в миллисекундах.\n"
    "Период опроса не может быть меньше 100 миллисекунд";
inline constexpr std::string_view kPeriodCaption = "Неудалось изменить период опроса";
inline constexpr std::string_view kRejectionCaption = "Неудалось изменить параметер";
inline constexpr std::string_view kWriteFailedCaption = "Значение не удалось записать в прибор";
inline constexpr std::string_view kEditableText = "Редактируемый";
inline constexpr std::string_view kNotEditableText = "Не редактируемый";
inline constexpr std::string_view kFirmText = "Фирма";
// Items of an enumeration that contain this are never offered.
inline constexpr std::string_view kHiddenMark = "<hide>";

enum class CellEditor { None, Text, List };

// The editor a cell of a parameter row opens. Polled values: a text box for
// the period (none for "r.oe.s") and for the value. Other parameters, when
// accessible: the value as a list (enumerations) or a text box, and the
// editing attribute as a list when the parameter has attributes. Every
// other cell opens nothing.
CellEditor cellEditorFor(const Parameter& parameter, bool polled, int column);

// The entries of a list editor: the starting text first (a blank when it is
// empty), then for the value the value type's items (each "_" shown as a
// blank) except the starting text and every item holding "<hide>", for the
// editing attribute the other attribute text. The value type of "Port" is
// first rebuilt from the serial ports present now.
std::vector<std::string> listEntriesFor(Parameter& parameter, int column,
                                        const std::string& startText);

// The message that refuses `newText` as the value of `parameter`.
std::string valueRejectionMessage(const Parameter& parameter, std::string_view newText);

// One edit that ended with a text in a cell.
struct CellEdit {
    Parameter* parameter = nullptr;          // null: the row shows no parameter
    ObjectWithParameters* parent = nullptr;  // the object of the parent row, if any
    bool polled = false;                     // a row of the polled values
    int column = 0;
    std::string oldText;  // the cell's text when the editor opened
    std::string newText;  // the editor's text
};

struct EditOutcome {
    enum class Kind {
        Unchanged,     // the same text: nothing happened
        Ignored,       // the row shows no parameter, or the cell means nothing
        Refused,       // a check refused the text; the parameter is untouched
        Stored,        // the parameter took the text; nothing was written
        Written,       // and the module took the value
        WriteFailed,   // the write failed; the parameter's status says why
        PortSettings,  // the program's port settings changed and were applied
    };
    Kind kind = Kind::Unchanged;
    // Every text change marks the document modified, refused or not.
    bool modified = false;
    // Polled values: what the value and the status cells show now (the
    // parameter itself belongs to the polling thread).
    std::string shownValue;
    std::string shownStatus;
};

class ParameterEdit {
public:
    struct Hooks {
        // The single-parameter write of the exchange engine.
        std::function<OperationResult(Parameter&)> write;
        // Whether "Режим немедленной записи" is ticked.
        std::function<bool()> immediateWrite;
        // The program's port settings changed: the port takes them now.
        std::function<void()> applyPortSettings;
    };

    ParameterEdit(UserInteraction& ui, Hooks hooks);

    EditOutcome commit(const CellEdit& edit);

    // The immediate write of an edited value: nothing (not written) unless
    // the value changed and the mode is on; else the status is cleared and
    // the write's result returned.
    std::optional<OperationResult> writeImmediately(Parameter& parameter);

private:
    EditOutcome commitPeriod(Parameter& parameter, const CellEdit& edit);
    EditOutcome commitPolledValue(Parameter& parameter, const CellEdit& edit);
    EditOutcome commitValue(Parameter& parameter, const CellEdit& edit);
    void refuse(std::string_view text, std::string_view caption);

    UserInteraction& ui_;
    Hooks hooks_;
};

}  // namespace tarn
