#include "sim/sim_options.h"

#include <functional>
#include <map>

#include "platform/numbers.h"

namespace tarn::sim {
namespace {

std::optional<int> wholeNumber(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    if (text.size() > 9) {
        return std::nullopt;
    }
    return numbers::leadingInteger(text);
}

}  // namespace

std::string helpText() {
    return R"(tarn-sim: the simulated TARN module on a pseudo-terminal.

Usage: tarn-sim [options]

It opens a pseudo-terminal, binds it to a port name and answers the
hash-name protocol there until SIGTERM or SIGINT (Ctrl+C); then it removes
the link and exits. Every frame in and out is logged.

Binding:
  --com N             make the entry COMN of the ports folder ($TARN_PORTS_DIR,
                      by default ~/.config/BRIX/TARN/ports) point to the
                      terminal, so that the configurator's port COMN is this
                      module
  --link PATH         make a symbolic link PATH to the terminal
                      (without either option only the terminal path is printed)

The module's line (it answers only when the program set this speed on the
terminal; after APLY it moves to the settings held in its own parameters):
  --bps N             speed: 110 ... 128000 (default 9600)
  --len N             data bits 5-8 (default 8)
  --parity P          none, even or odd (default none)
  --sbit N            stop bits 1 or 2 (default 1)
  --addr N            base address (default 16); the module also answers the
                      addresses base+1 ... base+63 for the linear index in the
                      address (scanners)
  --alen N            address length 8 or 11 (default 8)
  --no-line-check     answer whatever speed the program set

Parameters:
  --trees FILE        the tree container to take the module's parameters from
                      (default: tarn.tree.dat beside tarn-sim, else in
                      ../share/tarn relative to it); the module serves the
                      parameters of every operating mode
  --builtin           serve a compact built-in parameter set instead
  --set NAME[:INDEX]=VALUE
                      the module holds VALUE in the parameter NAME at linear
                      index INDEX (default 0) from the start, e.g.
                      --set 'POUt:3=0-10 В'; repeatable, applied in order

Identity:
  --model NAME        answer to "dev" (default TARN; another name makes the
                      configurator see a foreign module)
  --version TEXT      answer to "ver" (default 2.03)

Other protocols:
  --probes LIST       also answer the probe framings in LIST, a comma-separated
                      choice of rtu (Modbus RTU), ascii (Modbus ASCII) and dcon
                      (DCON style)
  --probes-only       do not answer the hash-name protocol at all

Faults (K: every K-th answer, 1 = every answer):
  --silent            never answer
  --drop-every K      leave out the answer
  --bad-checksum K    send the answer with a wrong checksum
  --wrong-hash K      send the answer with another command's hash
  --no-start K        send the answer without its start character '#'
  --garbage K         send characters that are not a frame instead
  --overlong K        send an answer longer than 31 characters
  --delay MS          wait MS milliseconds before every answer
  --error CODE        answer every request with the error answer n.Err CODE
                      (0-255)
  --error-empty       answer every request with an n.Err that carries no code

Timing:
  --line-timing       model a half-duplex line at the module's speed: each
                      character received takes one character time to arrive,
                      the answer follows after the turnaround and is sent
                      when its last character would have arrived
  --turnaround US     with --line-timing: the module's pause in microseconds
                      between a request's last character and its answer's
                      first one (default 0)

Log:
  --log FILE          append the log to FILE instead of standard error
  --quiet             no log
  --help              this text
)";
}

std::optional<SimCommandLine> parseCommandLine(const std::vector<std::string>& args,
                                               std::string& error) {
    SimCommandLine line;
    using Handler = std::function<bool(const std::string&)>;
    auto number = [&error](const std::string& option, int low, int high, int& out) -> Handler {
        return [&error, option, low, high, &out](const std::string& value) {
            const auto parsed = wholeNumber(value);
            if (!parsed || *parsed < low || *parsed > high) {
                error = option + ": expected a number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", got '" + value + "'";
                return false;
            }
            out = *parsed;
            return true;
        };
    };
    const std::map<std::string, Handler> withValue = {
        {"--com", number("--com", 1, 255, line.server.comNumber)},
        {"--link",
         [&](const std::string& value) {
             line.server.linkPath = value;
             return !value.empty();
         }},
        {"--bps",
         [&](const std::string& value) {
             const auto parsed = wholeNumber(value);
             if (!parsed || !isAllowedBaudRate(*parsed)) {
                 error = "--bps: not a speed of the line: '" + value + "'";
                 return false;
             }
             line.settings.line.baudRate = *parsed;
             return true;
         }},
        {"--len", number("--len", 5, 8, line.settings.line.dataBits)},
        {"--parity",
         [&](const std::string& value) {
             if (value == "none") {
                 line.settings.line.parity = Parity::None;
             } else if (value == "even") {
                 line.settings.line.parity = Parity::Even;
             } else if (value == "odd") {
                 line.settings.line.parity = Parity::Odd;
             } else {
                 error = "--parity: none, even or odd, not '" + value + "'";
                 return false;
             }
             return true;
         }},
        {"--sbit", number("--sbit", 1, 2, line.settings.line.stopBits)},
        {"--addr", number("--addr", 0, 2047, line.settings.address)},
        {"--alen",
         [&](const std::string& value) {
             if (value != "8" && value != "11") {
                 error = "--alen: 8 or 11, not '" + value + "'";
                 return false;
             }
             line.settings.addressLength = value == "8" ? 8 : 11;
             return true;
         }},
        {"--model",
         [&](const std::string& value) {
             line.modelName = value;
             return true;
         }},
        {"--version",
         [&](const std::string& value) {
             line.version = value;
             return true;
         }},
        {"--probes",
         [&](const std::string& value) {
             std::size_t start = 0;
             while (start <= value.size()) {
                 const auto comma = value.find(',', start);
                 const std::string item = value.substr(
                     start, comma == std::string::npos ? std::string::npos : comma - start);
                 if (item == "rtu") {
                     line.probeFramings |= kAnswerModbusRtu;
                 } else if (item == "ascii") {
                     line.probeFramings |= kAnswerModbusAscii;
                 } else if (item == "dcon") {
                     line.probeFramings |= kAnswerDcon;
                 } else {
                     error = "--probes: rtu, ascii or dcon, not '" + item + "'";
                     return false;
                 }
                 if (comma == std::string::npos) {
                     break;
                 }
                 start = comma + 1;
             }
             return true;
         }},
        {"--drop-every", number("--drop-every", 0, 1000000, line.faults.dropEvery)},
        {"--bad-checksum", number("--bad-checksum", 0, 1000000, line.faults.badChecksumEvery)},
        {"--wrong-hash", number("--wrong-hash", 0, 1000000, line.faults.wrongHashEvery)},
        {"--no-start", number("--no-start", 0, 1000000, line.faults.missingStartEvery)},
        {"--garbage", number("--garbage", 0, 1000000, line.faults.garbageEvery)},
        {"--overlong", number("--overlong", 0, 1000000, line.faults.overlongEvery)},
        {"--delay", number("--delay", 0, 60000, line.server.delayMs)},
        {"--turnaround", number("--turnaround", 0, 1000000, line.server.turnaroundUs)},
        {"--error", number("--error", 0, 255, line.faults.errorCode)},
        {"--log",
         [&](const std::string& value) {
             line.logFile = value;
             return !value.empty();
         }},
        {"--set",
         [&](const std::string& value) {
             auto assignment = parseValueAssignment(value, error);
             if (!assignment) {
                 error = "--set: " + error;
                 return false;
             }
             line.assignments.push_back(std::move(*assignment));
             return true;
         }},
        {"--trees",
         [&](const std::string& value) {
             line.treeContainer = value;
             return !value.empty();
         }},
    };
    const std::map<std::string, std::function<void()>> flags = {
        {"--no-line-check", [&] { line.server.checkLine = false; }},
        {"--probes-only", [&] { line.deviceProtocol = false; }},
        {"--silent", [&] { line.faults.silent = true; }},
        {"--line-timing", [&] { line.server.lineTiming = true; }},
        {"--error-empty", [&] { line.faults.emptyError = true; }},
        {"--quiet", [&] { line.quiet = true; }},
        {"--builtin", [&] { line.builtinParameters = true; }},
        {"--help", [&] { line.help = true; }},
        {"-h", [&] { line.help = true; }},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> value;
        if (const auto equals = option.find('='); equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        if (const auto flag = flags.find(option); flag != flags.end() && !value) {
            flag->second();
            continue;
        }
        const auto handler = withValue.find(option);
        if (handler == withValue.end()) {
            error = "unknown option '" + args[i] + "'";
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                error = option + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (!handler->second(*value)) {
            if (error.empty()) {
                error = option + ": empty value";
            }
            return std::nullopt;
        }
    }
    return line;
}

}  // namespace tarn::sim
