// main of the widget test suites: one QApplication for all tests, on the
// offscreen platform unless the caller chose another one (to watch the
// windows, run with QT_QPA_PLATFORM=xcb).
//
// Nothing may wait for a person: a message box that stays open for more
// than a few seconds fails the running test and is closed, so a box that
// code under test shows by mistake ends the test instead of hanging it.
// (Code under test shows boxes through UserInteraction; tests give it the
// recording fake.)
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cstdlib>

namespace {

class LingeringBoxGuard {
public:
    LingeringBoxGuard() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { check(); });
        timer_.start(250);
    }

private:
    void check() {
        QMessageBox* box = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<QMessageBox*>(widget);
                candidate != nullptr && candidate->isVisible()) {
                box = candidate;
                break;
            }
        }
        if (box != seen_) {
            seen_ = box;
            since_ = std::chrono::steady_clock::now();
            return;
        }
        if (box != nullptr && std::chrono::steady_clock::now() - since_ > std::chrono::seconds(5)) {
            ADD_FAILURE() << "a message box was left open: \"" << box->windowTitle().toStdString()
                          << "\" " << box->text().toStdString();
            box->done(QMessageBox::Cancel);
            seen_ = nullptr;
        }
    }

    QTimer timer_;
    QPointer<QMessageBox> seen_;
    std::chrono::steady_clock::time_point since_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    LingeringBoxGuard guard;
    return RUN_ALL_TESTS();
}
