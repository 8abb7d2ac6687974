#include "ui/qt_user_interaction.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/qt_strings.h"

namespace tarn {
namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

int QtUserInteraction::runBox(const QString& text, const QString& caption, MessageIcon icon,
                              unsigned flags, bool question, bool defaultYes) {
    auto show = [&]() -> int {
        QWidget* parent = (flags & kMessageNoOwner) != 0 ? nullptr : owner_.data();
        QMessageBox box(boxIcon(icon), caption, text, QMessageBox::NoButton, parent);
        if (question) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        box.setWindowModality((flags & kMessageSystemModal) != 0 || parent == nullptr
                                  ? Qt::ApplicationModal
                                  : Qt::WindowModal);
        // After the modality: QMessageBox re-creates its window flags there.
        if ((flags & kMessageTopmost) != 0) {
            box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        }
        return box.exec();
    };
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        return show();
    }
    int result = QMessageBox::No;
    QMetaObject::invokeMethod(
        app, [&]() { result = show(); }, Qt::BlockingQueuedConnection);
    return result;
}

void QtUserInteraction::showMessage(std::string_view text, std::string_view caption,
                                    MessageIcon icon, unsigned flags) {
    runBox(qstr(text), qstr(caption), icon, flags, false, true);
}

bool QtUserInteraction::askYesNo(std::string_view text, std::string_view caption, MessageIcon icon,
                                 bool defaultYes) {
    return runBox(qstr(text), qstr(caption), icon, kMessagePlain, true, defaultYes) ==
           QMessageBox::Yes;
}

}  // namespace tarn
