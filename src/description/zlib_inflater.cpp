#include "description/zlib_inflater.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace tarn {

struct ZlibInflater::Stream {
    z_stream z{};
    bool open = false;
};

ZlibInflater::ZlibInflater(std::size_t maxOutput)
    : stream_(std::make_unique<Stream>()), maxOutput_(maxOutput) {
    if (inflateInit(&stream_->z) == Z_OK) {
        stream_->open = true;
    } else {
        state_ = State::Failed;
        error_ = "zlib could not be initialised";
    }
}

ZlibInflater::~ZlibInflater() {
    if (stream_->open) {
        inflateEnd(&stream_->z);
    }
}

bool ZlibInflater::feed(std::string_view chunk) {
    if (state_ != State::Running) {
        return false;
    }
    z_stream& z = stream_->z;
    // zlib does not write through next_in; the cast only satisfies its
    // pre-const interface.
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
    z.avail_in = static_cast<uInt>(chunk.size());
    unsigned char step[kInflateStep];
    do {
        z.next_out = step;
        z.avail_out = sizeof step;
        const int rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = sizeof step - z.avail_out;
        if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR) {
            // Output of a failing call is not trustworthy beyond what zlib
            // already handed out; it has handed out `produced` bytes.
            text_.append(reinterpret_cast<const char*>(step),
                         std::min(produced, maxOutput_ - text_.size()));
            state_ = State::Failed;
            error_ = z.msg != nullptr ? z.msg : "damaged compressed data";
            return false;
        }
        if (text_.size() + produced > maxOutput_) {
            text_.append(reinterpret_cast<const char*>(step), maxOutput_ - text_.size());
            state_ = State::Failed;
            error_ = "inflated text exceeds the size bound";
            return false;
        }
        text_.append(reinterpret_cast<const char*>(step), produced);
        if (rc == Z_STREAM_END) {
            state_ = State::Finished;
            return false;
        }
        // Z_BUF_ERROR only says that no progress was possible: the chunk is
        // used up while the output step had room left.
        if (rc == Z_BUF_ERROR) {
            break;
        }
    } while (z.avail_out == 0 || z.avail_in > 0);
    return true;
}

InflateResult inflateZlib(std::string_view compressed, std::size_t maxOutput) {
    ZlibInflater inflater(maxOutput);
    while (!compressed.empty()) {
        const std::size_t n = std::min(compressed.size(), kInflateStep);
        if (!inflater.feed(compressed.substr(0, n))) {
            break;
        }
        compressed.remove_prefix(n);
    }
    return {inflater.state(), inflater.takeText(), inflater.error()};
}

std::string deflateZlib(std::string_view bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                             reinterpret_cast<const Bytef*>(bytes.data()),
                             static_cast<uLong>(bytes.size()), Z_BEST_COMPRESSION);
    if (rc != Z_OK) {
        // compressBound guarantees room; only an allocation failure gets here.
        throw std::bad_alloc();
    }
    out.resize(size);
    return out;
}

}  // namespace tarn
