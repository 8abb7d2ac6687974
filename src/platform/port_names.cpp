#include "platform/port_names.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/numbers.h"
#include "platform/text.h"

namespace tarn {
namespace fs = std::filesystem;

namespace {

struct DeviceFamily {
    const char* prefix;  // device name without its number, e.g. "ttyUSB"
    int firstPort;       // COM number of device 0
    int count;
};

constexpr DeviceFamily kFamilies[] = {
    {"ttyS", 1, 100},
    {"ttyUSB", 101, 100},
    {"ttyACM", 201, kMaxPortNumber - 200},
};

// Whether /dev/<name> is a serial port with hardware behind it. The kernel
// creates ttyS nodes for every possible UART; only those whose port type is
// not 0 (PORT_UNKNOWN) exist.
bool devicePresent(const std::string& name) {
    std::error_code ec;
    if (!fs::exists("/dev/" + name, ec)) {
        return false;
    }
    if (name.starts_with("ttyS")) {
        std::ifstream type("/sys/class/tty/" + name + "/type");
        int value = 0;
        return static_cast<bool>(type >> value) && value != 0;
    }
    return true;
}

}  // namespace

std::string portsDirectory() {
    const char* dir = std::getenv("TARN_PORTS_DIR");
    if (dir != nullptr && *dir != '\0') {
        return dir;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/BRIX/TARN/ports";
}

std::optional<int> portNumber(std::string_view name) {
    if (name.size() < 4 || !text::startsWithNoCase(name, "COM")) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(3);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.size() > 3) {
        return std::nullopt;
    }
    const int number = numbers::leadingInteger(digits);
    if (number < 1 || number > kMaxPortNumber) {
        return std::nullopt;
    }
    return number;
}

std::string defaultDeviceForPort(int number) {
    for (const auto& family : kFamilies) {
        if (number >= family.firstPort && number < family.firstPort + family.count) {
            return "/dev/" + std::string(family.prefix) + std::to_string(number - family.firstPort);
        }
    }
    return {};
}

std::string resolvePortName(std::string_view name) {
    const auto number = portNumber(name);
    if (!number) {
        return std::string(name);
    }
    const fs::path entry = fs::path(portsDirectory()) / ("COM" + std::to_string(*number));
    std::error_code ec;
    if (fs::is_symlink(entry, ec)) {
        const fs::path target = fs::read_symlink(entry, ec);
        if (!ec) {
            return (target.is_absolute() ? target : entry.parent_path() / target).string();
        }
    } else if (fs::is_regular_file(entry, ec)) {
        std::ifstream file(entry);
        std::string line;
        if (std::getline(file, line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
                line.pop_back();
            }
            if (!line.empty()) {
                return line;
            }
        }
    }
    return defaultDeviceForPort(*number);
}

std::vector<std::string> listPorts() {
    std::set<int> numbers;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(portsDirectory(), ec)) {
        if (const auto number = portNumber(entry.path().filename().string())) {
            numbers.insert(*number);
        }
    }
    for (const auto& family : kFamilies) {
        for (int i = 0; i < family.count; ++i) {
            if (devicePresent(family.prefix + std::to_string(i))) {
                numbers.insert(family.firstPort + i);
            }
        }
    }
    std::vector<std::string> names;
    for (const int number : numbers) {
        names.push_back("COM" + std::to_string(number));
    }
    return names;
}

}  // namespace tarn
