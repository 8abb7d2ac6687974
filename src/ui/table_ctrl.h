// CTableCtrl: a report-style table whose cells are bound to parameters.
//
// Per row it keeps one bound parameter and one flag word per column (see
// table_cells.h), draws the rows itself (white rows, a light grid, the
// focused row grey with a dark frame, grey text for disabled rows, red for
// errors), keeps the focus off disabled rows, and edits column 1 in place:
// a text box for numbers and times, a drop-down list for enumerations.
// Ending an edit puts the text into the cell and calls setCellValue().
#pragma once

#include <QPointer>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/table_cells.h"

namespace tarn {

class Parameter;
class TableDelegate;
class TableModel;

class CTableCtrl : public QTableView {
    Q_OBJECT

public:
    // Outcome of writeCell: success, and the parameter's status text.
    struct CellWrite {
        bool ok = false;
        std::string status;
    };

    explicit CTableCtrl(QWidget* parent = nullptr);
    ~CTableCtrl() override;

    // ---- Columns and rows ------------------------------------------------
    // Returns the new column's number.
    int addColumn(const std::string& title, int width = 100);
    // Column widths in proportion to these shares of the visible width,
    // kept when the control is resized (empty: fixed widths).
    void setColumnShares(std::vector<int> shares);
    // Height of every row in pixels.
    void setRowsHeight(int pixels);

    // A new row with `text` in column 0, before `row` (appended when `row`
    // is negative or past the end); returns its number.
    int insertRow(int row, const std::string& text);
    int appendRow(const std::string& text) { return insertRow(-1, text); }
    void deleteAllRows();
    int rowCount() const;
    int columnCount() const;

    std::string cellText(int row, int column) const;
    void setCellText(int row, int column, const std::string& text);

    // ---- Bindings and flags -----------------------------------------------
    void setBinding(int row, int column, Parameter* parameter, std::uint16_t flags);
    // Every column of the row bound to `parameter` with `flags`.
    void setRowBinding(int row, Parameter* parameter, std::uint16_t flags);
    Parameter* boundParameter(int row, int column) const;
    // The row bound to `parameter`, or -1.
    int rowOf(const Parameter* parameter) const;

    std::uint16_t cellFlags(int row, int column) const;
    // The OR over the row's cells.
    std::uint16_t rowFlags(int row) const;
    // Clears `clear`, then sets `set`, in one cell or (column < 0) in all;
    // redraws the row only when its flags really changed (returns whether).
    bool changeFlags(int row, int column, std::uint16_t clear, std::uint16_t set);

    // ---- Focus --------------------------------------------------------------
    // The row with the focus, or -1.
    int focusedRow() const;
    // Refused (false) for a disabled row or a row that does not exist.
    bool setFocusedRow(int row);

    // ---- Editing --------------------------------------------------------------
    // Opens the editor over column 1 of `row`; false when the row's or the
    // cell's flags forbid it, the cell is not bound or the control is
    // disabled.
    bool beginEdit(int row);
    // The open in-place editor (QLineEdit or QComboBox), or null.
    QWidget* cellEditor() const { return editor_; }

    // Called when an edit ended, with the cell already showing `text`. By
    // default the bound parameter takes a changed text through its input
    // check and the cell shows the parameter's value (the old one when the
    // text was refused). Rows without a binding are left alone.
    virtual void setCellValue(int row, int column, const std::string& text);
    // Gives the bound parameter `text` as its value and writes it to the
    // module with the parameter writer; returns the parameter's status text.
    // Without a binding or a writer nothing is written (not ok).
    virtual CellWrite writeCell(int row, int column, const std::string& text);
    // The single-parameter write: returns 0 when the module took the value.
    void setParameterWriter(std::function<int(Parameter&)> writer) { writer_ = std::move(writer); }

    TableModel& tableModel() const { return *model_; }

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

protected slots:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class TableDelegate;

    // From the delegate: an editor opened, and an edit ended with `text`.
    void editorOpened(QWidget* editor) { editor_ = editor; }
    void editFinished(int row, int column, std::string text);

    bool rowAtPointDisabled(const QPoint& point) const;
    // The first enabled row from `start` on in steps of `step`, stopping
    // before `end` (exclusive); -1 when there is none.
    int enabledRowFrom(int start, int step, int end) const;
    void applyColumnShares();

    TableModel* model_;
    TableDelegate* delegate_;
    QPointer<QWidget> editor_;
    std::vector<int> shares_;
    std::function<int(Parameter&)> writer_;
    bool restoringFocus_ = false;

    // The edit whose hook runs once its editor has closed.
    struct PendingEdit {
        int row = -1;
        int column = -1;
        std::string text;
    };
    std::optional<PendingEdit> pendingEdit_;
};

}  // namespace tarn
