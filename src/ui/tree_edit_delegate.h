// Opens the in-place editors of the parameter tree and decides how their
// keys end an edit.
//
// Which cell opens which editor, and what a list offers, is the document
// layer's (document/parameter_edit.h); this delegate makes the widgets and
// hands the entered text to the view, which commits it once the editor has
// closed. Enter, Tab and losing the focus commit a text box and a list;
// Esc cancels a text box (the cell keeps its text) but commits the list's
// selected entry.
#pragma once

#include <QStyledItemDelegate>

namespace tarn {

class CTARNTreeListView;

class TreeEditDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit TreeEditDelegate(CTARNTreeListView& view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // The editor is filled once, when it opens: texts that the rows take
    // anew meanwhile (automatic reading, polled values) do not reach it.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void commitAndClose(QWidget* editor);

    CTARNTreeListView& view_;
};

}  // namespace tarn
