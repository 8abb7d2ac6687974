// The small window of the start-up ("Инициализация дерева...", then
// "Настройка соединения с прибором...") shown while the program prepares.
#pragma once

#include <QDialog>

class QLabel;

namespace tarn {

class StartupWindow : public QDialog {
    Q_OBJECT

public:
    explicit StartupWindow(QWidget* parent = nullptr);
    // Shows the text at once (the event loop does not run yet).
    void showText(const QString& text);
    QString text() const;

private:
    QLabel* label_;
};

}  // namespace tarn
