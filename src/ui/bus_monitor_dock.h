// BusMonitorDock: the dockable window "Монитор обмена" of the main window,
// holding the bus monitor. Hidden until asked for (the menu "Вид", the
// toolbar, Ctrl+M); it records the frames while hidden too, so it shows
// what happened before it was opened.
#pragma once

#include <QDockWidget>

namespace tarn {

class BusMonitorView;
class FrameQueue;

class BusMonitorDock : public QDockWidget {
    Q_OBJECT

public:
    // `queue` (the link's observer) must outlive the window.
    explicit BusMonitorDock(FrameQueue& queue, QWidget* parent = nullptr);

    BusMonitorView& monitor() const { return *monitor_; }
    // Shows the window when hidden, hides it when shown.
    void toggle();

private:
    BusMonitorView* monitor_;
};

}  // namespace tarn
