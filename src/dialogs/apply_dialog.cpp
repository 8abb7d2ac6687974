#include "dialogs/apply_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "platform/qt_strings.h"

namespace tarn {
CApply::CApply(ApplyCommand* command, UserInteraction& ui, bool silent, QWidget* parent)
    : QDialog(parent),
      command_(command),
      ui_(ui),
      silent_(silent),
      settings_(new QLabel(this)),
      // The "с" of "Поcлать" is a Latin letter in both texts.
      changeProgram_(
          new QCheckBox(QStringLiteral("Поменять сразу сетевые настройки программы"), this)),
      broadcast_(new QCheckBox(QStringLiteral("Поcлать широковещательную команду APLY"), this)),
      threeTimes_(new QCheckBox(QStringLiteral("Поcлать посылку трижды (для надежности)"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Отмена"), this)),
      worker_(this) {
    setWindowTitle(QStringLiteral("Перевод прибора на новый режим работы"));

    auto* warning = new QLabel(
        QStringLiteral("ВНИМАНИЕ: Данная операция приведет к переключению прибора на новые "
                       "сетевые параметры. Это может привести к потере связи с прибором. "
                       "Проверьте параметры связи:"),
        this);
    warning->setWordWrap(true);
    settings_->setObjectName(QStringLiteral("settings"));
    settings_->setText(command_ != nullptr ? qstr(command_->settingsText())
                                           : qstr(kApplyNoContextText));
    settings_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* group = new QGroupBox(QStringLiteral("Новые параметры:"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(settings_);

    changeProgram_->setChecked(true);
    broadcast_->setChecked(false);
    threeTimes_->setChecked(true);
    threeTimes_->setEnabled(false);
    connect(broadcast_, &QCheckBox::clicked, this,
            [this] { threeTimes_->setEnabled(broadcast_->isChecked()); });

    ok_->setDefault(true);
    cancel_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &CApply::accept);
    connect(cancel_, &QPushButton::clicked, this, &CApply::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(warning);
    layout->addWidget(group);
    layout->addWidget(changeProgram_);
    layout->addWidget(broadcast_);
    layout->addWidget(threeTimes_);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

CApply::~CApply() {
    worker_.finishJobs();
}

ApplyOptions CApply::options() const {
    ApplyOptions options;
    options.changeProgramSettings = changeProgram_->isChecked();
    options.broadcast = broadcast_->isChecked();
    options.threeTimes = threeTimes_->isChecked();
    return options;
}

bool CApply::changeProgramSettings() const {
    return changeProgram_->isChecked();
}

void CApply::accept() {
    if (command_ == nullptr || worker_.busy()) {
        return;  // nothing to send it with; or it is on its way
    }
    const ApplyOptions chosen = options();
    ok_->setEnabled(false);
    cancel_->setEnabled(false);
    auto result = std::make_shared<ApplyResult>();
    ApplyCommand* command = command_;
    // The program's settings change here, where the views read them; the
    // worker only uses the line they give.
    const std::optional<PortSettings> line = command->followModule();
    worker_.run([command, chosen, line, result] { *result = command->send(chosen, line); },
                [this, result] {
                    ApplyCommand::report(*result, silent_, ui_);
                    QDialog::accept();
                });
}

void CApply::reject() {
    if (worker_.busy()) {
        return;
    }
    QDialog::reject();
}

}  // namespace tarn
