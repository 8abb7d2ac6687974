#include "model/network_checks.h"

#include <vector>

#include "platform/numbers.h"
#include "platform/text.h"

namespace tarn {
namespace {

constexpr std::int32_t kLargestShortAddress = 255;

// The item index of a protocol text as the "Prot" parameter encodes it; a
// text it cannot encode (no value known yet) does not restrict the address.
int protocolIndex(const Parameter& protocol, std::string_view value) {
    std::vector<std::uint8_t> data;
    if (protocol.ConvertToData(value, data) != MyConverter::kConverted) {
        return 0;
    }
    int index = 0;
    for (const std::uint8_t byte : data) {
        index = index * 256 + byte;
    }
    return index;
}

bool addressIsShort(const ObjectWithParameters& group) {
    return numbers::leadingInteger(group.valueByName("Addr")) <= kLargestShortAddress;
}

}  // namespace

bool addressChangeAllowed(const ObjectWithParameters& group, std::string_view networkName,
                          std::string_view newValue) {
    const Parameter* protocol = group.find("Prot");
    if (text::equalsNoCase(networkName, "addr")) {
        if (numbers::leadingInteger(newValue) <= kLargestShortAddress) {
            return true;
        }
        const bool longAddresses = group.valueByName("A.Len") == "11";
        const bool firstProtocol =
            protocol == nullptr || protocolIndex(*protocol, protocol->valueText()) == 0;
        return longAddresses && firstProtocol;
    }
    if (text::equalsNoCase(networkName, "a.len")) {
        return newValue == "11" || addressIsShort(group);
    }
    if (text::equalsNoCase(networkName, "prot")) {
        const int index = protocol != nullptr ? protocolIndex(*protocol, newValue) : 0;
        return index == 0 || addressIsShort(group);
    }
    return true;
}

bool framingAllowed(const ObjectWithParameters& group, std::string_view editedName,
                    std::string_view newValue) {
    auto value = [&](std::string_view name) {
        if (!editedName.empty() && text::equalsNoCase(editedName, name)) {
            return std::string(newValue);
        }
        return group.valueByName(name);
    };
    const std::string parity = value("PrtY");
    const bool withParity = parity == "Четность" || parity == "Нечетность";
    return !(withParity && numbers::leadingInteger(value("LEn")) == 8 &&
             numbers::leadingInteger(value("Sbit")) == 2);
}

bool addressStepAllowed(std::string_view newValue) {
    return numbers::leadingInteger(newValue) % 8 == 0;
}

}  // namespace tarn
