// Collects the characters of one answer as they come off the line.
//
// The port is configured to mark line errors in its input: a parity or
// framing error arrives as 0xFF 0x00 c, a break as 0xFF 0x00 0x00, and a
// real 0xFF character as 0xFF 0xFF. The collector undoes that marking, which
// may be split across reads, keeps at most kAnswerCapacity characters (an
// answer that is longer is cut) and notes the end of the answer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarn {

// Characters an answer buffer holds.
inline constexpr std::size_t kAnswerCapacity = 31;

class AnswerCollector {
public:
    enum class End {
        CarriageReturn,  // the answer ends with its carriage return (device protocol)
        Silence,         // any characters; the answer ends when the line falls silent
    };

    explicit AnswerCollector(End end) : end_(end) {}

    // Takes raw bytes as read from the port; stops taking characters once
    // the answer is complete.
    void feed(std::string_view bytes);

    // The carriage return has arrived (device protocol only).
    bool complete() const { return complete_; }
    // A line error or break was seen before the answer was complete.
    bool lineError() const { return lineError_; }
    // Any character arrived (kept or not).
    bool anyCharacter() const { return received_ > 0; }

    const std::string& answer() const { return answer_; }

private:
    void character(char c);

    enum class Escape { None, Marker, MarkerZero };

    End end_;
    Escape escape_ = Escape::None;
    std::string answer_;
    std::size_t received_ = 0;
    bool complete_ = false;
    bool lineError_ = false;
};

}  // namespace tarn
