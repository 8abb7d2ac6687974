#include "ui/bus_monitor_dock.h"

#include "ui/bus_monitor_view.h"

namespace tarn {

BusMonitorDock::BusMonitorDock(FrameQueue& queue, QWidget* parent)
    : QDockWidget("Монитор обмена", parent), monitor_(new BusMonitorView(queue, this)) {
    setObjectName("busMonitorDock");
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setWidget(monitor_);
    hide();
}

void BusMonitorDock::toggle() {
    setVisible(isHidden());
    if (!isHidden()) {
        raise();
    }
}

}  // namespace tarn
