#include "comm/single_point_access.h"

#include <array>
#include <cstdio>

#include "comm/device_link.h"
#include "comm/frame_source.h"
#include "model/parameter.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

// Types whose values are typed, not chosen from a list.
constexpr std::array<std::string_view, 7> kPlainTypes = {"string", "ASCI", "int",         "CLK_frm",
                                                         "float",  "name", kUndefinedType};

bool isPlainType(std::string_view type) {
    for (const auto plain : kPlainTypes) {
        if (text::equalsNoCase(type, plain)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> splitItems(std::string_view list) {
    std::vector<std::string> items;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        std::size_t end = list.find(':', begin);
        if (end == std::string_view::npos) {
            end = list.size();
        }
        items.emplace_back(list.substr(begin, end - begin));
        begin = end + 1;
    }
    return items;
}

void addLines(std::vector<std::string>& log, const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        log.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
}

bool isVariantWord(std::string_view word) {
    return text::equalsNoCase(word, "int") || text::equalsNoCase(word, "CLK_frm") ||
           text::equalsNoCase(word, "float");
}

}  // namespace

SinglePointAccess::SinglePointAccess(DeviceLink& link, UserInteraction& ui,
                                     std::vector<ParameterTemplate> templates)
    : link_(link), ui_(ui), templates_(std::move(templates)) {}

std::vector<std::string> SinglePointAccess::commandNames() const {
    std::vector<std::string> names;
    names.reserve(templates_.size());
    for (const auto& t : templates_) {
        names.push_back(t.networkName);
    }
    return names;
}

const ParameterTemplate* SinglePointAccess::findTemplate(std::string_view command) const {
    for (const auto& t : templates_) {
        if (text::equalsNoCase(t.networkName, command)) {
            return &t;
        }
    }
    return nullptr;
}

CommandDescription SinglePointAccess::DescribeCommand(std::string_view command) const {
    const Parameter probe{std::string(command)};
    CommandDescription result;
    char hash[16];
    std::snprintf(hash, sizeof hash, "0x%X", static_cast<unsigned>(probe.nameHash()));
    result.hashText = hash;

    std::string type(kUndefinedType);
    std::string description;
    if (const ParameterTemplate* found = findTemplate(command)) {
        type = found->typeText;
        description = text::replaceAll(found->caption, "_", " ");
    }
    result.description = description + " (" + type + ")";

    if (!isPlainType(type)) {
        for (const auto& item : splitItems(type)) {
            if (item.empty() || item.find("<hide>") != std::string::npos) {
                continue;
            }
            result.values.push_back(text::replaceAll(item, "_", " "));
        }
    }
    result.hasLinearIndex = probe.hasLinearIndex();
    return result;
}

std::vector<std::string> SinglePointAccess::ExecuteCommand(const SinglePointRequest& request) {
    std::vector<std::string> log;
    const ParameterTemplate* found = findTemplate(request.command);
    if (found == nullptr) {
        ui_.showMessage("Параметер '" + request.command + "' не описан!", "", MessageIcon::Error);
        return log;
    }

    // The parameter as the tree would build it from the template.
    std::string name = found->networkName;
    const bool accessible = name.empty() || name.front() != '!';
    if (!accessible) {
        name.erase(0, 1);
    }
    Parameter parameter(name);
    parameter.setAccessible(accessible);
    parameter.setCaption(text::replaceAll(found->caption, "_", " "));
    parameter.setLimits(found->lowerLimit, found->upperLimit);
    parameter.setAttributeKind(found->attributeFlag ? 1 : 0);
    parameter.setInitialValue(found->initialValue);
    parameter.setTableMode(found->tableMode);
    parameter.setValueType(found->typeText);
    const std::vector<std::string> items = splitItems(found->typeText);
    if (items.size() >= 2 && isVariantWord(items[0])) {
        const int variant = numbers::leadingInteger(items[1]);
        if (variant != 0) {
            parameter.setValueType(items[0]);
            parameter.setTypeVariant(variant);
        }
    }

    const int index = numbers::leadingInteger(request.indexText);
    parameter.setHasLinearIndex(false);
    if (request.indexPresent && request.indexPlace == SinglePointRequest::IndexPlace::Address) {
        parameter.setAddressOffset(index);
        log.push_back("Индекс передается в поле адреса запроса");
        if (index > 7) {
            // With 11-bit addressing only the low three address bits share
            // the byte of the request flag.
            log.push_back("Предупреждение: адрес увеличен более чем на 7!");
        }
    } else if (request.indexPresent) {
        parameter.setLinearIndex(index);
        parameter.setHasLinearIndex(true);
        log.push_back("Индекс передается в посылке запроса");
    }

    log.push_back(request.command + " (" + found->typeText + ")");

    const bool write = request.operation == SinglePointRequest::Operation::Write;
    if (write) {
        parameter.setValueText(request.valueToWrite);
    }
    const FrameSourceScope source(FrameSource::SinglePoint);
    const ExchangeResult result = link_.ExchangeParameter(parameter, !write, &log);
    if (result != ExchangeResult::Ok) {
        addLines(log, parameter.statusText());
    } else if (!parameter.statusText().empty()) {
        log.push_back("Имеет место ошибка:");
        addLines(log, parameter.statusText());
    } else if (write) {
        log.push_back("Нет ошибок; записано. Обратно вернулось='" + parameter.valueText() + "'");
    } else {
        log.push_back("Нет ошибок; строковая нотация ответа:");
        addLines(log, parameter.valueText());
    }
    return log;
}

}  // namespace tarn
