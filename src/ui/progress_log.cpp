#include "ui/progress_log.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace tarn {

ProgressLog::ProgressLog(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    updateScrollRange();
}

int ProgressLog::rowHeight() const {
    return fontMetrics().height() + 2;
}

int ProgressLog::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

void ProgressLog::updateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(visibleRows());
    bar->setRange(0, std::max(0, count() - visibleRows()));
}

QRect ProgressLog::rowsRect(int first, int last) const {
    const int top = verticalScrollBar()->value();
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
    updateScrollRange();
    if (scrollToEnd) {
        // Moves the rows shown up by those that came (scrollContentsBy).
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    }
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
    const int top = verticalScrollBar()->value();
    const int first = top + std::max(0, area.top()) / height;
    const int last = std::min(count() - 1, top + area.bottom() / height);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int width = viewport()->width() - 2 * margin;
    const QFontMetrics metrics = fontMetrics();
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, QPalette::Text));
    for (int row = first; row <= last; ++row) {
        const QString& line = lines_[row];
        const QRect cell(margin, (row - top) * height, width, height);
        const QString shown = metrics.horizontalAdvance(line) > width
                                  ? metrics.elidedText(line, Qt::ElideRight, width)
                                  : line;
        painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
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
