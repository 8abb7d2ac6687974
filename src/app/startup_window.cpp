#include "app/startup_window.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace tarn {

StartupWindow::StartupWindow(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint), label_(new QLabel(this)) {
    setObjectName("startupWindow");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    label_->setAlignment(Qt::AlignCenter);
    label_->setMinimumWidth(320);
    layout->addWidget(label_);
}

void StartupWindow::showText(const QString& text) {
    label_->setText(text);
    show();
    raise();
    QApplication::processEvents();
}

QString StartupWindow::text() const {
    return label_->text();
}

}  // namespace tarn
