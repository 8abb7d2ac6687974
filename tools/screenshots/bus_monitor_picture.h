// The bus monitor in the main window during a read of the simulated module.
#pragma once

#include <QDir>
#include <QString>

namespace tarn::screenshots {

// Writes bus_monitor.png into `folder`; false when it could not.
bool busMonitorPicture(const QDir& folder, const QString& settingsFolder);

}  // namespace tarn::screenshots
