// The rows of the table control: per cell a text, and for rows that have a
// binding, per cell the bound parameter and the cell's flags.
//
// The model also decides what the flags mean for drawing (text colour and
// alignment, "Н/Д") and for editing, so the view and its delegate only ask.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/table_cells.h"

namespace tarn {

class Parameter;

class TableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role {
        kRawTextRole = Qt::UserRole + 1,  // the cell's text as stored
        kCellFlagsRole,
        kRowFlagsRole,
    };

    explicit TableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Returns the new column's number.
    int addColumn(const std::string& title);
    // Inserts a row before `row` (appends when `row` is out of range) with
    // `text` in column 0 and no binding; returns its number.
    int insertRow(int row, const std::string& text);
    void removeAllRows();

    bool isCell(int row, int column) const;
    std::string text(int row, int column) const;
    void setText(int row, int column, const std::string& text);

    bool hasBinding(int row) const;
    // Binds one cell (the row gets a binding if it had none: its other
    // cells unbound, flags 0), or with column < 0 every cell of the row.
    void setBinding(int row, int column, Parameter* parameter, std::uint16_t flags);
    Parameter* parameter(int row, int column) const;
    // The first row with a cell bound to `parameter`, or -1.
    int rowOf(const Parameter* parameter) const;

    std::uint16_t cellFlags(int row, int column) const;
    // The OR of the row's cell flags.
    std::uint16_t rowFlags(int row) const;
    bool rowDisabled(int row) const { return (rowFlags(row) & kCellDisabled) != 0; }
    // Clears `clear` and sets `set` in one cell (column < 0: in every cell).
    // Only a row whose flags really changed is redrawn; true when they did.
    bool changeFlags(int row, int column, std::uint16_t clear, std::uint16_t set);

    // Whether the cell can be edited in place: column 1 of a bound row
    // whose row flags lack bit 2 and whose cell flags lack bits 1 and 4.
    bool canEdit(int row, int column) const;

    // Grey for disabled rows, red for rows with an error, black otherwise;
    // "читаю..." in column 2 is green.
    QColor textColour(int row, int column) const;

private:
    struct Binding {
        Parameter* parameter = nullptr;
        std::uint16_t flags = 0;
    };
    struct Row {
        std::vector<std::string> texts;
        std::vector<Binding> bindings;  // empty: the row has no binding
    };

    void emitRowChanged(int row);

    std::vector<QString> titles_;
    std::vector<Row> rows_;
};

}  // namespace tarn
