#include "comm/error_log.h"

#include <fstream>

#include "model/parameter.h"
#include "platform/text.h"

namespace tarn {

std::string errorLogLine(const Parameter& parameter) {
    std::string line = parameter.networkName();
    if (parameter.hasLinearIndex()) {
        line += ":" + std::to_string(parameter.linearIndex());
    }
    line += " - " + parameter.statusText() + "\n";
    return line;
}

bool appendErrorLogLine(const std::string& path, const Parameter& parameter) {
    std::ofstream file(path, std::ios::binary | std::ios::app);
    if (!file) {
        return false;
    }
    file << text::toCp1251(errorLogLine(parameter));
    file.close();
    return !file.fail();
}

}  // namespace tarn
