// The trend plot of live values, polled from the simulated module, in the
// main window.
#pragma once

#include <QDir>
#include <QString>

namespace tarn::screenshots {

// Writes trend_plot.png into `folder`; false when it could not.
bool trendPlotPicture(const QDir& folder, const QString& settingsFolder);

}  // namespace tarn::screenshots
