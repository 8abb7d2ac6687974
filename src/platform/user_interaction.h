// The one way the non-visual layers tell the user something or ask a question.
//
// The model, the description parser, the communication layer and the
// document never touch widgets: they call this interface. The Qt layer shows
// real message boxes; unattended runs without a display write the box to
// standard error and take the default answer; tests record what was shown and
// answer from a script.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

enum class MessageIcon { None, Information, Question, Exclamation, Error };

// Extra behaviour of a box, as the design asks for it in some places.
enum MessageFlag : unsigned {
    kMessagePlain = 0,
    kMessageTopmost = 1,      // stays above every other window
    kMessageSystemModal = 2,  // blocks the whole application
    kMessageNoOwner = 4,      // not owned by the main window
};

class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    virtual void showMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                             unsigned flags = kMessagePlain) = 0;

    // Yes/No question; true for Yes. `defaultYes` is the answer an unattended
    // run without a person takes.
    virtual bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                          bool defaultYes = true) = 0;
};

}  // namespace tarn
