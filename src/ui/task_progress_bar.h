// TaskProgressBar: the progress bar of the progress window, drawn by the
// style exactly as a QProgressBar without text.
//
// A task moves its bar a step several times a second. QProgressBar paints
// itself whole, at once, for a step (and Fusion strokes its stripes anew
// each time); this bar asks only for the strip between the old and the new
// end of the filled part, and only when that end moves by a pixel, and is
// painted with the rest of the window.
#pragma once

#include <QWidget>

class QStyleOptionProgressBar;

namespace tarn {

class TaskProgressBar : public QWidget {
public:
    explicit TaskProgressBar(QWidget* parent = nullptr);

    // maximum > minimum; the value is clamped into the range.
    void setRange(int minimum, int maximum);
    void setValue(int value);
    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void initStyleOption(QStyleOptionProgressBar* option) const;
    // The x of the end of the filled part at `value`.
    int filledEnd(int value) const;

    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
};

}  // namespace tarn
