// The command line of the configurator.
//
// Any option switches on unattended operation: a calling program names a
// configuration file and a task ("read", "write", "compare", "calibrate"), the port and
// line settings, and reads the outcome from the exit code.
//
// Arguments, as a POSIX shell passes them:
// - "-name" or "-name:value" is exactly one option; the name is lower-cased,
//   the value is kept as typed for "elog", "exitevent", "html", "report" and
//   "trace" and lower-cased otherwise;
// - an argument beginning with "/" is an option argument of the traditional
//   form ("/port:2/bps:9600", lower-cased as a whole and cut at every "/")
//   only when the text after the leading "/" up to its next "/" or ":" is a
//   known option name; otherwise it is a file name (an absolute path);
// - any other argument is the file name (the first one counts).
// "-help", "-?" and "--help" ask for the usage text, "-version" and
// "--version" for the program's version; they are not options.
// "-html:FILE" (only in the "-" form: its value is a path) writes the HTML
// parameter list and ends the run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/network_settings.h"

namespace tarn {

struct CommandLine {
    // Flags A.
    static constexpr std::uint16_t kAutoreadOn = 0x01;
    static constexpr std::uint16_t kAutoreadOff = 0x02;
    static constexpr std::uint16_t kTest = 0x10;
    static constexpr std::uint16_t kSilent = 0x20;
    static constexpr std::uint16_t kOffline = 0x40;
    static constexpr std::uint16_t kNewNetParam = 0x100;
    // Flags B.
    static constexpr std::uint32_t kWrite = 0x01;
    static constexpr std::uint32_t kNetworkSettings = 0x02;
    static constexpr std::uint32_t kClose = 0x04;
    static constexpr std::uint32_t kAply = 0x08;
    static constexpr std::uint32_t kCalibrate = 0x10;
    static constexpr std::uint32_t kUnattended = 0x20;
    static constexpr std::uint32_t kRead = 0x40;
    // Compare the configuration file with the module, store nothing.
    static constexpr std::uint32_t kCompare = 0x80;
    // Flags C: which of the window's position and size were given.
    static constexpr std::uint8_t kXGiven = 0x01;
    static constexpr std::uint8_t kYGiven = 0x02;
    static constexpr std::uint8_t kWGiven = 0x04;
    static constexpr std::uint8_t kHGiven = 0x08;

    // Converter values of "rs485".
    static constexpr std::uint8_t kConverterAuto = 1;
    static constexpr std::uint8_t kConverterOff = 2;
    static constexpr std::uint8_t kConverterOn = 3;

    std::string fileName;
    std::uint16_t flagsA = 0;
    std::uint32_t flagsB = 0;
    std::uint8_t flagsC = 0;
    std::uint8_t port = 0;  // COM number; 0: not given
    std::uint32_t baudRate = 0;
    std::optional<Parity> parity;  // "even", "odd" or "no"
    std::string address;           // at most 5 characters
    std::uint8_t dataBits = 0;
    std::string stopBits;  // at most 4 characters
    std::uint8_t addressLength = 0;
    std::uint8_t converter = 0;  // 0: not given
    std::int32_t x = 0, y = 0, w = 0, h = 0;
    std::string exitEventName;  // the named semaphore a calling program posts
    std::string errorLogPath;
    std::string htmlPath;  // the HTML parameter list to write ("-html")
    bool htmlRequested = false;
    // The JSON report written at the end of an unattended run ("report").
    std::string reportPath;
    // Every frame on the line, one a line ("trace").
    std::string tracePath;
    bool helpRequested = false;
    bool versionRequested = false;

    bool has(std::uint16_t a) const { return (flagsA & a) != 0; }
    bool hasB(std::uint32_t b) const { return (flagsB & b) != 0; }
    bool unattended() const { return hasB(kUnattended); }
    bool silent() const { return has(kSilent); }
    bool offline() const { return has(kOffline); }

    // Ends the unattended task: every setting from flags B to the window size
    // is forgotten, but the run stays unattended.
    void clearTaskSettings();
};

// Parses the arguments after the program name. Files named by "elog" are not
// created here (see createErrorLog).
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// Creates (or empties) the error log file named on the command line. The
// path stays remembered even when the file cannot be created.
bool createErrorLog(const std::string& path);

// The usage text of "-help".
std::string usageText();

// The text of "--version": the program's name, version and copyright line.
std::string versionText();

}  // namespace tarn
