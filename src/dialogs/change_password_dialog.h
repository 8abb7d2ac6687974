// CChangePassword: changing the passwords of the middle and the full access
// level. Five hidden-input boxes (the current full-level password, the new
// middle-level password twice, the new full-level password twice), an
// "Изменить!" button beside each pair and "Закрыть". The work is
// PasswordChange's; the dialog reads the boxes and empties those it is told.
#pragma once

#include <QDialog>

#include "document/password_change.h"

class QLineEdit;
class QPushButton;

namespace tarn {

class CChangePassword : public QDialog {
    Q_OBJECT

public:
    // `change` must outlive the dialog.
    explicit CChangePassword(PasswordChange& change, QWidget* parent = nullptr);

    // The "Изменить!" of a level.
    void changePassword(PasswordLevel level);

    QLineEdit* currentBox() const { return current_; }
    // Box 0 or 1 of a level's pair.
    QLineEdit* newBox(PasswordLevel level, int which) const;
    QPushButton* changeButton(PasswordLevel level) const;
    QPushButton* closeButton() const { return close_; }

private:
    PasswordChange& change_;
    QLineEdit* current_;
    QLineEdit* middle_[2];
    QLineEdit* full_[2];
    QPushButton* changeMiddle_;
    QPushButton* changeFull_;
    QPushButton* close_;
};

}  // namespace tarn
