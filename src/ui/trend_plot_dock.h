// TrendPlotDock: the dockable window "Графики" of the main window, holding
// the trend plot. Hidden until it is asked for (the menu, or a value put
// on the plot from the tree).
#pragma once

#include <QDockWidget>

namespace tarn {

class TrendPlotView;
class UserInteraction;

class TrendPlotDock : public QDockWidget {
    Q_OBJECT

public:
    explicit TrendPlotDock(UserInteraction& ui, QWidget* parent = nullptr);

    TrendPlotView& plot() const { return *plot_; }
    // Shows the window when hidden, hides it when shown.
    void toggle();

private:
    TrendPlotView* plot_;
};

}  // namespace tarn
