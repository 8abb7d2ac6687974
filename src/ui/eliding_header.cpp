#include "ui/eliding_header.h"

#include <QPainter>

namespace tarn {

ElidingHeader::ElidingHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setTextElideMode(Qt::ElideRight);
}

QString ElidingHeader::elided(const QStyleOptionHeader& option) const {
    const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    return option.fontMetrics.elidedText(option.text, Qt::ElideRight, label.width());
}

QString ElidingHeader::shownTitle(int logicalIndex) const {
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = QRect(0, 0, sectionSize(logicalIndex), height());
    return elided(option);
}

void ElidingHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    // Cut here: a title that fits its label area is drawn on one line.
    option.text = elided(option);
    painter->save();
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
}

}  // namespace tarn
