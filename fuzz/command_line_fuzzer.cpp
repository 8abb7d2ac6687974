// The command line: the input is cut into arguments at every NUL byte, as the
// arguments of a calling program arrive.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz_support.h"

using namespace tarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments;
    const std::string_view all = fuzz::asText(data, size);
    std::size_t start = 0;
    while (start <= all.size()) {
        const std::size_t end = std::min(all.find('\0', start), all.size());
        arguments.emplace_back(all.substr(start, end - start));
        start = end + 1;
    }

    CommandLine line = parseCommandLine(arguments);
    fuzzCheck(line.address.size() <= 5);
    fuzzCheck(line.stopBits.size() <= 4);
    // The command line offers even, odd and none, never mark or space.
    fuzzCheck(!line.parity || *line.parity == Parity::None || *line.parity == Parity::Even ||
              *line.parity == Parity::Odd);
    fuzzCheck(line.converter <= CommandLine::kConverterOn);
    if (!line.fileName.empty()) {
        fuzzCheck(std::find(arguments.begin(), arguments.end(), line.fileName) != arguments.end());
    }
    bool option = false;
    for (const auto& argument : arguments) {
        option = option || (argument.size() > 1 && argument[0] == '-' && argument != "-help" &&
                            argument != "-?" && argument != "--help" && argument != "-version" &&
                            argument != "--version");
    }
    if (option) {
        fuzzCheck(line.unattended());
    }
    line.clearTaskSettings();
    fuzzCheck((line.flagsB & ~CommandLine::kUnattended) == 0);
    fuzzCheck(line.unattended() || !option);
    return 0;
}
