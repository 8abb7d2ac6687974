// The in-place editors of the parameter tree: a text box and a drop-down
// list that cover the cell being edited.
//
// How their keys end an edit is the delegate's (TreeEditDelegate): Enter,
// Tab and losing the focus commit both; Esc cancels a text box but commits
// the list's selected entry.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <string>
#include <vector>

namespace tarn {

class CInPlaceEdit : public QLineEdit {
    Q_OBJECT

public:
    // Shows `text` all selected, right-aligned unless `leftAligned`.
    CInPlaceEdit(QWidget* parent, const QString& text, bool leftAligned);

private:
    // Wide enough for the text and 5 pixels, up to the parent's right edge.
    void widenForText();
};

class CInPlaceCombo : public QComboBox {
    Q_OBJECT

public:
    // The list of `entries`, the first (the starting text) selected. The
    // open list shows about 100 pixels of entries below the cell.
    CInPlaceCombo(QWidget* parent, const std::vector<std::string>& entries);
};

}  // namespace tarn
