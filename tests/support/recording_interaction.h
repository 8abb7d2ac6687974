// A UserInteraction for tests: records every box and answers questions from
// a script (Yes when the script is exhausted). Boxes may come from any
// thread; read the recorded lists once the work that shows them has ended.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_interaction.h"

namespace tarn::testing {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    unsigned flags = 0;
};

class RecordingInteraction : public UserInteraction {
public:
    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     unsigned flags) override {
        std::lock_guard lock(mutex_);
        messages.push_back({std::string(text), std::string(caption), icon, flags});
    }

    bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                  bool /*defaultYes*/) override {
        std::lock_guard lock(mutex_);
        questions.push_back({std::string(text), std::string(caption), icon, 0});
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // Every message text, one a line (for failure reports).
    std::string allTexts() const {
        std::string all;
        for (const auto& message : messages) {
            all += message.text + "\n";
        }
        return all;
    }

    std::vector<ShownMessage> messages;
    std::vector<ShownMessage> questions;
    std::deque<bool> answers;

private:
    std::mutex mutex_;
};

}  // namespace tarn::testing
