// The picture beside the mode choice: a drawing of the module on its
// RS-485 line, with its eight outputs. Drawn with QPainter at any size.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace tarn {

class ModulePicture : public QWidget {
    Q_OBJECT

public:
    explicit ModulePicture(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {150, 270}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The two state images of the mode options: a radio button off and on
// (16x16, transparent background).
QPixmap optionStateImage(bool on);

}  // namespace tarn
