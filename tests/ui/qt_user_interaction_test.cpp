// Real message boxes, answered by the test as a user would click them.
#include "ui/qt_user_interaction.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "widget_helpers.h"

namespace tarn::testing {
namespace {

QMessageBox* openBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

struct SeenBox {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget* parent = nullptr;
    bool onTop = false;
    bool modal = false;
};

// Waits for the box on the GUI thread, notes what it shows and clicks
// `answer`.
void answerNextBox(SeenBox& seen, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [&seen, answer] {
        ASSERT_TRUE(waitUntil([] { return openBox() != nullptr; }));
        QMessageBox* box = openBox();
        seen.text = box->text();
        seen.caption = box->windowTitle();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        QPushButton* preset = box->defaultButton();
        seen.defaultButton =
            preset != nullptr ? box->standardButton(preset) : QMessageBox::NoButton;
        seen.parent = box->parentWidget();
        seen.onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        seen.modal = box->isModal();
        QTest::mouseClick(box->button(answer), Qt::LeftButton);
    });
}

TEST(QtUserInteraction, AQuestionShowsYesAndNoAndReturnsTheClick) {
    QWidget owner;
    QtUserInteraction ui(&owner);
    SeenBox seen;
    answerNextBox(seen, QMessageBox::No);
    EXPECT_FALSE(ui.askYesNo("Хотите переключиться на другой режим работы конфигуратора?", "",
                             MessageIcon::Information, true));
    EXPECT_EQ(seen.text,
              QStringLiteral("Хотите переключиться на другой режим работы конфигуратора?"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(seen.parent, &owner);
    EXPECT_TRUE(seen.modal);

    answerNextBox(seen, QMessageBox::Yes);
    EXPECT_TRUE(ui.askYesNo("Продолжить?", "Вопрос", MessageIcon::Question, false));
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);
    EXPECT_EQ(seen.caption, QStringLiteral("Вопрос"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
}

TEST(QtUserInteraction, MessagesCarryTheirIconCaptionAndFlags) {
    QWidget owner;
    QtUserInteraction ui(&owner);
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Ok);
    ui.showMessage("Ничего не выбрано!", "Операция невозможна", MessageIcon::Exclamation,
                   kMessagePlain);
    EXPECT_EQ(seen.text, QStringLiteral("Ничего не выбрано!"));
    EXPECT_EQ(seen.caption, QStringLiteral("Операция невозможна"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.parent, &owner);
    EXPECT_FALSE(seen.onTop);

    answerNextBox(seen, QMessageBox::Ok);
    ui.showMessage("Не удалось создать дерево параметров", "Ошибка", MessageIcon::Error,
                   kMessageNoOwner | kMessageTopmost);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.parent, nullptr);
    EXPECT_TRUE(seen.onTop);
}

TEST(QtUserInteraction, AWorkerThreadWaitsForTheBoxOnTheGuiThread) {
    QtUserInteraction ui;
    std::atomic<bool> returned{false};
    std::atomic<bool> answer{true};
    bool onGuiThread = false;
    bool returnedBeforeClick = true;
    // The box runs its own event loop on the GUI thread; a timer answers it
    // from inside that loop.
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        QMessageBox* box = openBox();
        if (box == nullptr) {
            return;
        }
        clicker.stop();
        onGuiThread = box->thread() == QApplication::instance()->thread();
        QTest::qWait(50);
        returnedBeforeClick = returned;
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    clicker.start(5);
    std::thread worker([&] {
        answer = ui.askYesNo("Прибор сконфигурирован для интеллектуального управления.", "",
                             MessageIcon::Information, true);
        returned = true;
    });
    EXPECT_TRUE(waitUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_TRUE(onGuiThread);
    EXPECT_FALSE(returnedBeforeClick);
    EXPECT_FALSE(answer);
}

}  // namespace
}  // namespace tarn::testing
