#include "app/network_options.h"

#include "model/desc_branch.h"
#include "model/my_converter.h"
#include "model/net_rs485_prg.h"

namespace tarn {
namespace {

std::string numberOrNoData(std::uint32_t value) {
    return value == 0 ? std::string(kNoData) : std::to_string(value);
}

std::string textOrNoData(const std::string& value) {
    return value.empty() || value == "0" ? std::string(kNoData) : value;
}

std::string parityOrNoData(const std::optional<Parity>& parity) {
    return parity ? std::string(parityText(*parity)) : std::string(kNoData);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> commandLineNetworkValues(const CommandLine& line) {
    // The order in which the settings are applied.
    return {
        {"Addr", textOrNoData(line.address)},   {"A.Len", numberOrNoData(line.addressLength)},
        {"bPS", numberOrNoData(line.baudRate)}, {"LEn", numberOrNoData(line.dataBits)},
        {"Sbit", textOrNoData(line.stopBits)},  {"PrtY", parityOrNoData(line.parity)},
    };
}

void applyCommandLineNetworkSettings(const CommandLine& line, NetRS485prg& programSettings,
                                     DescBranch* networkBranch) {
    const bool newNetParam = line.has(CommandLine::kNewNetParam);
    const bool given = line.hasB(CommandLine::kNetworkSettings);
    for (const auto& [name, value] : commandLineNetworkValues(line)) {
        if (value == kNoData) {
            continue;
        }
        if (newNetParam) {
            if (networkBranch != nullptr) {
                networkBranch->setValueByName(name, value, true);
            }
        } else if (given) {
            programSettings.setValueByName(name, value, false);
            if (line.hasB(CommandLine::kAply) && networkBranch != nullptr) {
                networkBranch->setValueByName(name, value, true);
            }
        }
    }
    if (!newNetParam && given && line.port != 0) {
        programSettings.setValueByName(kPortSetting.networkName, "COM" + std::to_string(line.port),
                                       false);
    }
}

}  // namespace tarn
