#include "comm/answer_collector.h"

namespace tarn {

void AnswerCollector::character(char c) {
    ++received_;
    if (answer_.size() < kAnswerCapacity) {
        answer_.push_back(c);
    }
    if (end_ == End::CarriageReturn && c == '\r') {
        complete_ = true;
    }
}

void AnswerCollector::feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (complete_ || lineError_) {
            return;
        }
        const auto byte = static_cast<unsigned char>(c);
        switch (escape_) {
            case Escape::None:
                if (byte == 0xFF) {
                    escape_ = Escape::Marker;
                } else {
                    character(c);
                }
                break;
            case Escape::Marker:
                if (byte == 0xFF) {
                    escape_ = Escape::None;
                    character(c);
                } else if (byte == 0x00) {
                    escape_ = Escape::MarkerZero;
                } else {
                    // Not a marking the driver produces; keep both bytes.
                    escape_ = Escape::None;
                    character('\xFF');
                    character(c);
                }
                break;
            case Escape::MarkerZero:
                // 0xFF 0x00 0x00 is a break, 0xFF 0x00 c a character received
                // with a parity or framing error.
                escape_ = Escape::None;
                lineError_ = true;
                break;
        }
    }
}

}  // namespace tarn
