#include "ui/progress_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt_strings.h"
#include "ui/progress_log.h"

namespace tarn {
CProgressDialog::CProgressDialog(QWidget* parent)
    : QDialog(parent),
      log_(new ProgressLog(this)),
      elapsed_(new QLabel(this)),
      counts_(new QLabel(this)),
      bar_(new TaskProgressBar(this)),
      interruptButton_(new QPushButton(QStringLiteral("Прервать!"), this)) {
    setWindowTitle(qstr(kDefaultTitle));
    setModal(true);

    log_->setObjectName(QStringLiteral("log"));
    log_->setFocusPolicy(Qt::NoFocus);
    log_->setMinimumSize(460, 220);

    elapsed_->setObjectName(QStringLiteral("elapsed"));
    // Room for hours of four digits; the counts get theirs in setTotal.
    elapsed_->setFixedSize(elapsed_->fontMetrics().horizontalAdvance(QStringLiteral("0000:00:00")),
                           elapsed_->fontMetrics().height());
    counts_->setObjectName(QStringLiteral("counts"));
    bar_->setObjectName(QStringLiteral("bar"));
    interruptButton_->setObjectName(QStringLiteral("interrupt"));
    interruptButton_->setAutoDefault(false);

    auto* figures = new QGridLayout;
    figures->addWidget(new QLabel(QStringLiteral("Обмен идет:"), this), 0, 0);
    figures->addWidget(elapsed_, 0, 1, Qt::AlignLeft);
    figures->addWidget(new QLabel(QStringLiteral("Обработано пар-ов:"), this), 1, 0);
    figures->addWidget(counts_, 1, 1, Qt::AlignLeft);
    figures->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(interruptButton_);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(log_, 1);
    layout->addLayout(figures);
    layout->addWidget(bar_);
    layout->addLayout(buttons);

    setTotal(0);
    connect(interruptButton_, &QPushButton::clicked, this, [this] { requestInterrupt(); });
}

void CProgressDialog::setTaskTitle(const std::string& title) {
    setWindowTitle(qstr(title.empty() ? std::string_view(kDefaultTitle) : title));
}

void CProgressDialog::setTotal(int total) {
    // A task without a total shows an empty bar.
    bar_->setRange(0, total > 0 ? total : 1);
    bar_->setValue(0);
    // "processed из total" with a digit to spare on each side.
    const QString digits(QString::number(std::max(total, 0)).size() + 1, QLatin1Char('0'));
    counts_->setFixedSize(
        counts_->fontMetrics().horizontalAdvance(digits + QStringLiteral(" из ") + digits),
        counts_->fontMetrics().height());
}

void CProgressDialog::applyUpdate(const ProgressUpdate& update) {
    applyUpdates({update});
}

void CProgressDialog::applyUpdates(const std::vector<ProgressUpdate>& updates) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(updates.size()));
    bool scroll = false;
    const ProgressUpdate* elapsed = nullptr;
    const ProgressUpdate* counts = nullptr;
    for (const ProgressUpdate& update : updates) {
        lines << qstr(update.line);
        scroll = scroll || update.scrollToEnd;
        if (!update.elapsed.empty()) {
            elapsed = &update;
        }
        if (!update.counts.empty()) {
            counts = &update;
        }
    }
    log_->appendLines(lines, scroll);
    // Only real changes are given (the time changes once a second): a label
    // given a text repaints itself.
    const auto show = [](QLabel* label, const std::string& text) {
        const QString shown = qstr(text);
        if (label->text() != shown) {
            label->setText(shown);
        }
    };
    if (elapsed != nullptr) {
        show(elapsed_, elapsed->elapsed);
    }
    if (counts != nullptr) {
        show(counts_, counts->counts);
        bar_->setValue(counts->position);
    }
}

void CProgressDialog::finish() {
    done(QDialog::Accepted);
}

void CProgressDialog::reject() {
    requestInterrupt();
}

void CProgressDialog::requestInterrupt() {
    if (interrupt_) {
        interrupt_();
    }
}

QStringList CProgressDialog::logLines() const {
    return log_->lines();
}

QString CProgressDialog::elapsedText() const {
    return elapsed_->text();
}

QString CProgressDialog::countsText() const {
    return counts_->text();
}

int CProgressDialog::barValue() const {
    return bar_->value();
}

int CProgressDialog::barMaximum() const {
    return bar_->maximum();
}

}  // namespace tarn
