// Inflating the compressed streams of the tree container. Input: byte 0
// chooses the size of the chunks fed (as the container reader feeds its
// chunks), the rest is the compressed stream.
#include <algorithm>
#include <cstdint>

#include "description/zlib_inflater.h"
#include "fuzz_support.h"

using namespace tarn;

namespace {

// Ten times the largest tree text, and small enough that streams inflating
// without end (a few hundred bytes of zeros) reach it quickly.
constexpr std::size_t kBound = std::size_t{1} << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t chunkSize = 1 + std::size_t{data[0]} * 67;
    const std::string_view compressed = fuzz::asText(data + 1, size - 1);

    const InflateResult whole = inflateZlib(compressed, kBound);
    fuzzCheck(whole.text.size() <= kBound);
    fuzzCheck((whole.state == ZlibInflater::State::Failed) == !whole.error.empty());

    // Fed in other chunks, the stream inflates to the same text.
    ZlibInflater inflater(kBound);
    std::string_view rest = compressed;
    while (!rest.empty()) {
        const std::size_t n = std::min(rest.size(), chunkSize);
        if (!inflater.feed(rest.substr(0, n))) {
            break;
        }
        rest.remove_prefix(n);
    }
    fuzzCheck(inflater.state() == whole.state);
    if (whole.state == ZlibInflater::State::Finished) {
        fuzzCheck(inflater.text() == whole.text);
    }
    fuzzCheck(inflater.text().size() <= kBound);

    // Compressing the input itself and inflating that gives the input back.
    const std::string packed = deflateZlib(compressed);
    const InflateResult unpacked = inflateZlib(packed);
    fuzzCheck(unpacked.state == ZlibInflater::State::Finished && unpacked.text == compressed);
    return 0;
}
