#include "sim/simulated_module.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "comm/link_context.h"
#include "comm/probe_framing.h"
#include "model/my_converter.h"
#include "model/network_name.h"
#include "platform/numbers.h"
#include "platform/text.h"

namespace tarn::sim {
namespace {

// Error codes of n.Err answers.
constexpr int kErrorReadOnly = 3;
constexpr int kErrorNoAttributes = 8;
constexpr int kErrorChecksum = 39;
constexpr int kErrorUnknownName = 40;
constexpr int kErrorDataSize = 49;
constexpr int kErrorLocked = 51;
constexpr int kErrorIndex = 52;
constexpr int kErrorValueRejected = 55;
constexpr int kErrorStorage = 72;

constexpr std::size_t kMaxTextBytes = 8;   // what fits into one answer
constexpr std::size_t kOverlongData = 10;  // makes an answer longer than 31 characters

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint16_t attributeHash() {
    static const std::uint16_t hash = NetNameHash("M.s.t.r.");
    return hash;
}

bool isNamed(const ParameterSpec& spec, std::string_view name) {
    return text::equalsNoCase(spec.name, name);
}

MyConverter converterFor(const ParameterSpec& spec) {
    MyConverter converter(spec.name);
    converter.setValueType(spec.valueType);
    return converter;
}

bool isTextValue(const ParameterSpec& spec) {
    return isNamed(spec, "dev") || isNamed(spec, "ver") ||
           converterFor(spec).valueKind() == ValueKind::Text;
}

// Value bytes a write may carry for the kind of value.
bool sizeFits(const ParameterSpec& spec, std::size_t size) {
    switch (converterFor(spec).valueKind()) {
        case ValueKind::Integer:
        case ValueKind::Clock:
            return size == 1 || size == 2;
        case ValueKind::Real:
            return size == 3;
        case ValueKind::Void:
            return size == 0;
        case ValueKind::Name:
            return size == 4;
        case ValueKind::Enumeration:
            return size == 1;
        case ValueKind::Text:
            return false;
    }
    return false;
}

std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char buffer[4];
    for (const auto byte : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X", byte);
        if (!text.empty()) {
            text += ' ';
        }
        text += buffer;
    }
    return text;
}

std::string printable(std::string_view wire) {
    std::string text;
    char buffer[8];
    for (const char c : wire) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r') {
            text += "<CR>";
        } else if (byte == '\n') {
            text += "<LF>";
        } else if (byte < 32 || byte >= 127) {
            std::snprintf(buffer, sizeof buffer, "<%02X>", byte);
            text += buffer;
        } else {
            text.push_back(c);
        }
    }
    return text;
}

std::string parityTextOf(Parity parity) {
    const std::string_view text = tarn::parityText(parity);
    return std::string(text.empty() ? tarn::parityText(Parity::None) : text);
}

bool isLineSetting(const ParameterSpec& spec) {
    for (const NetworkSetting& setting : kLineSettings) {
        if (isNamed(spec, setting.networkName)) {
            return true;
        }
    }
    return false;
}

bool withinLimits(const ParameterSpec& spec, const std::string& value) {
    if (!spec.minimum && !spec.maximum) {
        return true;
    }
    const long number = numbers::leadingInteger(value);
    return (!spec.minimum || number >= *spec.minimum) && (!spec.maximum || number <= *spec.maximum);
}

}  // namespace

SimulatedModule::SimulatedModule() : startTime_(secondsNow()) {}

void SimulatedModule::addParameter(const std::string& name, const std::string& valueType, int count,
                                   const std::string& initialValue, bool editable, bool ownedByFirm,
                                   bool hasAttributes) {
    ParameterSpec spec;
    spec.name = name;
    spec.valueType = valueType;
    spec.count = count;
    spec.initialValue = initialValue;
    spec.editable = editable;
    spec.ownedByFirm = ownedByFirm;
    spec.hasAttributes = hasAttributes;
    addParameter(std::move(spec));
}

void SimulatedModule::addParameter(ParameterSpec spec) {
    std::lock_guard lock(mutex_);
    spec.count = std::max(spec.count, 1);
    const std::uint16_t hash = NetNameHash(spec.name);
    const Slot slot{spec.initialValue, spec.editable, spec.ownedByFirm};
    if (const auto found = byHash_.find(hash); found != byHash_.end()) {
        Family& family = families_[found->second];
        if (spec.count > family.spec.count) {
            const Slot first{family.spec.initialValue, family.spec.editable,
                             family.spec.ownedByFirm};
            family.spec.count = spec.count;
            family.instances.resize(static_cast<std::size_t>(spec.count), first);
            family.indexed = family.spec.indexed.value_or(spec.count > 1);
        }
        return;
    }
    Family family;
    family.indexed = spec.indexed.value_or(spec.count > 1);
    family.instances.assign(static_cast<std::size_t>(spec.count), slot);
    family.spec = std::move(spec);
    byHash_[hash] = families_.size();
    families_.push_back(std::move(family));
}

bool SimulatedModule::setLive(std::string_view name, LiveValue live) {
    std::lock_guard lock(mutex_);
    Family* family = find(name);
    if (family == nullptr) {
        return false;
    }
    family->spec.live = std::move(live);
    return true;
}

bool SimulatedModule::setLimits(std::string_view name, long minimum, long maximum) {
    std::lock_guard lock(mutex_);
    Family* family = find(name);
    if (family == nullptr) {
        return false;
    }
    family->spec.minimum = minimum;
    family->spec.maximum = maximum;
    return true;
}

std::size_t SimulatedModule::parameterCount() const {
    std::lock_guard lock(mutex_);
    return families_.size();
}

SimulatedModule::Family* SimulatedModule::find(std::string_view name) {
    const auto found = byHash_.find(NetNameHash(name));
    return found == byHash_.end() ? nullptr : &families_[found->second];
}

const SimulatedModule::Family* SimulatedModule::find(std::string_view name) const {
    const auto found = byHash_.find(NetNameHash(name));
    return found == byHash_.end() ? nullptr : &families_[found->second];
}

std::optional<std::string> SimulatedModule::value(std::string_view name, int index) const {
    std::lock_guard lock(mutex_);
    const Family* family = find(name);
    if (family == nullptr || index < 0 || index >= family->spec.count) {
        return std::nullopt;
    }
    return currentValue(*family, index);
}

SimulatedModule::Slot* SimulatedModule::slot(std::string_view name, int index) {
    Family* family = find(name);
    if (family == nullptr || index < 0 || index >= family->spec.count) {
        return nullptr;
    }
    return &family->instances[static_cast<std::size_t>(index)];
}

const SimulatedModule::Slot* SimulatedModule::slot(std::string_view name, int index) const {
    return const_cast<SimulatedModule*>(this)->slot(name, index);
}

bool SimulatedModule::setValue(std::string_view name, int index, const std::string& text) {
    std::lock_guard lock(mutex_);
    Slot* instance = slot(name, index);
    if (instance != nullptr) {
        instance->value = text;
    }
    return instance != nullptr;
}

std::optional<ValueAssignment> parseValueAssignment(std::string_view text, std::string& error) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "expected NAME=VALUE or NAME:INDEX=VALUE, got '" + std::string(text) + "'";
        return std::nullopt;
    }
    ValueAssignment assignment;
    std::string_view name = text.substr(0, equals);
    assignment.value = std::string(text.substr(equals + 1));
    if (const auto colon = name.find(':'); colon != std::string_view::npos) {
        const std::string index(name.substr(colon + 1));
        const bool digits = !index.empty() && index.size() <= 6 &&
                            index.find_first_not_of("0123456789") == std::string::npos;
        if (!digits) {
            error = "the index of '" + std::string(name) + "' is not a number";
            return std::nullopt;
        }
        assignment.index = numbers::leadingInteger(index);
        name = name.substr(0, colon);
    }
    if (name.empty()) {
        error = "no parameter name in '" + std::string(text) + "'";
        return std::nullopt;
    }
    assignment.name = std::string(name);
    return assignment;
}

bool SimulatedModule::assign(const ValueAssignment& assignment, std::string& error) {
    std::lock_guard lock(mutex_);
    const std::string label = assignment.name + ":" + std::to_string(assignment.index);
    Family* family = find(assignment.name);
    if (family == nullptr) {
        error = "the module has no parameter " + assignment.name;
        return false;
    }
    Slot* instance = slot(assignment.name, assignment.index);
    if (instance == nullptr) {
        error = "the module has no " + label + " (indices 0 to " +
                std::to_string(family->spec.count - 1) + ")";
        return false;
    }
    if (family->spec.live) {
        error = label + " is a live value that changes by itself";
        return false;
    }
    // A typed value is kept in the form the program reads back ("12.500").
    std::optional<std::string> text = assignment.value;
    if (!isTextValue(family->spec)) {
        const MyConverter converter = converterFor(family->spec);
        // The program's input check takes the leading number of any text;
        // a value given to the module must be a number as a whole.
        const bool real = converter.valueKind() == ValueKind::Real;
        text = real && !numbers::wholeReal(assignment.value)
                   ? std::nullopt
                   : converter.checkUserInput(assignment.value);
    }
    if (!text || !encodeValue(*family, *text)) {
        error = "'" + assignment.value + "' is no value of " + label + " (type " +
                family->spec.valueType + ")";
        return false;
    }
    instance->value = *text;
    return true;
}

std::optional<bool> SimulatedModule::editable(std::string_view name, int index) const {
    std::lock_guard lock(mutex_);
    const Slot* instance = slot(name, index);
    return instance == nullptr ? std::nullopt : std::optional<bool>(instance->editable);
}

bool SimulatedModule::setEditable(std::string_view name, int index, bool editable) {
    std::lock_guard lock(mutex_);
    Slot* instance = slot(name, index);
    if (instance != nullptr) {
        instance->editable = editable;
    }
    return instance != nullptr;
}

std::optional<bool> SimulatedModule::ownedByFirm(std::string_view name, int index) const {
    std::lock_guard lock(mutex_);
    const Slot* instance = slot(name, index);
    return instance == nullptr ? std::nullopt : std::optional<bool>(instance->ownedByFirm);
}

std::string SimulatedModule::currentValue(const Family& family, int index) const {
    if (family.spec.live) {
        return family.spec.live(secondsNow() - startTime_, index);
    }
    return family.instances[static_cast<std::size_t>(index)].value;
}

NetworkSettings SimulatedModule::activeSettings() const {
    std::lock_guard lock(mutex_);
    return active_;
}

void SimulatedModule::setActiveSettings(const NetworkSettings& settings) {
    std::lock_guard lock(mutex_);
    active_ = settings;
    putSettingsIntoParameters(settings);
}

void SimulatedModule::putSettingsIntoParameters(const NetworkSettings& settings) {
    const auto put = [this](std::string_view name, const std::string& text) {
        if (Family* family = find(name)) {
            for (auto& slot : family->instances) {
                slot.value = text;
            }
        }
    };
    put("bPS", std::to_string(settings.line.baudRate));
    put("LEn", std::to_string(settings.line.dataBits));
    put("PrtY", parityTextOf(settings.line.parity));
    put("Sbit", std::to_string(settings.line.stopBits));
    put("A.Len", std::to_string(settings.addressLength));
    put("Addr", std::to_string(settings.address));
}

NetworkSettings SimulatedModule::parameterSettings() const {
    std::lock_guard lock(mutex_);
    return settingsFromParameters();
}

NetworkSettings SimulatedModule::settingsFromParameters() const {
    NetworkSettings settings = active_;
    const auto number = [this](std::string_view name, int fallback) {
        const Family* family = find(name);
        return family == nullptr ? fallback : numbers::leadingInteger(family->instances[0].value);
    };
    settings.line.baudRate = number("bPS", settings.line.baudRate);
    settings.line.dataBits = number("LEn", settings.line.dataBits);
    settings.line.stopBits = number("Sbit", settings.line.stopBits);
    settings.addressLength = number("A.Len", settings.addressLength);
    settings.address = number("Addr", settings.address);
    if (const Family* parity = find("PrtY")) {
        settings.line.parity =
            parityFromText(parity->instances[0].value).value_or(settings.line.parity);
    }
    return settings;
}

void SimulatedModule::setModelName(std::string name) {
    std::lock_guard lock(mutex_);
    modelName_ = std::move(name);
}

void SimulatedModule::setVersion(std::string version) {
    std::lock_guard lock(mutex_);
    version_ = std::move(version);
}

void SimulatedModule::setFaults(const Faults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
    ignoreLeft_ = faults.ignoreRequests;
}

Faults SimulatedModule::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void SimulatedModule::setDeviceProtocol(bool answers) {
    std::lock_guard lock(mutex_);
    deviceProtocol_ = answers;
}

void SimulatedModule::setProbeFramings(unsigned framings) {
    std::lock_guard lock(mutex_);
    probeFramings_ = framings;
}

unsigned SimulatedModule::probeFramings() const {
    std::lock_guard lock(mutex_);
    return probeFramings_;
}

int SimulatedModule::requestsSeen() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int SimulatedModule::requestsFor(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto found = requestsByHash_.find(NetNameHash(name));
    return found == requestsByHash_.end() ? 0 : found->second;
}

int SimulatedModule::answersSent() const {
    std::lock_guard lock(mutex_);
    return answers_;
}

std::vector<Frame> SimulatedModule::requestLog() const {
    std::lock_guard lock(mutex_);
    std::vector<Frame> frames;
    frames.reserve(requestLog_.size());
    for (const auto& logged : requestLog_) {
        frames.push_back(logged.frame);
    }
    return frames;
}

std::vector<LoggedFrame> SimulatedModule::frameLog() const {
    std::lock_guard lock(mutex_);
    return requestLog_;
}

void SimulatedModule::clearCounters() {
    std::lock_guard lock(mutex_);
    requests_ = 0;
    answers_ = 0;
    answerNumber_ = 0;
    requestsByHash_.clear();
    requestLog_.clear();
}

void SimulatedModule::setLog(std::function<void(const std::string&)> log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void SimulatedModule::log(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

std::string SimulatedModule::nameOf(std::uint16_t hash) const {
    if (hash == attributeHash()) {
        return "M.s.t.r.";
    }
    if (hash == kHashAply) {
        return "APLY";
    }
    if (hash == kHashNErr) {
        return "n.Err";
    }
    if (const auto found = byHash_.find(hash); found != byHash_.end()) {
        return families_[found->second].spec.name;
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%04X", hash);
    return buffer;
}

std::optional<std::vector<std::uint8_t>> SimulatedModule::encodeValue(
    const Family& family, const std::string& text) const {
    const ParameterSpec& spec = family.spec;
    if (isNamed(spec, "exit")) {
        // The diagnostic report: "module address" and the address.
        return std::vector<std::uint8_t>{24, static_cast<std::uint8_t>(active_.address >> 8),
                                         static_cast<std::uint8_t>(active_.address & 0xFF)};
    }
    std::string shown = text;
    if (isNamed(spec, "dev")) {
        shown = modelName_;
    } else if (isNamed(spec, "ver")) {
        shown = version_;
    }
    if (isTextValue(spec)) {
        std::string bytes = text::toCp1251(shown).substr(0, kMaxTextBytes);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    std::vector<std::uint8_t> bytes;
    if (converterFor(spec).ConvertToData(text, bytes) != MyConverter::kConverted) {
        return std::nullopt;
    }
    return bytes;
}

SimulatedModule::Outcome SimulatedModule::error(const Frame& request, int code) {
    Frame reply;
    reply.address = request.address;
    reply.hash = kHashNErr;
    reply.data = {static_cast<std::uint8_t>(code)};
    return {reply};
}

SimulatedModule::Outcome SimulatedModule::handle(const Frame& request, int indexOffset) {
    if (request.hash == attributeHash()) {
        return handleAttributes(request, indexOffset);
    }
    if (request.hash == kHashAply) {
        // Takes over the settings its parameters hold; nobody waits for an
        // answer, and the next request must come on the new line.
        const NetworkSettings next = settingsFromParameters();
        active_ = next;
        char line[96];
        std::snprintf(line, sizeof line,
                      "   APLY: now %d baud, %d data bits, parity %d, %d stop "
                      "bits, address %d (%d bits)",
                      next.line.baudRate, next.line.dataBits, static_cast<int>(next.line.parity),
                      next.line.stopBits, next.address, next.addressLength);
        log(line);
        return {};
    }
    const auto found = byHash_.find(request.hash);
    if (found == byHash_.end()) {
        return error(request, kErrorUnknownName);
    }
    Family& family = families_[found->second];
    if (isNamed(family.spec, "INIT")) {
        // Device initialisation: every value back to its initial one; the
        // line settings stay.
        for (auto& other : families_) {
            if (!isLineSetting(other.spec)) {
                for (auto& slot : other.instances) {
                    slot.value = other.spec.initialValue;
                }
            }
        }
        log("   INIT: values reset");
    }
    return request.readFlag ? handleRead(family, request, indexOffset)
                            : handleWrite(family, request, indexOffset);
}

SimulatedModule::Outcome SimulatedModule::handleAttributes(const Frame& request, int indexOffset) {
    const bool write = !request.readFlag;
    const std::size_t skip = write ? 1 : 0;
    if (request.data.size() < skip + 2) {
        return error(request, kErrorDataSize);
    }
    const std::size_t rest = request.data.size() - skip;
    if (rest != 2 && rest != 4) {
        return error(request, kErrorDataSize);
    }
    const auto& d = request.data;
    const auto hash = static_cast<std::uint16_t>((d[d.size() - 2] << 8) | d[d.size() - 1]);
    int index = indexOffset;
    if (rest == 4) {
        index += (d[skip] << 8) | d[skip + 1];
    }
    const auto found = byHash_.find(hash);
    if (found == byHash_.end()) {
        return error(request, kErrorUnknownName);
    }
    Family& family = families_[found->second];
    if (!family.spec.hasAttributes) {
        return error(request, kErrorNoAttributes);
    }
    if (index >= family.spec.count) {
        return error(request, kErrorIndex);
    }
    Slot& slot = family.instances[static_cast<std::size_t>(index)];
    if (write) {
        slot.editable = (d[0] & 1) != 0;
        slot.ownedByFirm = (d[0] & 2) == 0;
    }
    Frame reply;
    reply.address = request.address;
    reply.hash = request.hash;
    reply.data.push_back(
        static_cast<std::uint8_t>((slot.editable ? 1 : 0) | (slot.ownedByFirm ? 0 : 2)));
    if (rest == 4) {
        reply.data.push_back(d[skip]);
        reply.data.push_back(d[skip + 1]);
    }
    reply.data.push_back(static_cast<std::uint8_t>(hash >> 8));
    reply.data.push_back(static_cast<std::uint8_t>(hash & 0xFF));
    return {reply};
}

SimulatedModule::Outcome SimulatedModule::handleRead(Family& family, const Frame& request,
                                                     int indexOffset) {
    if (isNamed(family.spec, "CLB.A")) {
        log("   CLB.A: calibration ended");
    }
    int index = indexOffset;
    if (request.data.size() == 2) {
        index += (request.data[0] << 8) | request.data[1];
    } else if (!request.data.empty()) {
        return error(request, kErrorDataSize);
    }
    if (index >= family.spec.count) {
        return error(request, kErrorIndex);
    }
    auto bytes = encodeValue(family, currentValue(family, index));
    if (!bytes) {
        return error(request, kErrorStorage);
    }
    Frame reply;
    reply.address = request.address;
    reply.hash = request.hash;
    reply.data = std::move(*bytes);
    reply.data.insert(reply.data.end(), request.data.begin(), request.data.end());
    return {reply};
}

SimulatedModule::Outcome SimulatedModule::handleWrite(Family& family, const Frame& request,
                                                      int indexOffset) {
    if (isTextValue(family.spec) || isNamed(family.spec, "exit")) {
        return error(request, kErrorReadOnly);
    }
    std::vector<std::uint8_t> valueBytes = request.data;
    std::vector<std::uint8_t> indexBytes;
    int index = indexOffset;
    if (family.indexed) {
        if (valueBytes.size() < 2) {
            return error(request, kErrorDataSize);
        }
        indexBytes.assign(valueBytes.end() - 2, valueBytes.end());
        valueBytes.resize(valueBytes.size() - 2);
        index += (indexBytes[0] << 8) | indexBytes[1];
    }
    if (index >= family.spec.count) {
        return error(request, kErrorIndex);
    }
    if (!sizeFits(family.spec, valueBytes.size())) {
        return error(request, kErrorDataSize);
    }
    Slot& slot = family.instances[static_cast<std::size_t>(index)];
    if (!slot.editable) {
        return error(request, kErrorLocked);
    }
    MyConverter converter = converterFor(family.spec);
    converter.setValueText(slot.value);
    if (converter.ConvertFromData(valueBytes) != MyConverter::kConverted) {
        return error(request, kErrorValueRejected);
    }
    if (!withinLimits(family.spec, converter.valueText())) {
        log("   (" + converter.valueText() + " is out of range: refused)");
        return error(request, kErrorValueRejected);
    }
    slot.value = converter.valueText();
    if (isNamed(family.spec, "CLB.I")) {
        log("   CLB.I: adjusting coefficient " + slot.value);
    }
    auto bytes = encodeValue(family, currentValue(family, index));
    if (!bytes) {
        return error(request, kErrorStorage);
    }
    Frame reply;
    reply.address = request.address;
    reply.hash = request.hash;
    reply.data = std::move(*bytes);
    reply.data.insert(reply.data.end(), indexBytes.begin(), indexBytes.end());
    return {reply};
}

std::optional<std::string> SimulatedModule::injectFaults(const Frame& reply, int addressLength) {
    const int n = answerNumber_;
    const auto due = [n](int every) { return every > 0 && n % every == 0; };
    if (due(faults_.dropEvery)) {
        log("   (answer dropped)");
        return std::nullopt;
    }
    Frame frame = reply;
    if (due(faults_.wrongHashEvery)) {
        frame.hash = static_cast<std::uint16_t>(frame.hash ^ 0x0101);
    }
    if (due(faults_.overlongEvery)) {
        frame.data.resize(std::max(frame.data.size(), kOverlongData), 0);
    }
    std::string wire = encodeFrame(frame, addressLength);
    if (due(faults_.badChecksumEvery)) {
        char& c = wire[wire.size() - 2];
        c = c == 'G' ? 'H' : 'G';
    }
    if (due(faults_.missingStartEvery)) {
        wire.erase(0, 1);
    }
    if (due(faults_.garbageEvery)) {
        wire = std::string("\x15\x7F") + "QWERTY" + wire.substr(1);
    }
    return wire;
}

std::optional<std::string> SimulatedModule::answerFrame(std::string_view wire) {
    std::lock_guard lock(mutex_);
    ++requests_;
    if (!deviceProtocol_) {
        log("<- " + printable(wire) + "   (device protocol off: ignored)");
        return std::nullopt;
    }
    const auto parsed = parseFrame(wire, active_.addressLength);
    if (!parsed) {
        log("<- " + printable(wire) + "   (malformed: ignored)");
        return std::nullopt;
    }
    const Frame& request = parsed->frame;
    requestLog_.push_back({request, std::chrono::steady_clock::now()});
    ++requestsByHash_[request.hash];
    char head[96];
    std::snprintf(head, sizeof head, "   address %d, %s, hash 0x%04X ", request.address,
                  request.readFlag ? "read" : "write", request.hash);
    log("<- " + printable(wire) + head + nameOf(request.hash) + ", data [" + hex(request.data) +
        "]");

    int indexOffset = 0;
    if (request.address != 255) {
        indexOffset = request.address - active_.address;
        if (indexOffset < 0 || indexOffset >= kScannerAddresses) {
            log("   (another address: ignored)");
            return std::nullopt;
        }
    }
    if (ignoreLeft_ > 0) {
        --ignoreLeft_;
        log("   (ignored)");
        return std::nullopt;
    }
    Outcome outcome;
    if (!parsed->checksumOk) {
        outcome = error(request, kErrorChecksum);
    } else if (faults_.emptyError && request.hash != kHashAply) {
        outcome = error(request, 0);
        outcome.reply->data.clear();
    } else if (faults_.errorCode >= 0 && request.hash != kHashAply) {
        outcome = error(request, faults_.errorCode);
    } else {
        outcome = handle(request, indexOffset);
    }
    if (!outcome.reply) {
        return std::nullopt;
    }
    if (faults_.silent) {
        log("   (silent)");
        return std::nullopt;
    }
    ++answerNumber_;
    auto answer = injectFaults(*outcome.reply, active_.addressLength);
    if (answer) {
        ++answers_;
        const Frame& reply = *outcome.reply;
        log("-> " + printable(*answer) + "   " + nameOf(reply.hash) + ", data [" + hex(reply.data) +
            "]");
    }
    return answer;
}

std::optional<std::string> SimulatedModule::answerProbe(int framing, std::string_view wire) {
    std::lock_guard lock(mutex_);
    ++requests_;
    const unsigned bit = framing == kProtocolModbusRtu     ? kAnswerModbusRtu
                         : framing == kProtocolModbusAscii ? kAnswerModbusAscii
                         : framing == kProtocolDcon        ? kAnswerDcon
                                                           : 0;
    const char* names[] = {"", "Modbus RTU", "Modbus ASCII", "DCON"};
    const std::string what = bit != 0 ? names[framing] : "probe";
    if ((probeFramings_ & bit) == 0 || faults_.silent) {
        log("<- " + printable(wire) + "   (" + what + ": not answered)");
        return std::nullopt;
    }
    std::optional<ProbeMessage> message;
    if (framing == kProtocolModbusRtu) {
        message = decodeModbusRtu(wire);
    } else if (framing == kProtocolModbusAscii) {
        message = decodeModbusAscii(wire);
    } else {
        message = decodeDcon('%', wire);
    }
    if (!message || !message->checkOk || message->address != (active_.address & 0xFF)) {
        log("<- " + printable(wire) + "   (" + what + ": not for this module)");
        return std::nullopt;
    }
    log("<- " + printable(wire) + "   " + what);
    std::string answer;
    if (framing == kProtocolModbusRtu) {
        answer = encodeModbusRtu(message->address, message->data);
    } else if (framing == kProtocolModbusAscii) {
        answer = encodeModbusAscii(message->address, message->data);
    } else {
        answer = encodeDcon('!', message->address, modelName_);
    }
    ++answers_;
    log("-> " + printable(answer));
    return answer;
}

}  // namespace tarn::sim
