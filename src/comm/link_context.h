// The program-wide values that the communication layer reads and writes.
//
// Several threads exchange frames (the transmit thread, the scanner thread,
// dialogs on the user-interface thread), so every value is atomic. The
// program owns one LinkContext and hands it to its DeviceLink; tests make
// their own.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarn {

// Bits of the run result code. At exit the lowest set bit selects the exit
// code (0x01 -> 200, 0x02 -> 201, 0x04 -> 202, 0x08 -> 203, 0x20 -> 205,
// 0x40 -> 206).
inline constexpr std::uint32_t kRunWriteFileMissing = 0x01;
inline constexpr std::uint32_t kRunPortNotOpened = 0x02;
inline constexpr std::uint32_t kRunTimeout = 0x04;
inline constexpr std::uint32_t kRunLineFault = 0x08;
inline constexpr std::uint32_t kRunInterrupted = 0x20;
inline constexpr std::uint32_t kRunNoDevice = 0x40;

// Framing of the requests: the device protocol, or one of the probes that
// the connection search tries.
inline constexpr int kProtocolDevice = 0;
inline constexpr int kProtocolModbusRtu = 1;
inline constexpr int kProtocolModbusAscii = 2;
inline constexpr int kProtocolDcon = 3;

class LinkContext {
public:
    std::uint32_t runResultCode() const { return runResultCode_.load(); }
    void setRunResultCode(std::uint32_t code) { runResultCode_.store(code); }
    void addRunResultBits(std::uint32_t bits) { runResultCode_.fetch_or(bits); }
    void clearRunResultBits(std::uint32_t bits) { runResultCode_.fetch_and(~bits); }

    // A transaction gave up for lack of an answer: the code becomes 4
    // unless it is 8.
    void noteTimeout();
    // A transaction gave up on line errors or lost frame starts.
    void noteLineFault() { runResultCode_.store(kRunLineFault); }
    // An answer came: a code of 4 (an earlier time-out) becomes 8, marking
    // an unreliable line.
    void noteAnswerTaken();

    int protocolSelector() const { return protocolSelector_.load(); }
    void setProtocolSelector(int selector) { protocolSelector_.store(selector); }

    // The menu item "Не передавать атрибуты параметров" is ticked.
    bool attributesSuppressed() const { return attributesSuppressed_.load(); }
    void setAttributesSuppressed(bool suppressed) { attributesSuppressed_.store(suppressed); }

    // The link works with the highest access level: attribute exchanges of
    // writes also write the attributes.
    bool fullAccess() const { return fullAccess_.load(); }
    void setFullAccess(bool full) { fullAccess_.store(full); }

    // Start-up option "silent": the port-open failure box is not shown.
    bool portMessagesSuppressed() const { return portMessagesSuppressed_.load(); }
    void setPortMessagesSuppressed(bool suppressed) { portMessagesSuppressed_.store(suppressed); }

    // Offline operation: the program's connection is never opened.
    bool portSuppressed() const { return portSuppressed_.load(); }
    void setPortSuppressed(bool suppressed) { portSuppressed_.store(suppressed); }

    // The menu item "Режим автоматического чтения" is ticked: the view reads
    // parameters as it shows them. The exchange engine unticks it after
    // repeated time-outs (and tells its observer so the menu follows).
    bool autoRead() const { return autoRead_.load(); }
    void setAutoRead(bool on) { autoRead_.store(on); }

    // The menu item "Режим немедленной записи" is ticked: a value edited in
    // the view is written to the module at once.
    bool immediateWrite() const { return immediateWrite_.load(); }
    void setImmediateWrite(bool on) { immediateWrite_.store(on); }

private:
    std::atomic<std::uint32_t> runResultCode_{0};
    std::atomic<int> protocolSelector_{kProtocolDevice};
    std::atomic<bool> attributesSuppressed_{false};
    std::atomic<bool> fullAccess_{false};
    std::atomic<bool> portMessagesSuppressed_{false};
    std::atomic<bool> portSuppressed_{false};
    std::atomic<bool> autoRead_{false};
    std::atomic<bool> immediateWrite_{false};
};

}  // namespace tarn
