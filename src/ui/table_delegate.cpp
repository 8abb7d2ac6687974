#include "ui/table_delegate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>

#include "model/parameter.h"
#include "ui/table_ctrl.h"
#include "ui/table_model.h"

namespace tarn {
namespace {

const QColor kRowFill(255, 255, 255);
const QColor kFocusFill(210, 210, 210);
const QColor kGridLine(243, 243, 227);
constexpr int kTextMargin = 3;

}  // namespace

TableDelegate::TableDelegate(CTableCtrl& table) : QStyledItemDelegate(&table), table_(table) {}

void TableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const QRect cell = option.rect;
    const auto rowFlags = index.data(TableModel::kRowFlagsRole).toUInt();
    const bool focused = table_.focusedRow() == index.row() && (rowFlags & kCellDisabled) == 0;

    painter->save();
    painter->fillRect(cell, focused ? kFocusFill : kRowFill);

    // Cells are separated by vertical lines; the row is bounded above and
    // below.
    painter->setPen(kGridLine);
    painter->drawLine(cell.topRight(), cell.bottomRight());
    painter->drawLine(cell.topLeft(), cell.topRight());
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());

    const QRect textArea = cell.adjusted(kTextMargin, 0, -1, 0);
    QString text = index.data(Qt::DisplayRole).toString();
    painter->setFont(table_.font());
    if (index.column() == 0) {
        text = painter->fontMetrics().elidedText(text, Qt::ElideRight, textArea.width());
    }
    painter->setPen(index.data(Qt::ForegroundRole).value<QBrush>().color());
    const auto alignment =
        static_cast<Qt::Alignment>(index.data(Qt::TextAlignmentRole).value<Qt::Alignment::Int>());
    painter->setClipRect(textArea);
    painter->drawText(textArea, static_cast<int>(alignment | Qt::TextSingleLine), text);
    painter->restore();
}

QWidget* TableDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                     const QModelIndex& index) const {
    const Parameter* parameter = table_.boundParameter(index.row(), index.column());
    if (parameter == nullptr) {
        return nullptr;
    }
    QWidget* editor = nullptr;
    if (cellEditorKind(*parameter) == CellEditorKind::Text) {
        auto* box = new QLineEdit(parent);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setFrame(true);
        editor = box;
    } else {
        auto* list = new QComboBox(parent);
        for (const std::string& item : cellListItems(parameter->valueType())) {
            list->addItem(QString::fromStdString(item));
        }
        // A choice in the list ends the edit at once.
        connect(list, &QComboBox::activated, this, [this, list](int) {
            emit const_cast<TableDelegate*>(this)->commitData(list);
            emit const_cast<TableDelegate*>(this)->closeEditor(list);
        });
        editor = list;
    }
    editor->setFont(table_.font());
    table_.editorOpened(editor);
    return editor;
}

void TableDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString start = index.data(Qt::DisplayRole).toString();
    if (auto* box = qobject_cast<QLineEdit*>(editor)) {
        box->setText(start);
        box->selectAll();
    } else if (auto* list = qobject_cast<QComboBox*>(editor)) {
        list->setCurrentIndex(list->findText(start, Qt::MatchExactly));
    }
}

void TableDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                 const QModelIndex& index) const {
    if (auto* box = qobject_cast<QLineEdit*>(editor)) {
        table_.editFinished(index.row(), index.column(), box->text().toStdString());
    } else if (auto* list = qobject_cast<QComboBox*>(editor)) {
        // Leaving a list without a choice changes nothing.
        if (list->currentIndex() >= 0) {
            table_.editFinished(index.row(), index.column(), list->currentText().toStdString());
        }
    }
}

void TableDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                         const QModelIndex& /*index*/) const {
    QRect area = option.rect;
    if (qobject_cast<QComboBox*>(editor) != nullptr) {
        // The closed list keeps its own height so its text is not cut; it is
        // two pixels narrower than the cell.
        area.setWidth(area.width() - 2);
        area.setHeight(std::max(area.height(), editor->sizeHint().height()));
    }
    editor->setGeometry(area);
}

}  // namespace tarn
