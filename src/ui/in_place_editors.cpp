#include "ui/in_place_editors.h"

#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace tarn {
namespace {

// Extra pixels the open list reaches below the cell.
constexpr int kListDrop = 100;
// Room after the text of a text box.
constexpr int kTextRoom = 5;

}  // namespace

CInPlaceEdit::CInPlaceEdit(QWidget* parent, const QString& text, bool leftAligned)
    : QLineEdit(parent) {
    setFont(parent->font());
    setFrame(true);
    setAlignment((leftAligned ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    setText(text);
    selectAll();
    connect(this, &QLineEdit::textEdited, this, &CInPlaceEdit::widenForText);
}

void CInPlaceEdit::widenForText() {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QMargins margins = textMargins() + contentsMargins();
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    const int needed = fontMetrics().horizontalAdvance(text()) + kTextRoom + margins.left() +
                       margins.right() + 2 * frame + 4;
    const int room = parentWidget() != nullptr ? parentWidget()->width() - x() : needed;
    const int width = std::min(std::max(this->width(), needed), std::max(room, this->width()));
    if (width != this->width()) {
        resize(width, height());
    }
}

CInPlaceCombo::CInPlaceCombo(QWidget* parent, const std::vector<std::string>& entries)
    : QComboBox(parent) {
    setFont(parent->font());
    setEditable(false);
    for (const std::string& entry : entries) {
        addItem(QString::fromStdString(entry));
    }
    setCurrentIndex(0);
    const int line = std::max(1, fontMetrics().height() + 2);
    setMaxVisibleItems(std::max(1, kListDrop / line));
}

}  // namespace tarn
