// UserInteraction for runs without a person at the screen: every message and
// question is written to standard error (caption and text) and a question is
// answered at once with its default button, so an unattended run never waits
// for a box nobody can click.
#pragma once

#include <cstdio>
#include <mutex>

#include "platform/user_interaction.h"

namespace tarn {

class ConsoleUserInteraction : public UserInteraction {
public:
    explicit ConsoleUserInteraction(std::FILE* out = stderr) : out_(out) {}

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     unsigned flags) override;
    bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                  bool defaultYes) override;

private:
    void write(std::string_view kind, std::string_view caption, std::string_view text);

    std::FILE* out_;
    std::mutex mutex_;
};

}  // namespace tarn
