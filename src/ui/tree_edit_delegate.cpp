#include "ui/tree_edit_delegate.h"

#include <QKeyEvent>

#include "model/parameter.h"
#include "ui/in_place_editors.h"
#include "ui/tarn_tree_view.h"

namespace tarn {
namespace {

// The starting text of a list, which its first entry may show as a blank.
constexpr const char* kStartProperty = "startText";

}  // namespace

TreeEditDelegate::TreeEditDelegate(CTARNTreeListView& view)
    : QStyledItemDelegate(&view), view_(view) {}

QWidget* TreeEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                        const QModelIndex& index) const {
    ParameterTreeModel& model = view_.treeModel();
    const QString start = index.data(Qt::EditRole).toString();
    QWidget* editor = nullptr;
    switch (model.cellEditor(index)) {
        case CellEditor::Text:
            editor =
                new CInPlaceEdit(parent, start, index.column() == ParameterTreeModel::kCaption);
            break;
        case CellEditor::List: {
            Parameter* parameter = model.parameterAt(index);
            auto* list = new CInPlaceCombo(
                parent, listEntriesFor(*parameter, index.column(), start.toStdString()));
            list->setProperty(kStartProperty, start);
            editor = list;
            break;
        }
        case CellEditor::None:
            return nullptr;
    }
    view_.editorOpened(editor, index, start);
    return editor;
}

void TreeEditDelegate::setEditorData(QWidget* /*editor*/, const QModelIndex& /*index*/) const {}

void TreeEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                    const QModelIndex& /*index*/) const {
    if (auto* box = qobject_cast<QLineEdit*>(editor)) {
        view_.editorFinished(box->text());
    } else if (auto* list = qobject_cast<QComboBox*>(editor)) {
        view_.editorFinished(list->currentIndex() <= 0 ? list->property(kStartProperty).toString()
                                                       : list->currentText());
    }
}

void TreeEditDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& /*index*/) const {
    QRect area = option.rect;
    if (qobject_cast<QComboBox*>(editor) != nullptr) {
        // The closed list keeps its own height so that its text is not cut.
        area.setHeight(std::max(area.height(), editor->sizeHint().height()));
    }
    editor->setGeometry(area);
}

void TreeEditDelegate::commitAndClose(QWidget* editor) {
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TreeEditDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor == nullptr || event->type() != QEvent::KeyPress) {
        return QStyledItemDelegate::eventFilter(object, event);
    }
    const bool list = qobject_cast<QComboBox*>(editor) != nullptr;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            commitAndClose(editor);
            return true;
        case Qt::Key_Escape:
            if (list) {
                // Esc leaves a list with its selected entry.
                commitAndClose(editor);
            } else {
                emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            }
            return true;
        default:
            return QStyledItemDelegate::eventFilter(object, event);
    }
}

}  // namespace tarn
