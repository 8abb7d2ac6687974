// ProgressLog: the log of the progress window, lines of text one under the
// other, the latest at the end.
//
// A task adds a few lines several times a second while the log follows its
// end. An item view lays all its rows out again and repaints everything it
// shows after each insertion; this log knows that its rows all have one
// height and that lines only come at the end, so taking lines costs nothing
// but the lines themselves: following the end moves what is shown by the
// rows that came (the pixels are moved, not painted again) and only the
// new rows are painted. A line wider than the log ends in "…". The
// scroll bar counts rows (its value is the top row shown).
#pragma once

#include <QAbstractScrollArea>
#include <QStringList>

class QScrollBar;

namespace tarn {

class ProgressLog : public QAbstractScrollArea {
public:
    explicit ProgressLog(QWidget* parent = nullptr);

    // Adds lines at the end; `scrollToEnd`: the last of them is then shown.
    void appendLines(const QStringList& lines, bool scrollToEnd);
    int count() const { return static_cast<int>(lines_.size()); }
    const QStringList& lines() const { return lines_; }
    // The height of a row in pixels.
    int rowHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;

private:
    // Rows that fit wholly in the viewport (at least one).
    int visibleRows() const;
    // The scroll bar's range for the rows; `toEnd`: shows the last row.
    void updateScrollRange(bool toEnd = false);
    // The viewport's rectangle of rows first..last at the present scroll.
    QRect rowsRect(int first, int last) const;

    QScrollBar* scrollBar_ = nullptr;
    QStringList lines_;
};

}  // namespace tarn
