// Inflates one zlib stream (RFC 1950) fed in chunks, the way the tree
// container's streams are read: each chunk is inflated in steps of a fixed
// output size and the output is appended to a growing text.
//
// Inflation stops at the end of the zlib stream, at the first error, or when
// the text would grow beyond a bound; what was inflated until then stays.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tarn {

// Output step of one inflate call, and the size of the chunks the container
// reader feeds.
inline constexpr std::size_t kInflateStep = 16384;

// A tree description is a few tens of kilobytes; a stream that inflates to
// more than this is damaged or hostile, and inflation stops there.
inline constexpr std::size_t kMaxInflatedBytes = std::size_t{64} << 20;

class ZlibInflater {
public:
    enum class State {
        Running,   // more input is expected
        Finished,  // the zlib stream ended and its checksum matched
        Failed,    // the data was damaged, or the text reached the bound
    };

    explicit ZlibInflater(std::size_t maxOutput = kMaxInflatedBytes);
    ~ZlibInflater();
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;

    // Inflates one chunk and appends its output. Returns false when
    // inflation has stopped (now or before) and further input is ignored.
    bool feed(std::string_view chunk);

    State state() const { return state_; }
    const std::string& text() const { return text_; }
    std::string takeText() { return std::move(text_); }
    // Why inflation failed; empty unless the state is Failed.
    const std::string& error() const { return error_; }

private:
    struct Stream;
    std::unique_ptr<Stream> stream_;
    std::size_t maxOutput_;
    State state_ = State::Running;
    std::string text_;
    std::string error_;
};

// Inflates a whole zlib stream at once, in the same steps.
struct InflateResult {
    ZlibInflater::State state;
    std::string text;
    std::string error;
};
InflateResult inflateZlib(std::string_view compressed, std::size_t maxOutput = kMaxInflatedBytes);

// Compresses bytes into one zlib stream (RFC 1950) at the best compression.
std::string deflateZlib(std::string_view bytes);

}  // namespace tarn
