// The About box: "Конфигуратор TARN, версия …".
#pragma once

#include <QDialog>

namespace tarn {

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    // `version` is the value of the service parameter "Версия".
    explicit AboutDialog(const QString& version, QWidget* parent = nullptr);
    static QString versionLine(const QString& version);
};

}  // namespace tarn
