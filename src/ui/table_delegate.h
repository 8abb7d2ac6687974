// Draws the cells of the table control and opens its in-place editors.
#pragma once

#include <QStyledItemDelegate>

namespace tarn {

class CTableCtrl;

class TableDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit TableDelegate(CTableCtrl& table);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // A text box or a drop-down list, by the bound parameter's value type.
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // Hands the editor's text to the table (which puts it into the cell).
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    CTableCtrl& table_;
};

}  // namespace tarn
