#include "dialogs/calibration_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "model/parameter.h"
#include "platform/qt_strings.h"
#include "ui/wait_cursor.h"

namespace tarn {
namespace {

// Four digits hold every coefficient value.
constexpr int kValueDigits = 4;

}  // namespace

CCalibration::CCalibration(ExchangeEngine& engine, UserInteraction& ui, const OutputTable* outputs,
                           QWidget* parent)
    : QDialog(parent),
      calibration_(engine.link(), ui),
      list_(new QListWidget(this)),
      value_(new QLineEdit(this)),
      finish_(new QPushButton(QStringLiteral("Закончить"), this)),
      worker_(this) {
    setWindowTitle(QStringLiteral("Юстировка аналоговых выходов"));

    if (outputs != nullptr) {
        WaitCursor wait;
        LinkContext& context = engine.link().context();
        readUnknownOutputs(
            *outputs, [&context] { return context.autoRead(); },
            [&engine](Parameter& output) { engine.ReadParameter(output); });
        entries_ = coefficientEntries(*outputs);
    }

    list_->setObjectName(QStringLiteral("coefficients"));
    for (const auto& entry : entries_) {
        list_->addItem(qstr(entry.text));
    }
    list_->setMinimumSize(180, 220);
    value_->setObjectName(QStringLiteral("value"));
    value_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), value_));
    value_->setMaxLength(kValueDigits);

    auto* stepsLayout = new QGridLayout;
    for (std::size_t i = 0; i < kSteps.size(); ++i) {
        const int amount = kSteps[i];
        auto* button = new QPushButton(
            amount > 0 ? QStringLiteral("+%1").arg(amount) : QString::number(amount), this);
        button->setAutoDefault(false);
        steps_[i] = button;
        stepsLayout->addWidget(button, static_cast<int>(i / 2), static_cast<int>(i % 2));
        connect(button, &QPushButton::clicked, this, [this, i] { step(static_cast<int>(i)); });
    }
    finish_->setAutoDefault(false);

    auto* right = new QVBoxLayout;
    right->addWidget(value_);
    right->addLayout(stepsLayout);
    right->addStretch(1);
    right->addWidget(finish_);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Коэффициенты:"), this));
    left->addWidget(list_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    // A coefficient is chosen by selecting it; the list's focus alone moves
    // its current row without choosing anything.
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto selected = list_->selectedItems();
        if (!selected.isEmpty()) {
            chooseRow(list_->row(selected.front()));
        }
    });
    // Typing writes; a value the dialog shows itself does not.
    connect(value_, &QLineEdit::textEdited, this, [this] { valueTyped(); });
    connect(finish_, &QPushButton::clicked, this, &CCalibration::finish);
    setAdjustable(false);
}

CCalibration::~CCalibration() {
    worker_.finishJobs();
}

void CCalibration::setAdjustable(bool adjustable) {
    value_->setEnabled(adjustable);
    for (QPushButton* button : steps_) {
        button->setEnabled(adjustable);
    }
}

void CCalibration::chooseRow(int row) {
    if (row < 0 || row >= static_cast<int>(entries_.size()) || finishing_) {
        return;
    }
    adjusting_ = true;
    const int coefficient = entries_[static_cast<std::size_t>(row)].coefficient;
    auto kept = std::make_shared<bool>(true);
    auto value = std::make_shared<int>(0);
    // Until the module has told the value, there is nothing to adjust.
    list_->setEnabled(false);
    setAdjustable(false);
    worker_.run(
        [this, coefficient, kept, value] {
            *kept = calibration_.choose(coefficient);
            *value = calibration_.value();
        },
        [this, kept, value] { chosen(*kept, *value); });
}

void CCalibration::chosen(bool kept, int value) {
    if (!kept) {
        // Declined: the end was announced, nothing else is sent.
        finishing_ = true;
        closed_ = true;
        QDialog::reject();
        return;
    }
    if (finishing_) {
        return;
    }
    list_->setEnabled(true);
    setAdjustable(true);
    value_->setText(QString::number(value));
}

void CCalibration::valueTyped() {
    if (!adjusting_ || finishing_ || value_->text().isEmpty()) {
        // An empty box is a value being retyped, not one to drive the
        // output with.
        return;
    }
    writeValue(value_->text().toInt());
}

void CCalibration::writeValue(int value) {
    worker_.runLatest([this, value] { calibration_.writeValue(value); });
}

void CCalibration::step(int index) {
    if (!adjusting_ || finishing_ || index < 0 || index >= static_cast<int>(kSteps.size())) {
        return;
    }
    const std::optional<int> next =
        OutputCalibration::stepped(value_->text().toInt(), kSteps[static_cast<std::size_t>(index)]);
    if (!next) {
        return;
    }
    value_->setText(QString::number(*next));
    writeValue(*next);
}

void CCalibration::finish() {
    if (finishing_) {
        return;
    }
    finishing_ = true;
    setAdjustable(false);
    list_->setEnabled(false);
    finish_->setEnabled(false);
    worker_.run([this] { calibration_.finish(); },
                [this] {
                    if (!closed_) {
                        closed_ = true;
                        QDialog::accept();
                    }
                });
}

void CCalibration::reject() {
    finish();
}

}  // namespace tarn
