#include "ui/task_progress_bar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <algorithm>

namespace tarn {

TaskProgressBar::TaskProgressBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TaskProgressBar::initStyleOption(QStyleOptionProgressBar* option) const {
    option->initFrom(this);
    option->state |= QStyle::State_Horizontal;
    option->minimum = minimum_;
    option->maximum = maximum_;
    option->progress = value_;
    option->textVisible = false;
    option->textAlignment = Qt::AlignLeft;
}

void TaskProgressBar::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(maximum, minimum + 1);
    value_ = std::clamp(value_, minimum_, maximum_);
    update();
}

int TaskProgressBar::filledEnd(int value) const {
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
    const double share = static_cast<double>(value - minimum_) / (maximum_ - minimum_);
    return contents.left() + static_cast<int>(share * contents.width());
}

void TaskProgressBar::setValue(int value) {
    value = std::clamp(value, minimum_, maximum_);
    if (value == value_) {
        return;
    }
    const int before = filledEnd(value_);
    const int after = filledEnd(value);
    value_ = value;
    if (before != after) {
        // The end of the filled part has its edge and the style's diagonal
        // stripes reach back by about the bar's height.
        const int reach = height();
        update(QRect(std::min(before, after) - reach, 0, std::abs(after - before) + 2 * reach,
                     height()));
    }
}

QSize TaskProgressBar::sizeHint() const {
    // As QProgressBar without text measures itself.
    ensurePolished();
    const QFontMetrics metrics = fontMetrics();
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const int chunk = style()->pixelMetric(QStyle::PM_ProgressBarChunkWidth, &option, this);
    const QSize size(std::max(9, chunk) * 7 + metrics.horizontalAdvance(QLatin1Char('0')) * 4,
                     metrics.height() + 8);
    return style()->sizeFromContents(QStyle::CT_ProgressBar, &option, size, this);
}

QSize TaskProgressBar::minimumSizeHint() const {
    return {sizeHint().width(), fontMetrics().height() + 2};
}

void TaskProgressBar::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_ProgressBar, option);
}

}  // namespace tarn
