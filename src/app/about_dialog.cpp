#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/build_info.h"

namespace tarn {

QString AboutDialog::versionLine(const QString& version) {
    return QString("Конфигуратор TARN, версия %1").arg(version);
}

AboutDialog::AboutDialog(const QString& version, QWidget* parent) : QDialog(parent) {
    setWindowTitle("О программе");
    auto* layout = new QVBoxLayout(this);
    auto* line = new QLabel(versionLine(version), this);
    line->setObjectName("versionLine");
    QFont bold = line->font();
    bold.setBold(true);
    line->setFont(bold);
    layout->addWidget(line);
    layout->addWidget(new QLabel("Настройка модуля TARN по линии RS-485 (протокол BRIX).\n" +
                                     QString::fromUtf8(build::kCopyright),
                                 this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace tarn
