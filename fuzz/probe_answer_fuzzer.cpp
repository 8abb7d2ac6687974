// Answers to the probes of the connection search, in the three framings of
// other protocols. Input: byte 0 chooses the framing (1 to 3) and byte 1 the
// address that was probed; the rest is the collected answer.
#include <cstdint>
#include <string>

#include "comm/error_texts.h"
#include "comm/probe_framing.h"
#include "fuzz_support.h"

using namespace tarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const int selector = 1 + data[0] % 3;
    const int address = data[1];
    const std::string_view answer = fuzz::asText(data + 2, size - 2);

    const ProbeResult code = checkProbeAnswer(selector, address, answer);
    fuzzCheck(code == ProbeResult::Answered || code == ProbeResult::BadCheck ||
              code == ProbeResult::WrongAddress || code == ProbeResult::BadAnswer);
    std::string text;
    fuzzCheck(LinkErrorText(code, text) == (code != ProbeResult::Answered));

    // Each decoder, on the raw answer; what decodes re-encodes to a message
    // that decodes the same.
    if (const auto rtu = decodeModbusRtu(answer)) {
        const std::string again = encodeModbusRtu(rtu->address, rtu->data);
        const auto redecoded = decodeModbusRtu(again);
        fuzzCheck(redecoded && redecoded->checkOk && redecoded->data == rtu->data &&
                  redecoded->address == rtu->address);
    }
    if (const auto ascii = decodeModbusAscii(answer)) {
        const std::string again = encodeModbusAscii(ascii->address, ascii->data);
        const auto redecoded = decodeModbusAscii(again);
        fuzzCheck(redecoded && redecoded->checkOk && redecoded->data == ascii->data &&
                  redecoded->address == ascii->address);
    }
    for (const char lead : {'!', '%'}) {
        if (const auto dcon = decodeDcon(lead, answer)) {
            const std::string payload(dcon->data.begin(), dcon->data.end());
            const std::string again = encodeDcon(lead, dcon->address, payload);
            const auto redecoded = decodeDcon(lead, again);
            fuzzCheck(redecoded && redecoded->checkOk && redecoded->data == dcon->data &&
                      redecoded->address == dcon->address);
        }
    }
    return 0;
}
