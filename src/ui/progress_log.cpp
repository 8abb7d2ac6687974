#include "ui/progress_log.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStaticText>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <optional>
#include <tuple>

namespace tarn {
namespace {

// The log's scroll bar repaints itself only when what it shows changes: the
// handle of a log of a thousand rows that follows its end stays where it is
// for several rows, while Qt's scroll bar repaints on every change of its
// range or value (twice a batch: the range grows, then the value follows).
class LogScrollBar : public QScrollBar {
public:
    explicit LogScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}

    // Sets the range 0..maximum, the page step and, when asked, the value,
    // and repaints once if the handle or the arrows look otherwise then.
    void setRows(int maximum, int pageStep, std::optional<int> value) {
        holding_ = true;
        setPageStep(pageStep);
        setRange(0, maximum);
        if (value) {
            setValue(*value);
        }
        holding_ = false;
        updateIfChanged();
    }

protected:
    void sliderChange(SliderChange change) override {
        if (isSliderDown() || repeatAction() != SliderNoAction ||
            change == SliderOrientationChange) {
            // The user moves it: Qt's scroll bar does what it always does.
            shown_.reset();
            QScrollBar::sliderChange(change);
        } else if (!holding_) {
            updateIfChanged();
        }
    }

private:
    using Look = std::tuple<QRect, bool, bool, bool>;

    void updateIfChanged() {
        QStyleOptionSlider option;
        initStyleOption(&option);
        // The arrows' look depends on whether the value is at an end.
        const Look look{style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                QStyle::SC_ScrollBarSlider, this),
                        value() == minimum(), value() == maximum(), minimum() == maximum()};
        if (look == shown_) {
            return;
        }
        if (shown_ && std::get<1>(look) == std::get<1>(*shown_) &&
            std::get<2>(look) == std::get<2>(*shown_) &&
            std::get<3>(look) == std::get<3>(*shown_)) {
            // Only the handle moved: the groove between its old and new
            // places is painted, not the whole length of the bar (the style
            // draws the handle's edge a pixel beyond its rectangle).
            update(std::get<0>(look).united(std::get<0>(*shown_)).adjusted(0, -2, 0, 2));
        } else {
            update();
        }
        shown_ = look;
    }

    bool holding_ = false;
    // What the scroll bar looks like after the latest update it asked for.
    std::optional<Look> shown_;
};

}  // namespace

ProgressLog::ProgressLog(QWidget* parent) : QAbstractScrollArea(parent) {
    auto* bar = new LogScrollBar(this);
    scrollBar_ = bar;
    setVerticalScrollBar(bar);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    updateScrollRange();
}

int ProgressLog::rowHeight() const {
    return fontMetrics().height();
}

int ProgressLog::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

void ProgressLog::updateScrollRange(bool toEnd) {
    const int maximum = std::max(0, count() - visibleRows());
    static_cast<LogScrollBar*>(scrollBar_)
        ->setRows(maximum, visibleRows(), toEnd ? std::optional(maximum) : std::nullopt);
}

QRect ProgressLog::rowsRect(int first, int last) const {
    const int top = scrollBar_->value();
    const int height = rowHeight();
    return QRect(0, (first - top) * height, viewport()->width(), (last - first + 1) * height)
        .intersected(viewport()->rect());
}

void ProgressLog::appendLines(const QStringList& lines, bool scrollToEnd) {
    if (lines.isEmpty()) {
        return;
    }
    const int first = count();
    lines_ += lines;
    // Following the end moves the rows shown up by those that came
    // (scrollContentsBy).
    updateScrollRange(scrollToEnd);
    const QRect fresh = rowsRect(first, count() - 1);
    if (!fresh.isEmpty()) {
        viewport()->update(fresh);
    }
}

void ProgressLog::scrollContentsBy(int /*dx*/, int dy) {
    // The pixels of the rows still shown are moved; only the uncovered
    // strip is painted.
    viewport()->scroll(0, dy * rowHeight());
}

void ProgressLog::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int height = rowHeight();
    const int top = scrollBar_->value();
    const int first = top + std::max(0, area.top()) / height;
    const int last = std::min(count() - 1, top + area.bottom() / height);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int width = viewport()->width() - 2 * margin;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, QPalette::Text));
    for (int row = first; row <= last; ++row) {
        const QRect cell(margin, (row - top) * height, width, height);
        // Each row is laid out once as it is painted (a row is painted when
        // it comes in, and again only when the window is exposed).
        QStaticText text(lines_[row]);
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font());
        const QSizeF size = text.size();
        if (size.width() > width) {
            painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             fontMetrics().elidedText(lines_[row], Qt::ElideRight, width));
        } else {
            painter.drawStaticText(QPointF(cell.left(), cell.top() + (height - size.height()) / 2),
                                   text);
        }
    }
}

void ProgressLog::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void ProgressLog::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateScrollRange();
        viewport()->update();
    }
}

}  // namespace tarn
