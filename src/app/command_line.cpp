#include "app/command_line.h"

#include <fstream>
#include <functional>
#include <map>
#include <optional>

#include "platform/build_info.h"
#include "platform/numbers.h"
#include "platform/text.h"

namespace tarn {
namespace {

constexpr std::size_t kMaxAddressChars = 5;
constexpr std::size_t kMaxStopBitsChars = 4;

const char* const kOptionNames[] = {
    "write", "read", "calibrate", "aply", "close",     "test",    "silent", "newnetparam", "port",
    "bps",   "prty", "addr",      "len",  "sbit",      "alen",    "rs485",  "autoread",    "x",
    "y",     "w",    "h",         "elog", "exitevent", "compare", "report", "trace"};

bool isOptionName(std::string_view name) {
    for (const char* known : kOptionNames) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

std::string stripQuotes(std::string value) {
    std::string out;
    for (const char c : value) {
        if (c != '"') {
            out.push_back(c);
        }
    }
    return out;
}

// A "%i" number; nothing when the value does not read.
std::optional<std::int64_t> number(const std::string& value) {
    return numbers::scanInteger(value);
}

void applyOption(CommandLine& line, const std::string& name, const std::string& value) {
    using CL = CommandLine;
    auto netSetting = [&line] { line.flagsB |= CL::kNetworkSettings; };
    if (name == "write") {
        line.flagsB |= CL::kWrite;
    } else if (name == "read") {
        line.flagsB |= CL::kRead;
    } else if (name == "compare") {
        line.flagsB |= CL::kCompare;
    } else if (name == "calibrate") {
        line.flagsB |= CL::kCalibrate;
    } else if (name == "aply") {
        line.flagsB |= CL::kAply;
    } else if (name == "close") {
        line.flagsB |= CL::kClose;
    } else if (name == "test") {
        line.flagsA |= CL::kTest;
    } else if (name == "silent") {
        line.flagsA |= CL::kSilent | CL::kAutoreadOff;
        line.flagsA &= static_cast<std::uint16_t>(~CL::kAutoreadOn);
    } else if (name == "newnetparam") {
        line.flagsA |= CL::kNewNetParam;
        line.port = 0;
    } else if (name == "port") {
        if (!line.has(CL::kNewNetParam)) {
            if (const auto n = number(value)) {
                line.port = static_cast<std::uint8_t>(*n);
                netSetting();
            }
        }
    } else if (name == "bps") {
        if (const auto n = number(value)) {
            line.baudRate = static_cast<std::uint32_t>(*n);
            netSetting();
        }
    } else if (name == "prty") {
        if (value == "even") {
            line.parity = Parity::Even;
            netSetting();
        } else if (value == "odd") {
            line.parity = Parity::Odd;
            netSetting();
        } else if (value == "no") {
            line.parity = Parity::None;
            netSetting();
        } else {
            line.flagsB &= ~CL::kNetworkSettings;
        }
    } else if (name == "addr") {
        if (!value.empty() && value.size() <= kMaxAddressChars) {
            line.address = value;
            netSetting();
        }
    } else if (name == "len") {
        if (const auto n = number(value)) {
            line.dataBits = static_cast<std::uint8_t>(*n);
            netSetting();
        }
    } else if (name == "sbit") {
        if (!value.empty() && value.size() <= kMaxStopBitsChars) {
            line.stopBits = value;
            netSetting();
        }
    } else if (name == "alen") {
        if (const auto n = number(value)) {
            line.addressLength = static_cast<std::uint8_t>(*n);
            netSetting();
        }
    } else if (name == "rs485") {
        if (value == "auto") {
            line.converter = CL::kConverterAuto;
        } else if (value == "off") {
            line.converter = CL::kConverterOff;
        } else if (value == "on") {
            line.converter = CL::kConverterOn;
        }
    } else if (name == "autoread") {
        if (value == "on") {
            line.flagsA =
                static_cast<std::uint16_t>((line.flagsA & ~CL::kAutoreadOff) | CL::kAutoreadOn);
        } else if (value == "off") {
            line.flagsA =
                static_cast<std::uint16_t>((line.flagsA & ~CL::kAutoreadOn) | CL::kAutoreadOff);
        }
    } else if (name == "x" || name == "y" || name == "w" || name == "h") {
        if (const auto n = number(value)) {
            const auto v = static_cast<std::int32_t>(*n);
            if (name == "x") {
                line.x = v;
                line.flagsC |= CL::kXGiven;
            } else if (name == "y") {
                line.y = v;
                line.flagsC |= CL::kYGiven;
            } else if (name == "w") {
                line.w = v;
                line.flagsC |= CL::kWGiven;
            } else {
                line.h = v;
                line.flagsC |= CL::kHGiven;
            }
        }
    } else if (name == "elog") {
        line.errorLogPath = stripQuotes(value);
    } else if (name == "exitevent") {
        line.exitEventName = stripQuotes(value);
    } else if (name == "html") {
        line.htmlRequested = true;
        line.htmlPath = stripQuotes(value);
    } else if (name == "report") {
        line.reportPath = stripQuotes(value);
    } else if (name == "trace") {
        line.tracePath = stripQuotes(value);
    }
}

// Splits "name:value".
std::pair<std::string, std::string> splitOption(std::string_view option) {
    const auto colon = option.find(':');
    if (colon == std::string_view::npos) {
        return {std::string(option), {}};
    }
    return {std::string(option.substr(0, colon)), std::string(option.substr(colon + 1))};
}

}  // namespace

void CommandLine::clearTaskSettings() {
    flagsB &= kUnattended;
    flagsC = 0;
    port = 0;
    baudRate = 0;
    parity.reset();
    address.clear();
    dataBits = 0;
    stopBits.clear();
    addressLength = 0;
    converter = 0;
    x = y = w = h = 0;
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments) {
        if (argument == "-help" || argument == "-?" || argument == "--help") {
            line.helpRequested = true;
            continue;
        }
        if (argument == "-version" || argument == "--version") {
            line.versionRequested = true;
            continue;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            line.flagsB |= CommandLine::kUnattended;
            auto [name, value] = splitOption(std::string_view(argument).substr(1));
            name = text::toLower(name);
            if (name != "elog" && name != "exitevent" && name != "html" && name != "report" &&
                name != "trace") {
                value = text::toLower(value);
            }
            applyOption(line, name, value);
            continue;
        }
        if (argument.size() > 1 && argument[0] == '/') {
            const std::string lowered = text::toLower(argument);
            const auto end = lowered.find_first_of("/:", 1);
            const std::string first = lowered.substr(1, end == std::string::npos ? end : end - 1);
            if (isOptionName(first)) {
                line.flagsB |= CommandLine::kUnattended;
                std::string_view rest = lowered;
                while (!rest.empty()) {
                    rest.remove_prefix(1);  // the "/"
                    const auto next = rest.find('/');
                    const auto [name, value] = splitOption(rest.substr(0, next));
                    if (!name.empty()) {
                        applyOption(line, name, value);
                    }
                    if (next == std::string_view::npos) {
                        break;
                    }
                    rest.remove_prefix(next);
                }
                continue;
            }
        }
        if (line.fileName.empty()) {
            line.fileName = argument;
        }
    }
    return line;
}

bool createErrorLog(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file);
}

std::string usageText() {
    return R"(Usage: tarn [options] [configuration.tarn]

The TARN configurator. Without options it opens its window; any option runs
it unattended: the task given runs without questions and the exit code tells
a calling program how it went. Options are written -name or -name:value
(the traditional form /name:value/name2 works too).

Tasks:
  -read               read every parameter from the module and store them in
                      the configuration file named on the command line
  -write              write every parameter of the configuration file to the
                      module
  -compare            compare the configuration file with the module and store
                      nothing; every difference goes to standard error, one
                      line each (exit code 208 when the module differs)
  -calibrate          open the calibration of the analogue outputs
  -test               check the connection to the module and quit
  -close              close the program when the task has ended
  -aply               also put the network settings given here into the
                      configuration's network settings, and switch the module
                      to them (APLY) after they were written
  -newnetparam        write the network settings given here into the
                      configuration file itself and quit

Connection (the program's own port settings):
  -port:N             serial port COMN (see the ports folder in the manual);
                      without a port an unattended run works offline
  -bps:N              speed (2400 ... 115200)
  -prty:even|odd|no   parity
  -addr:N             the module's base address
  -len:N              data bits (7 or 8)
  -sbit:N             stop bits (1 or 2)
  -alen:N             address length (8 or 11)
  -rs485:auto|on|off  who switches the line direction: on/auto the program
                      (RTS), off the converter itself
  -silent             no connection messages; automatic reading off

Window and run:
  -autoread:on|off    automatic reading of parameters shown
  -x:N -y:N -w:N -h:N window position and size (all four: a fixed window;
                      w and h 0: minimized)
  -elog:FILE          append every failed exchange to FILE (created anew)
  -report:FILE        write a JSON report of the run to FILE at its end: times,
                      line, mode, task, exit code, counts, the module's "dev"
                      and "ver", every parameter (for a compare also the
                      module's value)
  -trace:FILE         write every frame sent and received to FILE (created
                      anew, UTF-8, one frame a line: time, milliseconds since
                      the request, direction, source, frame, command, hash,
                      address, index, data, value, outcome; tab-separated)
  -exitevent:NAME     stop when a calling program posts the POSIX named
                      semaphore /NAME (SIGTERM and SIGINT stop it the same way)

Without a module:
  -html:FILE          write the HTML list of the parameters of the
                      configuration file's operating mode (mode 19 without a
                      file) to FILE and quit; no display, module or browser
                      is needed, every other option is ignored
  -help               this text
  -version            the program's version (also --version)

Numbers may be decimal, hexadecimal (0x10) or octal (010).

Exit codes:
  0    the task ended normally
  200  the configuration file cannot be used: -write or -compare with a file
       that does not exist, or any task with a file that is no configuration
  201  the serial port could not be opened
  202  an exchange timed out (no connection)
  203  wrong port settings or a lost frame start
  205  the run was stopped (exit semaphore, SIGTERM/SIGINT, or "Прервать!")
  206  the module did not answer the connection attempt at start
  2    an interactive start without a display
  3    -html: FILE could not be created
  4    -html: the configuration file or its tree could not be loaded
  208  -compare: the module holds other values or attributes than the file

Environment:
  TARN_SETTINGS_DIR   keep every setting in files of this folder
  TARN_PORTS_DIR      the ports folder (default ~/.config/BRIX/TARN/ports)
)";
}

std::string versionText() {
    return std::string(build::kProgramName) + " (" + build::kDescription + ") " + build::kVersion +
           "\n" + build::kCopyright + "\n";
}

}  // namespace tarn
