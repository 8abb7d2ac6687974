// The calibration dialog on a real line: the outputs' types and the
// coefficients come from the simulated module, and what the dialog sent is
// read back from the module's frame log.
#include "dialogs/calibration_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <thread>

#include "../ui/widget_helpers.h"
#include "engine/engine_fixture.h"
#include "model/network_name.h"

namespace tarn::testing {
namespace {

// Step buttons by their place in CCalibration::kSteps.
constexpr int kMinus2 = 0;
constexpr int kPlus2 = 1;

QStringList texts(const QListWidget* list) {
    QStringList all;
    for (int i = 0; i < list->count(); ++i) {
        all << list->item(i)->text();
    }
    return all;
}

class CalibrationDialog : public EngineLine {
protected:
    void SetUp() override {
        EngineLine::SetUp();
        openFastLink();
        loadTree();
        context.setFullAccess(true);
        context.setAutoRead(true);
    }
    void TearDown() override {
        dialog.reset();
        EngineLine::TearDown();
    }

    CCalibration& open() {
        dialog = std::make_unique<CCalibration>(engine, ui, &instantiation.outputs);
        EXPECT_TRUE(showAndActivate(*dialog));
        return *dialog;
    }
    void choose(const QString& entry) {
        const auto found = dialog->coefficientList()->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString();
        dialog->coefficientList()->setCurrentItem(found.front());
        ASSERT_TRUE(waitUntil([&] { return dialog->idle(); }));
    }
    void type(const QString& text) {
        dialog->valueBox()->selectAll();
        QTest::keyClicks(dialog->valueBox(), text);
    }
    void click(int step) {
        QTest::mouseClick(dialog->stepButton(step), Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return dialog->idle(); }));
    }
    // The values written into a coefficient, in order, repeats of one
    // write (the value, then the attributes back) counted once.
    std::vector<int> written(int coefficient) const {
        std::vector<int> values;
        for (const Frame& frame : module.requestLog()) {
            if (frame.hash != NetNameHash("CLB.K") || frame.readFlag || frame.data.size() < 3) {
                continue;
            }
            const std::size_t n = frame.data.size() - 2;
            if (((frame.data[n] << 8) | frame.data[n + 1]) != coefficient) {
                continue;
            }
            int value = 0;
            for (std::size_t i = 0; i < n; ++i) {
                value = (value << 8) | frame.data[i];
            }
            if (values.empty() || values.back() != value) {
                values.push_back(value);
            }
        }
        return values;
    }
    int writes() const {
        int count = 0;
        for (const Frame& frame : module.requestLog()) {
            count += frame.readFlag ? 0 : 1;
        }
        return count;
    }

    std::unique_ptr<CCalibration> dialog;
};

TEST_F(CalibrationDialog, OnlyAnalogueOutputsHaveCoefficients) {
    // Outputs 1 and 2 of the module are analogue, the others discrete.
    CCalibration& window = open();
    EXPECT_EQ(window.windowTitle(), "Юстировка аналоговых выходов");
    EXPECT_EQ(texts(window.coefficientList()),
              (QStringList{"K20 выхода №1", "K20 выхода №2", "K4  выхода №1", "K4  выхода №2"}));
    EXPECT_EQ(module.requestsFor("POUt"), 8);
    EXPECT_FALSE(window.valueBox()->isEnabled());
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(window.stepButton(i)->isEnabled()) << i;
    }
    dialog.reset();

    // Types still unknown count as analogue; without automatic reading
    // nothing is read.
    for (Parameter* output : instantiation.outputs) {
        output->setNoData();
    }
    context.setAutoRead(false);
    module.clearCounters();
    EXPECT_EQ(open().coefficientList()->count(), 16);
    EXPECT_EQ(module.requestsSeen(), 0);
    dialog.reset();

    // All discrete: nothing to adjust.
    for (Parameter* output : instantiation.outputs) {
        output->setValueText("дискретный");
    }
    EXPECT_EQ(open().coefficientList()->count(), 0);
    QTest::mouseClick(dialog->finishButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(module.requestsSeen(), 0);
}

TEST_F(CalibrationDialog, StepsStayWithinTheRangeAndFinishingEndsTheAdjustment) {
    module.setValue("CLB.K", 0, "4093");
    open();
    choose("K4  выхода №1");
    EXPECT_EQ(dialog->valueBox()->text(), "4093");
    EXPECT_TRUE(dialog->valueBox()->isEnabled());
    EXPECT_EQ(module.requestsFor("CLB.I"), 1);
    EXPECT_EQ(module.value("CLB.I"), "0");

    click(kPlus2);
    EXPECT_EQ(dialog->valueBox()->text(), "4095");
    EXPECT_EQ(module.value("CLB.K", 0), "4095");
    const int before = writes();
    click(kPlus2);  // 4097 is out of range
    EXPECT_EQ(dialog->valueBox()->text(), "4095");
    EXPECT_EQ(writes(), before);

    type("4094");
    ASSERT_TRUE(waitUntil([&] { return dialog->idle(); }));
    EXPECT_EQ(module.value("CLB.K", 0), "4094");
    const int typed = writes();
    click(kPlus2);  // 4096 is out of range
    EXPECT_EQ(dialog->valueBox()->text(), "4094");
    EXPECT_EQ(writes(), typed);
    type("1");
    click(kMinus2);  // -1 is out of range
    EXPECT_EQ(dialog->valueBox()->text(), "1");
    EXPECT_EQ(module.value("CLB.K", 0), "1");

    // The coefficient keeps its attributes.
    EXPECT_EQ(module.editable("CLB.K", 0), true);
    EXPECT_EQ(module.ownedByFirm("CLB.K", 0), true);
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();

    module.clearCounters();
    QTest::mouseClick(dialog->finishButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !dialog->isVisible(); }, 5000));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(written(0), (std::vector<int>{1}));
    ASSERT_FALSE(module.requestLog().empty());
    EXPECT_EQ(module.requestLog().back().hash, NetNameHash("CLB.A"));
}

TEST_F(CalibrationDialog, ChoosingAnotherCoefficientWritesThePreviousOneFirst) {
    module.setValue("CLB.K", 1, "100");
    module.setValue("CLB.K", 2, "200");
    open();
    choose("K20 выхода №1");
    type("150");
    choose("K4  выхода №2");
    EXPECT_EQ(dialog->valueBox()->text(), "200");
    EXPECT_EQ(module.value("CLB.K", 1), "150");
    EXPECT_EQ(module.value("CLB.I"), "2");
    // The refused value is reported with the command's own line.
    type("5000");
    ASSERT_TRUE(waitUntil([&] { return dialog->idle(); }));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(ui.messages.back().text.starts_with("Комманда записи CLB.K вернула ошибку:\n"))
        << ui.messages.back().text;
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Exclamation);
    EXPECT_NE(module.value("CLB.K", 2), "5000");
}

TEST_F(CalibrationDialog, DecliningACoefficientThatIsNotEditableOnlyEndsTheAdjustment) {
    module.setEditable("CLB.K", 3, false);
    ui.answers = {false};
    open();
    module.clearCounters();
    const auto found = dialog->coefficientList()->findItems("K20 выхода №2", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    dialog->coefficientList()->setCurrentItem(found.front());
    ASSERT_TRUE(waitUntil([&] { return !dialog->isVisible(); }, 5000));

    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text,
              "Предупреждение:\nУ параметра CLB.K:3 установлен атрибут 'Нередактируемый'.\n\n"
              "Продолжить юстировку?");
    EXPECT_EQ(ui.questions[0].icon, MessageIcon::Question);
    EXPECT_EQ(writes(), 0);
    EXPECT_EQ(module.requestsFor("CLB.I"), 0);
    ASSERT_FALSE(module.requestLog().empty());
    EXPECT_EQ(module.requestLog().back().hash, NetNameHash("CLB.A"));
    EXPECT_EQ(module.requestsFor("CLB.A"), 1);
}

TEST_F(CalibrationDialog, ACoefficientThatIsNotEditableIsAdjustedAndLockedAgain) {
    module.setEditable("CLB.K", 3, false);
    ui.answers = {true};
    open();
    choose("K20 выхода №2");
    type("777");
    ASSERT_TRUE(waitUntil([&] { return dialog->idle(); }));
    EXPECT_EQ(module.value("CLB.K", 3), "777");
    EXPECT_EQ(module.editable("CLB.K", 3), false);
    EXPECT_EQ(module.ownedByFirm("CLB.K", 3), true);
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
}

// Answers as the real boxes do: on the GUI thread, the asking thread
// waiting until it has been answered.
class GuiThreadInteraction : public UserInteraction {
public:
    void showMessage(std::string_view, std::string_view, MessageIcon, unsigned) override {}
    bool askYesNo(std::string_view, std::string_view, MessageIcon, bool) override {
        bool answer = false;
        QMetaObject::invokeMethod(
            qApp, [&answer] { answer = true; }, Qt::BlockingQueuedConnection);
        asked = true;
        return answer;
    }
    std::atomic<bool> asked{false};
};

TEST_F(CalibrationDialog, AClosingProgramDoesNotHangOnAQuestionStillToBeAsked) {
    module.setEditable("CLB.K", 3, false);
    GuiThreadInteraction boxes;
    dialog = std::make_unique<CCalibration>(engine, boxes, &instantiation.outputs);
    ASSERT_TRUE(showAndActivate(*dialog));
    const auto found = dialog->coefficientList()->findItems("K20 выхода №2", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    dialog->coefficientList()->setCurrentItem(found.front());
    // Destroyed at once, while the worker reads the coefficient and then
    // asks on this thread.
    dialog.reset();
    EXPECT_TRUE(boxes.asked);
    EXPECT_EQ(module.requestsFor("CLB.I"), 1);
}

TEST_F(CalibrationDialog, TypingWritesTheValueOnTheLineThenOnlyTheLatest) {
    open();
    choose("K4  выхода №1");
    // A task holds the line while the user types.
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread task([&] {
        std::lock_guard lock(link.exchangeLock());
        held = true;
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    while (!held) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::size_t sent = module.requestLog().size();
    type("1");
    QTest::qWait(300);  // the write of "1" is on its way (waiting for the line)
    QTest::keyClicks(dialog->valueBox(), "234");
    EXPECT_EQ(module.requestLog().size(), sent);
    release = true;
    task.join();
    ASSERT_TRUE(waitUntil([&] { return dialog->idle(); }));
    EXPECT_EQ(written(0), (std::vector<int>{1, 1234}));
    EXPECT_EQ(module.value("CLB.K", 0), "1234");

    // An emptied box is a value being retyped: nothing goes out.
    const std::size_t before = module.requestLog().size();
    dialog->valueBox()->selectAll();
    QTest::keyClick(dialog->valueBox(), Qt::Key_Backspace);
    ASSERT_TRUE(waitUntil([&] { return dialog->idle(); }));
    EXPECT_EQ(module.requestLog().size(), before);
}

}  // namespace
}  // namespace tarn::testing
