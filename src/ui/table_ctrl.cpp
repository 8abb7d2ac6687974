#include "ui/table_ctrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <numeric>

#include "model/my_converter.h"
#include "model/parameter.h"
#include "ui/table_delegate.h"
#include "ui/table_model.h"

namespace tarn {
namespace {

const QColor kFocusFrame(100, 100, 100);

// The control's own font: 12 pixels, normal weight, in the dialog font of
// the desktop (falling back to a common sans serif).
QFont tableFont(const QFont& base) {
    QFont font = base;
    font.setFamilies({QStringLiteral("MS Shell Dlg"), QStringLiteral("MS Shell Dlg 2"),
                      base.family(), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

CTableCtrl::CTableCtrl(QWidget* parent)
    : QTableView(parent), model_(new TableModel(this)), delegate_(new TableDelegate(*this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    setFont(tableFont(font()));
    horizontalHeader()->setFont(QFont());
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->hide();
    setShowGrid(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setRowsHeight(fontMetrics().height() + 6);
}

CTableCtrl::~CTableCtrl() = default;

int CTableCtrl::addColumn(const std::string& title, int width) {
    const int column = model_->addColumn(title);
    setColumnWidth(column, width);
    applyColumnShares();
    return column;
}

void CTableCtrl::setColumnShares(std::vector<int> shares) {
    shares_ = std::move(shares);
    applyColumnShares();
}

void CTableCtrl::setRowsHeight(int pixels) {
    verticalHeader()->setMinimumSectionSize(pixels);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(pixels);
}

int CTableCtrl::insertRow(int row, const std::string& text) {
    return model_->insertRow(row, text);
}

void CTableCtrl::deleteAllRows() {
    model_->removeAllRows();
}

int CTableCtrl::rowCount() const {
    return model_->rowCount();
}

int CTableCtrl::columnCount() const {
    return model_->columnCount();
}

std::string CTableCtrl::cellText(int row, int column) const {
    return model_->text(row, column);
}

void CTableCtrl::setCellText(int row, int column, const std::string& text) {
    model_->setText(row, column, text);
}

void CTableCtrl::setBinding(int row, int column, Parameter* parameter, std::uint16_t flags) {
    if (column >= 0) {
        model_->setBinding(row, column, parameter, flags);
    }
}

void CTableCtrl::setRowBinding(int row, Parameter* parameter, std::uint16_t flags) {
    model_->setBinding(row, -1, parameter, flags);
}

Parameter* CTableCtrl::boundParameter(int row, int column) const {
    return model_->parameter(row, column);
}

int CTableCtrl::rowOf(const Parameter* parameter) const {
    return model_->rowOf(parameter);
}

std::uint16_t CTableCtrl::cellFlags(int row, int column) const {
    return model_->cellFlags(row, column);
}

std::uint16_t CTableCtrl::rowFlags(int row) const {
    return model_->rowFlags(row);
}

bool CTableCtrl::changeFlags(int row, int column, std::uint16_t clear, std::uint16_t set) {
    const bool changed = model_->changeFlags(row, column, clear, set);
    if (changed && row == focusedRow()) {
        viewport()->update();  // the focus frame follows the row's state
    }
    return changed;
}

int CTableCtrl::focusedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool CTableCtrl::setFocusedRow(int row) {
    if (row < 0 || row >= rowCount() || model_->rowDisabled(row)) {
        return false;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model_->index(row, column));
    return focusedRow() == row;
}

bool CTableCtrl::beginEdit(int row) {
    if (!isEnabled() || !model_->canEdit(row, kEditColumn)) {
        return false;
    }
    const QModelIndex cell = model_->index(row, kEditColumn);
    scrollTo(cell);
    QTableView::edit(cell);
    return state() == QAbstractItemView::EditingState && editor_ != nullptr;
}

void CTableCtrl::setCellValue(int row, int column, const std::string& text) {
    Parameter* parameter = boundParameter(row, column);
    if (parameter == nullptr) {
        return;
    }
    // An edit that ends on the value as it was changes nothing: "Нет данных"
    // in particular must not go through the input check, which would read
    // it as a number.
    if (text != parameter->valueText()) {
        parameter->setValueChecked(text);
    }
    setCellText(row, column, parameter->valueText());
}

CTableCtrl::CellWrite CTableCtrl::writeCell(int row, int column, const std::string& text) {
    Parameter* parameter = boundParameter(row, column);
    if (parameter == nullptr) {
        return {};
    }
    parameter->setValueText(text);
    const bool ok = writer_ && writer_(*parameter) == 0;
    return {ok, parameter->statusText()};
}

void CTableCtrl::editFinished(int row, int column, std::string text) {
    // The editor showed "Нет данных" as "Н/Д"; left so, it means no data.
    if (text == kNoDataShort && model_->text(row, column) == kNoData) {
        text = std::string(kNoData);
    }
    setCellText(row, column, text);
    pendingEdit_ = PendingEdit{row, column, std::move(text)};
}

void CTableCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    if (editor == editor_) {
        editor_ = nullptr;
    }
    // The hook runs once the editor is gone, so whatever it shows cannot end
    // the same edit a second time.
    if (pendingEdit_) {
        const PendingEdit edit = std::move(*pendingEdit_);
        pendingEdit_.reset();
        setCellValue(edit.row, edit.column, edit.text);
    }
}

int CTableCtrl::enabledRowFrom(int start, int step, int end) const {
    for (int row = start; row != end && row >= 0 && row < rowCount(); row += step) {
        if (!model_->rowDisabled(row)) {
            return row;
        }
    }
    return -1;
}

QModelIndex CTableCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers /*modifiers*/) {
    const int count = rowCount();
    const QModelIndex current = currentIndex();
    if (count == 0) {
        return current;
    }
    const int from = current.isValid() ? current.row() : -1;
    const int column = current.isValid() ? current.column() : 0;
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    const int page = std::max(1, viewport()->height() / rowHeight - 1);

    int target = from;
    switch (action) {
        case MoveUp:
        case MovePrevious:
            target = from - 1;
            break;
        case MoveDown:
        case MoveNext:
            target = from + 1;
            break;
        case MovePageUp:
            target = std::max(0, from - page);
            break;
        case MovePageDown:
            target = std::min(count - 1, from + page);
            break;
        case MoveHome:
            target = 0;
            break;
        case MoveEnd:
            target = count - 1;
            break;
        case MoveLeft:
        case MoveRight:
            return current;  // the focus is a whole row
    }
    if (from < 0) {
        // Nothing focused yet: the first enabled row.
        const int first = enabledRowFrom(0, 1, count);
        return first >= 0 ? model_->index(first, 0) : current;
    }
    if (target < 0 || target >= count || target == from) {
        return current;
    }
    // Disabled rows are skipped in the direction of the move. A jump (page,
    // home, end) whose far end is all disabled lands on the enabled row
    // nearest to it on the way back.
    const int step = target > from ? 1 : -1;
    int row = enabledRowFrom(target, step, step > 0 ? count : -1);
    if (row < 0) {
        row = enabledRowFrom(target - step, -step, from);
    }
    return row >= 0 ? model_->index(row, column) : current;
}

bool CTableCtrl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!index.isValid()) {
        return false;
    }
    // F2 on a row edits its value cell; any other column is never edited.
    const QModelIndex cell =
        trigger == EditKeyPressed ? model_->index(index.row(), kEditColumn) : index;
    if (cell.column() != kEditColumn || !model_->canEdit(cell.row(), cell.column())) {
        return false;
    }
    return QTableView::edit(cell, trigger, event);
}

bool CTableCtrl::rowAtPointDisabled(const QPoint& point) const {
    const QModelIndex index = indexAt(point);
    return index.isValid() && model_->rowDisabled(index.row());
}

void CTableCtrl::mousePressEvent(QMouseEvent* event) {
    if (rowAtPointDisabled(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void CTableCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (rowAtPointDisabled(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void CTableCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // Whatever moved the focus (a search by typing, a program), it never
    // rests on a disabled row.
    if (!restoringFocus_ && current.isValid() && model_->rowDisabled(current.row())) {
        restoringFocus_ = true;
        const bool back = previous.isValid() && !model_->rowDisabled(previous.row());
        selectionModel()->setCurrentIndex(
            back ? previous : QModelIndex(),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        restoringFocus_ = false;
        return;
    }
    QTableView::currentChanged(current, previous);
    viewport()->update();
}

void CTableCtrl::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const int row = focusedRow();
    if (row < 0 || model_->rowDisabled(row) || columnCount() == 0) {
        return;
    }
    // The frame of the focused row goes over the texts.
    const QRect frame =
        visualRect(model_->index(row, 0)).united(visualRect(model_->index(row, columnCount() - 1)));
    if (frame.isEmpty()) {
        return;
    }
    QPainter painter(viewport());
    painter.setPen(kFocusFrame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

void CTableCtrl::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    applyColumnShares();
}

void CTableCtrl::applyColumnShares() {
    const int columns = columnCount();
    if (shares_.empty() || columns == 0) {
        return;
    }
    const int count = std::min(columns, static_cast<int>(shares_.size()));
    const int sum = std::accumulate(shares_.begin(), shares_.begin() + count, 0);
    if (sum <= 0) {
        return;
    }
    const int width = viewport()->width();
    int used = 0;
    for (int column = 0; column < count; ++column) {
        const int share = column == count - 1 ? width - used : width * shares_[column] / sum;
        setColumnWidth(column, std::max(0, share));
        used += share;
    }
}

}  // namespace tarn
