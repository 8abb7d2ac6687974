// A UserInteraction for tests: records every message and question and answers
// questions from a script (Yes when the script is empty).
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/user_interaction.h"

namespace tarn::testing {

class RecordingUserInteraction : public UserInteraction {
public:
    struct Box {
        std::string text;
        std::string caption;
        MessageIcon icon;
        unsigned flags;
        bool question;
    };

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     unsigned flags) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back({std::string(text), std::string(caption), icon, flags, false});
    }

    bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                  bool /*defaultYes*/) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back({std::string(text), std::string(caption), icon, kMessagePlain, true});
        if (answers_.empty()) {
            return true;
        }
        const bool answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    void answerNext(bool yes) {
        std::lock_guard lock(mutex_);
        answers_.push_back(yes);
    }

    std::vector<Box> boxes() const {
        std::lock_guard lock(mutex_);
        return boxes_;
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return boxes_.size();
    }
    void clear() {
        std::lock_guard lock(mutex_);
        boxes_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::deque<bool> answers_;
};

}  // namespace tarn::testing
