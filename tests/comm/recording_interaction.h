// A UserInteraction that records every box and answers from a script.
#pragma once

#include <deque>
#include <string>
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
        messages.push_back({std::string(text), std::string(caption), icon, flags});
    }
    bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                  bool defaultYes) override {
        messages.push_back({std::string(text), std::string(caption), icon, 0});
        if (answers.empty()) {
            return defaultYes;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<ShownMessage> messages;
    std::deque<bool> answers;
};

}  // namespace tarn::testing
