#include "platform/console_user_interaction.h"

#include <string>

namespace tarn {
namespace {

std::string_view iconWord(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return "info";
        case MessageIcon::Question:
            return "question";
        case MessageIcon::Exclamation:
            return "warning";
        case MessageIcon::Error:
            return "error";
        case MessageIcon::None:
            break;
    }
    return "message";
}

}  // namespace

void ConsoleUserInteraction::write(std::string_view kind, std::string_view caption,
                                   std::string_view text) {
    std::lock_guard lock(mutex_);
    std::string line = "tarn: [" + std::string(kind) + "]";
    if (!caption.empty()) {
        line += " " + std::string(caption) + ":";
    }
    // Keep a multi-line text readable in a log: continuation lines indented.
    std::string body;
    for (const char c : text) {
        body += c;
        if (c == '\n') {
            body += "    ";
        }
    }
    line += " " + body + "\n";
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
}

void ConsoleUserInteraction::showMessage(std::string_view text, std::string_view caption,
                                         MessageIcon icon, unsigned /*flags*/) {
    write(iconWord(icon), caption, text);
}

bool ConsoleUserInteraction::askYesNo(std::string_view text, std::string_view caption,
                                      MessageIcon /*icon*/, bool defaultYes) {
    write(defaultYes ? "question, answered Yes" : "question, answered No", caption, text);
    return defaultYes;
}

}  // namespace tarn
