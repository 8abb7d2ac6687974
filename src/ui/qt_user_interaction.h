// UserInteraction with real message boxes.
//
// Boxes are shown on the GUI thread whatever thread asks (the exchange
// threads report through this too); a call from another thread waits until
// the box is closed.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/user_interaction.h"

namespace tarn {

class QtUserInteraction : public UserInteraction {
public:
    explicit QtUserInteraction(QWidget* owner = nullptr) : owner_(owner) {}

    // The window that owns the boxes (the main window once it exists).
    void setOwner(QWidget* owner) { owner_ = owner; }

    void showMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                     unsigned flags) override;
    bool askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                  bool defaultYes) override;

private:
    int runBox(const QString& text, const QString& caption, MessageIcon icon, unsigned flags,
               bool question, bool defaultYes);

    QPointer<QWidget> owner_;
};

}  // namespace tarn
