#include "ui/cached_text_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace tarn {
namespace {

const QStyle* styleOf(const QStyleOptionViewItem& option) {
    return option.widget != nullptr ? option.widget->style() : QApplication::style();
}

// The space between a cell's edge and its text, as Qt's delegate leaves it.
int textMargin(const QStyleOptionViewItem& option) {
    return styleOf(option)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
}

// The background, the selection and the focus as Qt's delegate draws them,
// without the text. Most cells of a busy table are plain: not selected, not
// current, not under the mouse, without a brush of their own. For those the
// style draws nothing (the view has already given the row its colour, the
// alternate one on every other row), so they are left as they are: asking
// the style cost a quarter of painting a table of new rows. A style sheet
// may give every cell a frame, so with one the style draws every cell.
void drawBackground(QPainter* painter, QStyleOptionViewItem& cell) {
    constexpr QStyle::State kMarked =
        QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver;
    const QStyle* style = styleOf(cell);
    if (!(cell.state & kMarked) && cell.backgroundBrush.style() == Qt::NoBrush &&
        !style->inherits("QStyleSheetStyle")) {
        return;
    }
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
}

}  // namespace

CachedTextDelegate::CachedTextDelegate(QObject* parent)
    : QStyledItemDelegate(parent), texts_(kCachedTexts) {}

const QStaticText& CachedTextDelegate::laidOut(const QString& text, const QFont& font) const {
    if (font != font_) {
        texts_.clear();
        font_ = font;
    }
    if (QStaticText* kept = texts_.object(text)) {
        return *kept;
    }
    auto* made = new QStaticText(text);
    made->setTextFormat(Qt::PlainText);
    made->setPerformanceHint(QStaticText::AggressiveCaching);
    made->prepare(QTransform(), font);
    texts_.insert(text, made);
    return *made;
}

void CachedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    const QStaticText& laid = laidOut(text, cell.font);
    const int margin = textMargin(cell);
    const QRect area = cell.rect.adjusted(margin, 0, -margin, 0);
    const QSizeF size = laid.size();
    if (size.width() > area.width() || !cell.icon.isNull() ||
        cell.features.testFlag(QStyleOptionViewItem::HasCheckIndicator)) {
        // A text that does not fit is elided by Qt's delegate ("…"), as are
        // cells with more than a text.
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    drawBackground(painter, cell);
    if (text.isEmpty()) {
        return;
    }
    qreal x = area.left();
    if (cell.displayAlignment & Qt::AlignRight) {
        x = area.right() + 1 - size.width();
    } else if (cell.displayAlignment & Qt::AlignHCenter) {
        x = area.left() + (area.width() - size.width()) / 2;
    }
    const qreal y = area.top() + (area.height() - size.height()) / 2;
    const bool selected = cell.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        cell.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setClipRect(area);
    painter->setFont(cell.font);
    painter->setPen(
        cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawStaticText(QPointF(x, y), laid);
    painter->restore();
}

QSize CachedTextDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (cell.text.isEmpty() || !cell.icon.isNull() ||
        cell.features.testFlag(QStyleOptionViewItem::HasCheckIndicator)) {
        return QStyledItemDelegate::sizeHint(option, index);
    }
    const QSizeF size = laidOut(cell.text, cell.font).size();
    return {static_cast<int>(std::ceil(size.width())) + 2 * textMargin(cell),
            std::max(static_cast<int>(std::ceil(size.height())), cell.fontMetrics.height()) + 2};
}

}  // namespace tarn
