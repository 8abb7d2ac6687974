// Helpers shared by the widget tests.
#pragma once

#include <QApplication>
#include <QImage>
#include <QRect>
#include <QTest>
#include <QWidget>
#include <functional>

namespace tarn::testing {

// Shows a top-level widget and waits until it is exposed and active, so
// focus and painting behave as on a screen.
inline bool showAndActivate(QWidget& widget) {
    widget.show();
    widget.activateWindow();
    QApplication::setActiveWindow(&widget);
    return QTest::qWaitForWindowExposed(&widget, 5000) &&
           QTest::qWaitForWindowActive(&widget, 5000);
}

// Processes events until `done` holds; false when it still does not after
// `timeoutMs` (a generous bound that only catches hangs).
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    return QTest::qWaitFor(done, timeoutMs);
}

// A double click as a mouse makes it: press, release, double click, release.
inline void doubleClick(QWidget* widget, const QPoint& position) {
    QTest::mousePress(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
}

// The darkest pixel (lowest r+g+b) inside `area` of `image`.
inline QColor darkestPixel(const QImage& image, const QRect& area) {
    QColor darkest(255, 255, 255);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() + pixel.green() + pixel.blue() <
                darkest.red() + darkest.green() + darkest.blue()) {
                darkest = pixel;
            }
        }
    }
    return darkest;
}

}  // namespace tarn::testing
