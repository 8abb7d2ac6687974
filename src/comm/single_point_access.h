// SinglePointAccess: reading or writing any one parameter of the module by
// its network name, outside the tree — the work of the dialog "Произвольный
// доступ к отдельным параметрам (Single Point)", without the dialog.
//
// The dialog fills its command list from commandNames(), calls
// DescribeCommand whenever the command text changes and ExecuteCommand on
// "Выполнить!", showing the returned lines in its exchange log and
// selecting the last one. It runs on the user-interface thread; the
// exchange waits while a task or a scanner holds the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/parameter_template.h"

namespace tarn {

class DeviceLink;
class UserInteraction;

inline constexpr std::string_view kSinglePointInitialCommand = "!vEr";
inline constexpr std::string_view kUndefinedType = "<тип неопределен>";

// What the dialog shows for a command.
struct CommandDescription {
    std::string hashText;     // "0x%X" of the name hash
    std::string description;  // the parameter's description + " (" + type + ")"
    // The values offered under "Что записать:"; empty for the plain types.
    std::vector<std::string> values;
    // The state of "Наличие лин-го индекса:".
    bool hasLinearIndex = false;
};

// One execution as the dialog's fields stand.
struct SinglePointRequest {
    enum class IndexPlace { Data = 0, Address = 1 };
    enum class Operation { Read = 0, Write = 1 };

    std::string command;
    bool indexPresent = false;
    std::string indexText = "0";
    IndexPlace indexPlace = IndexPlace::Data;
    Operation operation = Operation::Read;
    std::string valueToWrite;
};

class SinglePointAccess {
public:
    // `templates`: the parameter templates of the loaded description
    // (ParameterTree::parameterTemplates). `link` and `ui` must outlive it.
    SinglePointAccess(DeviceLink& link, UserInteraction& ui,
                      std::vector<ParameterTemplate> templates);

    // The names of all templates, in description order.
    std::vector<std::string> commandNames() const;

    CommandDescription DescribeCommand(std::string_view command) const;

    // The lines of the exchange log: index placement, the command and its
    // type, the exchange's own byte trace and the result. A command without
    // template shows "Параметер '…' не описан!" and gives no lines.
    std::vector<std::string> ExecuteCommand(const SinglePointRequest& request);

private:
    const ParameterTemplate* findTemplate(std::string_view command) const;

    DeviceLink& link_;
    UserInteraction& ui_;
    std::vector<ParameterTemplate> templates_;
};

}  // namespace tarn
