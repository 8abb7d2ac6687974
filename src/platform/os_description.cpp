#include "platform/os_description.h"

#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/utsname.h>
#endif

namespace tarn {
namespace {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The os-release value syntax: optionally quoted with " or ', backslash
// escapes inside double quotes.
std::string unquote(std::string_view value) {
    value = trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        const char quote = value.front();
        value = value.substr(1, value.size() - 2);
        std::string result;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (quote == '"' && value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            result += value[i];
        }
        return result;
    }
    return std::string(value);
}

#ifdef _WIN32
std::string build(unsigned number) {
    // "%4i": at least four characters, padded with blanks on the left.
    std::string digits = std::to_string(number);
    if (digits.size() < 4) {
        digits.insert(0, 4 - digits.size(), ' ');
    }
    return digits;
}

// The version families the program names, from the packed version number.
std::string windowsVersionText(DWORD packed) {
    const unsigned major = packed & 0xFFu;
    const unsigned buildNumber = (packed >> 16) & 0xFFFFu;
    if ((packed & 0x80000000u) == 0) {
        switch (major) {
            case 3:
                return "Windows NT 3.51 Build " + build(buildNumber);
            case 4:
                return "Windows NT 4.xx Build " + build(buildNumber);
            case 5:
                return "Windows 2000/XP Build " + build(buildNumber);
            default:
                return "Windows NT/2k-подобная система";
        }
    }
    if (major < 4) {
        return "MS Windows 3.1x + Win32s Build " + build(buildNumber & 0x7FFFu);
    }
    return "Windows 9x/Me";
}
#endif

}  // namespace

std::string prettyNameFromOsRelease(std::string_view osRelease) {
    std::istringstream lines{std::string(osRelease)};
    std::string line;
    std::string found;
    while (std::getline(lines, line)) {
        const std::string_view entry = trim(line);
        constexpr std::string_view key = "PRETTY_NAME=";
        if (entry.starts_with(key)) {
            found = unquote(entry.substr(key.size()));
        }
    }
    return found;
}

std::string describeOperatingSystem(const std::string& osReleasePath) {
#ifdef _WIN32
    (void)osReleasePath;
    return windowsVersionText(GetVersion());
#else
    std::string description;
    utsname names{};
    if (uname(&names) == 0) {
        description = std::string(names.sysname) + " " + names.release;
    }
    std::ifstream file(osReleasePath);
    std::string pretty;
    if (file) {
        std::ostringstream content;
        content << file.rdbuf();
        pretty = prettyNameFromOsRelease(content.str());
    }
    if (!pretty.empty()) {
        description = description.empty() ? pretty : description + " (" + pretty + ")";
    }
    return description.empty() ? std::string(kUnknownSystem) : description;
#endif
}

}  // namespace tarn
