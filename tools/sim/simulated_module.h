// SimulatedModule: the protocol engine of the simulated TARN module.
//
// Holds a set of parameters (values by name hash and linear index, with
// access attributes) and answers request frames the way the module does:
// values, attribute exchanges ("M.s.t.r."), n.Err error answers, the
// commands "dev", "ver", "exit", "INIT" and "APLY", scanner addressing (the
// module answers its base address plus an index), live values that change
// over time, and optionally the probe framings of other protocols. Faults
// can be injected into its answers.
//
// It knows nothing of the line: PtyServer feeds it frames and sends what it
// answers. All members may be called from any thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comm/frame_codec.h"
#include "comm/line_settings.h"

namespace tarn::sim {

// Computes a live value's text at a moment (seconds since the module
// started) for a linear index.
using LiveValue = std::function<std::string(double seconds, int index)>;

struct ParameterSpec {
    std::string name;
    std::string valueType;  // as in the tree files: "int", "float", an enumeration ...
    int count = 1;          // linear indices 0 .. count-1
    std::string initialValue;
    bool editable = true;
    bool ownedByFirm = false;
    bool hasAttributes = true;
    // The linear index travels in the data; by default for count > 1.
    std::optional<bool> indexed;
    LiveValue live;
    // Integer values outside these limits are refused (n.Err 55).
    std::optional<long> minimum;
    std::optional<long> maximum;
};

// A request as it arrived, with the moment the module took it (steady clock).
struct LoggedFrame {
    Frame frame;
    std::chrono::steady_clock::time_point received;
};

// The module's own line and address.
struct NetworkSettings {
    LineSettings line;
    int address = 16;
    int addressLength = 8;

    bool operator==(const NetworkSettings&) const = default;
};

// Faults injected into the answers. A period k applies the fault to every
// k-th answer (1: every answer, 0: never).
struct Faults {
    bool silent = false;
    int dropEvery = 0;
    int badChecksumEvery = 0;
    int wrongHashEvery = 0;
    int missingStartEvery = 0;
    int garbageEvery = 0;
    int overlongEvery = 0;
    int errorCode = -1;       // 0-255: every request is answered with n.Err of this code
    bool emptyError = false;  // every request is answered with an n.Err without data
    int ignoreRequests = 0;   // the next n hash-name requests get no answer at all
};

// A value the module is told to hold: "NAME=VALUE" or "NAME:INDEX=VALUE".
struct ValueAssignment {
    std::string name;
    int index = 0;
    std::string value;
};

// Reads "NAME[:INDEX]=VALUE" (the value may be empty and may hold "=");
// nothing, with the reason in `error`, when it does not read.
std::optional<ValueAssignment> parseValueAssignment(std::string_view text, std::string& error);

// Probe framings the module also answers (bit per framing).
inline constexpr unsigned kAnswerModbusRtu = 1;
inline constexpr unsigned kAnswerModbusAscii = 2;
inline constexpr unsigned kAnswerDcon = 4;

// Linear indices reachable through the address (base address + index).
inline constexpr int kScannerAddresses = 64;

class SimulatedModule {
public:
    SimulatedModule();

    // Adds a parameter family. A name whose hash is already present keeps
    // its first definition, with the larger of the two counts.
    void addParameter(const std::string& name, const std::string& valueType, int count,
                      const std::string& initialValue, bool editable = true,
                      bool ownedByFirm = false, bool hasAttributes = true);
    void addParameter(ParameterSpec spec);
    // Makes an existing parameter live; false when there is no such name.
    bool setLive(std::string_view name, LiveValue live);
    // Integer writes of an existing parameter outside [minimum, maximum] are
    // refused; false when there is no such name.
    bool setLimits(std::string_view name, long minimum, long maximum);
    std::size_t parameterCount() const;

    // Current value text; empty when there is no such parameter or index.
    std::optional<std::string> value(std::string_view name, int index = 0) const;
    bool setValue(std::string_view name, int index, const std::string& text);
    // Sets the value as setValue does, but only one the module can answer:
    // false, with the reason in `error`, for an unknown name or index, a
    // value that changes by itself (live), or a text its type cannot hold.
    bool assign(const ValueAssignment& assignment, std::string& error);
    std::optional<bool> editable(std::string_view name, int index = 0) const;
    bool setEditable(std::string_view name, int index, bool editable);
    std::optional<bool> ownedByFirm(std::string_view name, int index = 0) const;

    // The settings the module works with now. Setting them also puts them
    // into its network-setting parameters.
    NetworkSettings activeSettings() const;
    void setActiveSettings(const NetworkSettings& settings);
    // The settings its network-setting parameters hold (taken over by APLY).
    NetworkSettings parameterSettings() const;

    void setModelName(std::string name);   // "dev"; "TARN" by default
    void setVersion(std::string version);  // "ver"; "2.03" by default
    void setFaults(const Faults& faults);
    Faults faults() const;
    void setDeviceProtocol(bool answers);  // answers hash-name frames (default)
    void setProbeFramings(unsigned framings);
    unsigned probeFramings() const;

    // Answers a hash-name frame ('#' ... carriage return); nothing when the
    // module stays silent.
    std::optional<std::string> answerFrame(std::string_view wire);
    // Answers a probe of framing 1 (RTU), 2 (ASCII) or 3 (DCON style).
    std::optional<std::string> answerProbe(int framing, std::string_view wire);

    // Requests seen (whole frames, including those not answered).
    int requestsSeen() const;
    // Hash-name requests seen for a name (all of its indices).
    int requestsFor(std::string_view name) const;
    int answersSent() const;
    // Hash-name requests in order of arrival.
    std::vector<Frame> requestLog() const;
    // The same with the moment each arrived, so that a test can tell what
    // went out and when.
    std::vector<LoggedFrame> frameLog() const;
    void clearCounters();

    // Receives one line per frame in and out, readable for people.
    void setLog(std::function<void(const std::string&)> log);

    // The network name of a hash, or "0xHHHH".
    std::string nameOf(std::uint16_t hash) const;

private:
    struct Slot {
        std::string value;
        bool editable = true;
        bool ownedByFirm = false;
    };
    struct Family {
        ParameterSpec spec;
        bool indexed = false;
        std::vector<Slot> instances;
    };

    Family* find(std::string_view name);
    const Family* find(std::string_view name) const;
    // One instance of a family; nothing for an unknown name or index.
    Slot* slot(std::string_view name, int index);
    const Slot* slot(std::string_view name, int index) const;
    std::string currentValue(const Family& family, int index) const;
    std::optional<std::vector<std::uint8_t>> encodeValue(const Family& family,
                                                         const std::string& text) const;
    // The reply frame's data, or an n.Err code.
    struct Outcome {
        std::optional<Frame> reply;  // none: no answer at all
    };
    Outcome handle(const Frame& request, int indexOffset);
    Outcome handleAttributes(const Frame& request, int indexOffset);
    Outcome handleRead(Family& family, const Frame& request, int indexOffset);
    Outcome handleWrite(Family& family, const Frame& request, int indexOffset);
    static Outcome error(const Frame& request, int code);
    void putSettingsIntoParameters(const NetworkSettings& settings);
    NetworkSettings settingsFromParameters() const;
    std::optional<std::string> injectFaults(const Frame& reply, int addressLength);
    void log(const std::string& line) const;

    mutable std::mutex mutex_;
    std::vector<Family> families_;
    std::map<std::uint16_t, std::size_t> byHash_;
    NetworkSettings active_;
    std::string modelName_ = "TARN";
    std::string version_ = "2.03";
    Faults faults_;
    bool deviceProtocol_ = true;
    unsigned probeFramings_ = 0;
    double startTime_ = 0;
    int requests_ = 0;
    int answers_ = 0;
    int answerNumber_ = 0;  // answers due, counted for the fault periods
    int ignoreLeft_ = 0;    // requests still to ignore (Faults::ignoreRequests)
    std::map<std::uint16_t, int> requestsByHash_;
    std::vector<LoggedFrame> requestLog_;
    std::function<void(const std::string&)> log_;
};

}  // namespace tarn::sim
