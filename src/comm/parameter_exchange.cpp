// ExchangeParameter: reading or writing one Parameter, with its access
// attributes, and the composite network name "CHAr*".
#include <cstdio>

#include "comm/device_link.h"
#include "comm/error_texts.h"
#include "model/network_name.h"
#include "model/parameter.h"
#include "platform/numbers.h"
#include "platform/text.h"

namespace tarn {
namespace {

constexpr std::string_view kAttributeCommand = "M.s.t.r.";
constexpr std::string_view kCompositeName = "CHAr*";
constexpr std::string_view kCodeName = "CHAr";

void addTrace(std::vector<std::string>* trace, std::string line) {
    if (trace != nullptr) {
        trace->push_back(std::move(line));
    }
}

// One byte of a frame as a trace line: "<prefix> #%2i : %03i = 0x%02X (%c)".
std::string byteLine(std::string_view prefix, std::size_t index, std::uint8_t byte) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, " #%2i : %03i = 0x%02X (", static_cast<int>(index), byte,
                  byte);
    const std::string shown =
        byte < 32 ? std::string(".") : text::fromCp1251(std::string(1, static_cast<char>(byte)));
    return std::string(prefix) + numbers + shown + ")";
}

void traceBytes(std::vector<std::string>* trace, std::string_view prefix,
                const std::vector<std::uint8_t>& bytes) {
    if (trace == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        trace->push_back(byteLine(prefix, i, bytes[i]));
    }
}

void pushIndex(std::vector<std::uint8_t>& data, std::int32_t index) {
    data.push_back(static_cast<std::uint8_t>((index >> 8) & 0xFF));
    data.push_back(static_cast<std::uint8_t>(index & 0xFF));
}

// The character (and dot) of a name code, for any code the module returns:
// alphabet indices from 39 on are blanks.
std::string codeText(int code) {
    std::string text(1, nameAlphabetChar(code / 2));
    if ((code & 1) != 0) {
        text.push_back('.');
    }
    return text;
}

// Codes a network name for "CHAr": upper case, at most four coded
// characters, a dot marks the character before it. Empty on an invalid
// character or a leading dot.
std::optional<NameCodes> codeNetworkName(std::string_view name) {
    NameCodes codes = {kNameCodeSpace, kNameCodeSpace, kNameCodeSpace, kNameCodeSpace};
    std::size_t coded = 0;
    bool previousCoded = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '.') {
            if (i == 0) {
                return std::nullopt;
            }
            if (previousCoded && coded <= codes.size()) {
                codes[coded - 1] |= 1;
            }
            previousCoded = false;
            continue;
        }
        const int index = nameAlphabetIndex(c);
        if (index < 0 || index == 38) {  // "/" cannot be written
            return std::nullopt;
        }
        if (coded < codes.size()) {
            codes[coded] = static_cast<std::uint8_t>(index * 2);
        }
        previousCoded = coded < codes.size();
        ++coded;
    }
    return codes;
}

}  // namespace

ExchangeResult DeviceLink::ExchangeParameter(Parameter& parameter, bool read,
                                             std::vector<std::string>* trace) {
    ExchangeRequest request;
    request.readFlag = read ? 1 : 0;
    request.parameter = &parameter;
    request.trace = trace;
    return ExchangeParameter(request);
}

ExchangeResult DeviceLink::ExchangeParameter(const ExchangeRequest& request) {
    std::lock_guard lock(lock_);
    // The frames of the whole exchange (a composite name's four codes too)
    // are reported together when it ends.
    ReportAfter report(*this);
    // A closed port is opened for this exchange and closed again. A port
    // that cannot be opened fails the exchange at once: resending into a
    // closed port would only report a line fault instead of the port.
    bool openedHere = false;
    if (!port_.isOpen()) {
        openedHere = port_.Open() == PortOpenResult::Opened;
        if (!openedHere && context_.protocolSelector() == kProtocolDevice &&
            request.parameter != nullptr) {
            request.parameter->setStatusText("Не удается открыть порт " + port_.portName());
            context_.addRunResultBits(kRunPortNotOpened);
            return ExchangeResult::Failed;
        }
    }
    struct CloseAfter {
        SerialPort& port;
        bool close;
        ~CloseAfter() {
            if (close) {
                port.Close();
            }
        }
    } closeAfter{port_, openedHere};

    const int selector = context_.protocolSelector();
    if (selector != kProtocolDevice) {
        return ProbeFrame(selector, request.parameter) == ProbeResult::Answered
                   ? ExchangeResult::Ok
                   : ExchangeResult::Failed;
    }
    if (request.parameter == nullptr) {
        return ExchangeResult::NoParameter;
    }
    Parameter& parameter = *request.parameter;
    parameter.setStatusText({});
    const bool read = request.readFlag != 0;
    if (parameter.hasName(kCompositeName)) {
        return exchangeNetworkName(parameter, read, request.trace);
    }
    return exchangeOne(parameter, read, request.trace);
}

ExchangeResult DeviceLink::exchangeAttributes(Parameter& parameter, bool read) {
    static const std::uint16_t attributeHash = NetNameHash(kAttributeCommand);
    std::vector<std::uint8_t> data;
    bool readFlag = true;
    if (context_.fullAccess() && !read) {
        // Bit 0: editable; bit 1: owned by the user.
        data.push_back(static_cast<std::uint8_t>((parameter.editable() ? 1 : 0) |
                                                 (parameter.ownerIsFirm() ? 0 : 2)));
        readFlag = false;
    }
    if (parameter.hasLinearIndex()) {
        data.push_back(0);
        data.push_back(static_cast<std::uint8_t>(parameter.linearIndex() & 0xFF));
    }
    const std::uint16_t hash = parameter.nameHash();
    data.push_back(static_cast<std::uint8_t>(hash >> 8));
    data.push_back(static_cast<std::uint8_t>(hash & 0xFF));

    std::vector<std::uint8_t> answer;
    std::string status = parameter.statusText();
    label_ = {std::string(kAttributeCommand),
              parameter.hasLinearIndex() ? static_cast<int>(parameter.linearIndex()) : -1,
              {}};
    const bool transacted =
        TransactFrame(readFlag, attributeHash, data, answer, status, parameter.addressOffset());
    label_ = {};
    if (!transacted) {
        parameter.setStatusText(std::move(status));
        return ExchangeResult::AttributesFailed;
    }
    const std::size_t expected = parameter.hasLinearIndex() ? 5 : 3;
    if (answer.size() != expected) {
        parameter.setStatusText(std::string(kTextAttributeSize));
        return ExchangeResult::AttributeSize;
    }
    parameter.setEditable((answer[0] & 1) != 0);
    parameter.setOwnerIsFirm((answer[0] & 2) == 0);
    parameter.setEditableChanged(false);
    parameter.setOwnerChanged(false);
    return ExchangeResult::Ok;
}

ExchangeResult DeviceLink::exchangeOne(Parameter& parameter, bool read,
                                       std::vector<std::string>* trace) {
    if (parameter.attributeKind() != 0 && !context_.attributesSuppressed() &&
        !parameter.hasPollingTimer()) {
        const ExchangeResult result = exchangeAttributes(parameter, read);
        if (result != ExchangeResult::Ok) {
            return result;
        }
    }

    std::vector<std::uint8_t> data;
    if (!read) {
        const int coded = parameter.ConvertToData(parameter.valueText(), data);
        if (coded == MyConverter::kNoConversion) {
            addTrace(trace, "Метод формирования посылки записи для команды '" +
                                parameter.networkName() + "' не определен.");
            return ExchangeResult::NoWriteCoding;
        }
        if (coded == MyConverter::kNotConvertible) {
            addTrace(trace, std::string(kTextBadValue));
            return ExchangeResult::BadValue;
        }
        if (coded != MyConverter::kConverted) {
            addTrace(trace, std::string(kTextStrangeConversion));
        }
    }
    if (parameter.hasLinearIndex()) {
        pushIndex(data, parameter.linearIndex());
    }
    addTrace(trace, "Размер инф-ой части посылки " + std::to_string(data.size()) + " байт.");
    traceBytes(trace, ">> Посылка:", data);

    std::vector<std::uint8_t> answer;
    std::string status = parameter.statusText();
    label_ = {parameter.networkName(),
              parameter.hasLinearIndex() ? static_cast<int>(parameter.linearIndex()) : -1,
              read ? std::string() : parameter.valueText()};
    const bool transacted =
        TransactFrame(read, parameter.nameHash(), data, answer, status, parameter.addressOffset());
    label_ = {};
    if (!transacted) {
        parameter.setStatusText(std::move(status));
        return ExchangeResult::Failed;
    }
    traceBytes(trace, "<< Ответ:", answer);
    addTrace(trace, "Инф-ная часть квитанции ответа имеет размер " + std::to_string(answer.size()) +
                        " байт.");

    // A write is answered with the value the module now holds. A decoding
    // that yields an error message (-1) leaves it as the value text.
    if (parameter.ConvertFromData(answer) == MyConverter::kNotConvertible) {
        parameter.setStatusText(std::string(kTextCannotDecode));
        parameter.setValueText({});
        return ExchangeResult::Undecodable;
    }
    if (reportingFrames()) {
        noteAnswerValue(parameter.valueText());
    }
    parameter.clearChanges();
    return ExchangeResult::Ok;
}

ExchangeResult DeviceLink::exchangeNetworkName(Parameter& parameter, bool read,
                                               std::vector<std::string>* trace) {
    // The module keeps the name as four codes of "CHAr" at consecutive
    // linear indices from the composite's own.
    NameCodes codes{};
    if (!read) {
        const std::string& name = parameter.valueText();
        auto fail = [&](std::string_view why) {
            parameter.setStatusText(std::string(why));
            return ExchangeResult::BadValue;
        };
        if (name.empty()) {
            return fail(kTextNameEmpty);
        }
        if (text::characterCount(name) > 8) {
            return fail(kTextNameTooLong);
        }
        const auto coded = codeNetworkName(text::toUpper(name));
        if (!coded) {
            addTrace(trace, std::string(kTextBadNameCharacter));
            return fail(kTextBadNameCharacter);
        }
        codes = *coded;
    }

    const bool attributesExchanged = !context_.attributesSuppressed();
    std::string rebuilt;
    bool editable = parameter.editable();
    bool ownerIsFirm = parameter.ownerIsFirm();
    if (read) {
        parameter.setValueText({});
    }
    for (int i = 0; i < 4; ++i) {
        Parameter code{std::string(kCodeName)};
        code.setValueType("int");
        code.setHasLinearIndex(true);
        code.setLinearIndex(parameter.linearIndex() + i);
        code.setAddressOffset(parameter.addressOffset());
        // Writes go with the composite's attributes; reads read them as the
        // composite's own attribute kind asks.
        code.setAttributeKind(read ? parameter.attributeKind() : 1);
        code.setEditable(parameter.editable());
        code.setOwnerIsFirm(parameter.ownerIsFirm());
        if (!read) {
            code.setValueText(std::to_string(codes[static_cast<std::size_t>(i)]));
        }
        ExchangeRequest nested;
        nested.readFlag = read ? 1 : 0;
        nested.parameter = &code;
        nested.trace = trace;
        const ExchangeResult result = ExchangeParameter(nested);
        if (!code.statusText().empty()) {
            parameter.setStatusText(code.statusText());
        }
        if (result != ExchangeResult::Ok) {
            return result;
        }
        const int value = numbers::leadingInteger(code.valueText());
        if (read && (value < 0 || value >= kNameCodeLimit)) {
            parameter.setStatusText(std::string(kTextBadNameCode));
            addTrace(trace, std::string(kTextBadNameCode));
            return ExchangeResult::Undecodable;
        }
        rebuilt += codeText(value);
        if (code.attributeKind() != 0 && attributesExchanged) {
            editable = code.editable();
            ownerIsFirm = code.ownerIsFirm();
        }
    }
    parameter.setValueText(rebuilt);
    parameter.setEditable(editable);
    parameter.setOwnerIsFirm(ownerIsFirm);
    parameter.clearChanges();
    return ExchangeResult::Ok;
}

}  // namespace tarn
