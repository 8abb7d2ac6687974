#include "dialogs/change_password_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt_strings.h"

namespace tarn {
namespace {

QLineEdit* passwordBox(QWidget* parent, const QString& name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEchoMode(QLineEdit::Password);
    return box;
}

}  // namespace

CChangePassword::CChangePassword(PasswordChange& change, QWidget* parent)
    : QDialog(parent),
      change_(change),
      current_(passwordBox(this, QStringLiteral("current"))),
      middle_{passwordBox(this, QStringLiteral("middle1")),
              passwordBox(this, QStringLiteral("middle2"))},
      full_{passwordBox(this, QStringLiteral("full1")), passwordBox(this, QStringLiteral("full2"))},
      changeMiddle_(new QPushButton(QStringLiteral("Изменить!"), this)),
      changeFull_(new QPushButton(QStringLiteral("Изменить!"), this)),
      close_(new QPushButton(QStringLiteral("Закрыть"), this)) {
    setWindowTitle(QStringLiteral("Смена паролей"));

    const auto label = [this](const char* text) {
        auto* shown = new QLabel(QString::fromUtf8(text), this);
        shown->setWordWrap(true);
        return shown;
    };
    auto* layout = new QGridLayout(this);
    layout->addWidget(label("Введите текущий пароль полного доступа:"), 0, 0, 1, 2);
    layout->addWidget(current_, 1, 0);
    layout->addWidget(label("Введите два раза новый пароль среднего уровня доступа, если "
                            "хотите его изменить:"),
                      2, 0, 1, 2);
    layout->addWidget(middle_[0], 3, 0);
    layout->addWidget(middle_[1], 4, 0);
    layout->addWidget(changeMiddle_, 3, 1, 2, 1);
    layout->addWidget(label("Введите два раза новый пароль максимального уровня доступа, если "
                            "хотите его изменить:"),
                      5, 0, 1, 2);
    layout->addWidget(full_[0], 6, 0);
    layout->addWidget(full_[1], 7, 0);
    layout->addWidget(changeFull_, 6, 1, 2, 1);
    layout->addWidget(close_, 8, 1);
    layout->setColumnStretch(0, 1);
    setMinimumWidth(440);

    for (QPushButton* button : {changeMiddle_, changeFull_, close_}) {
        button->setAutoDefault(false);
    }
    connect(changeMiddle_, &QPushButton::clicked, this,
            [this] { changePassword(PasswordLevel::Middle); });
    connect(changeFull_, &QPushButton::clicked, this,
            [this] { changePassword(PasswordLevel::Full); });
    connect(close_, &QPushButton::clicked, this, &CChangePassword::reject);
}

QLineEdit* CChangePassword::newBox(PasswordLevel level, int which) const {
    return (level == PasswordLevel::Middle ? middle_ : full_)[which == 0 ? 0 : 1];
}

QPushButton* CChangePassword::changeButton(PasswordLevel level) const {
    return level == PasswordLevel::Middle ? changeMiddle_ : changeFull_;
}

void CChangePassword::changePassword(PasswordLevel level) {
    PasswordChangeRequest request;
    request.currentFullPassword = utf8(current_->text());
    request.newPassword = utf8(newBox(level, 0)->text());
    request.repeatedPassword = utf8(newBox(level, 1)->text());
    const PasswordChangeOutcome outcome = change_.change(level, request);
    if (outcome.clearCurrent) {
        current_->clear();
    }
    if (outcome.clearPair) {
        newBox(level, 0)->clear();
        newBox(level, 1)->clear();
    }
}

}  // namespace tarn
