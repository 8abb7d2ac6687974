#include "ui/trend_plot_dock.h"

#include "ui/trend_plot_view.h"

namespace tarn {

TrendPlotDock::TrendPlotDock(UserInteraction& ui, QWidget* parent)
    : QDockWidget("Графики", parent), plot_(new TrendPlotView(ui, this)) {
    setObjectName("trendPlotDock");
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setWidget(plot_);
    hide();
    connect(plot_, &TrendPlotView::shownRequested, this, [this] {
        show();
        raise();
    });
}

void TrendPlotDock::toggle() {
    setVisible(isHidden());
    if (!isHidden()) {
        raise();
    }
}

}  // namespace tarn
