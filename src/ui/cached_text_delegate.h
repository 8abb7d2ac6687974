// CachedTextDelegate: draws an item view's cells of one line of plain text
// with the glyphs of each text laid out once.
//
// Qt's own delegate lays every text out anew (shaping, glyph positions) each
// time a cell is painted, and a view that takes new rows a few times a second
// repaints all its visible cells each time. This delegate keeps the laid-out
// text (QStaticText) of the latest texts it drew, so a repaint only draws
// glyphs. It draws the cell's background and selection as Qt's delegate
// does (through the style; a plain cell, for which the style draws nothing,
// keeps the colour the view gave its row), the text in the item's
// foreground colour (or the highlighted text colour of a selected cell)
// with its horizontal alignment, vertically centred and clipped to the cell.
#pragma once

#include <QCache>
#include <QFont>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace tarn {

class CachedTextDelegate : public QStyledItemDelegate {
public:
    // How many laid-out texts are kept: several screens of rows.
    static constexpr int kCachedTexts = 2000;

    explicit CachedTextDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const QStaticText& laidOut(const QString& text, const QFont& font) const;

    mutable QCache<QString, QStaticText> texts_;
    mutable QFont font_;  // the font the kept texts were laid out in
};

}  // namespace tarn
