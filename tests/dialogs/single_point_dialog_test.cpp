// The single-point dialog on a real line: the simulated module on a
// pseudo-terminal answers what the dialog sends.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <thread>

#include "../ui/widget_helpers.h"
#include "dialogs/single_point.h"
#include "engine/engine_fixture.h"
#include "model/network_name.h"

namespace tarn::testing {
namespace {

ParameterTemplate makeTemplate(std::string name, std::string type, std::string caption) {
    ParameterTemplate t;
    t.networkName = std::move(name);
    t.typeText = std::move(type);
    t.caption = std::move(caption);
    return t;
}

std::vector<ParameterTemplate> templates() {
    auto version = makeTemplate("!vEr", "string", "Версия_ПО");
    version.attributeFlag = false;
    auto output = makeTemplate(
        "POUt", "Дискретный:Аналоговый_4-20_мА:Аналоговый_0-20_мА:Резерв<hide>", "Тип_выхода");
    output.attributeFlag = false;
    return {version, makeTemplate("nPCP", "int", "Режим_выхода"), output};
}

// A click on the indicator of a check box or radio button, which may be
// stretched wider than its text.
void clickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QStringList texts(const QListWidget* list) {
    QStringList all;
    for (int i = 0; i < list->count(); ++i) {
        all << list->item(i)->text();
    }
    return all;
}

QStringList items(const QComboBox* box) {
    QStringList all;
    for (int i = 0; i < box->count(); ++i) {
        all << box->itemText(i);
    }
    return all;
}

class SinglePointDialog : public EngineLine {
protected:
    void SetUp() override {
        EngineLine::SetUp();
        openFastLink();
        dialog = std::make_unique<CSinglePoint>(link, ui, templates());
        ASSERT_TRUE(showAndActivate(*dialog));
    }
    void TearDown() override {
        dialog.reset();
        EngineLine::TearDown();
    }
    void runAndWait() {
        QTest::keyClick(dialog->commandBox(), Qt::Key_Return);
        ASSERT_TRUE(waitUntil([&] { return !dialog->busy(); }));
    }
    void setCommand(const QString& command) {
        dialog->commandBox()->lineEdit()->selectAll();
        QTest::keyClicks(dialog->commandBox()->lineEdit(), command);
    }

    std::unique_ptr<CSinglePoint> dialog;
};

TEST_F(SinglePointDialog, EnterReadsTheInitialCommand) {
    EXPECT_EQ(dialog->commandBox()->currentText(), "!vEr");
    char hash[16];
    std::snprintf(hash, sizeof hash, "0x%X", static_cast<unsigned>(NetNameHash("ver")));
    EXPECT_EQ(dialog->hashField()->text(), hash);
    EXPECT_EQ(dialog->descriptionField()->text(), "Версия ПО (string)");
    EXPECT_FALSE(dialog->valueBox()->isVisible());
    EXPECT_FALSE(dialog->indexInData()->isEnabled());

    runAndWait();
    const QStringList log = texts(dialog->exchangeLog());
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log.front(), "!vEr (string)");
    EXPECT_EQ(log[log.size() - 2], "Нет ошибок; строковая нотация ответа:");
    EXPECT_EQ(log.back(), "2.03");
    EXPECT_EQ(dialog->exchangeLog()->currentRow(), log.size() - 1);
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
}

TEST_F(SinglePointDialog, WritesAListValueOfTheType) {
    setCommand("pout");
    EXPECT_EQ(dialog->descriptionField()->text(),
              "Тип выхода (Дискретный:Аналоговый_4-20_мА:Аналоговый_0-20_мА:Резерв<hide>)");
    clickIndicator(dialog->writeButton());
    EXPECT_TRUE(dialog->valueBox()->isVisible());
    EXPECT_EQ(items(dialog->valueBox()),
              (QStringList{"Дискретный", "Аналоговый 4-20 мА", "Аналоговый 0-20 мА"}));
    dialog->valueBox()->setCurrentIndex(2);
    clickIndicator(dialog->indexCheck());
    dialog->indexField()->setText("3");

    runAndWait();
    EXPECT_EQ(module.value("POUt", 3), "Аналоговый 0-20 мА");
    const QStringList log = texts(dialog->exchangeLog());
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log.front(), "Индекс передается в посылке запроса");
    EXPECT_EQ(log.back(), "Нет ошибок; записано. Обратно вернулось='Аналоговый 0-20 мА'");
}

TEST_F(SinglePointDialog, AnIndexInTheAddressRaisesTheAddress) {
    module.setValue("nPCP", 9, "42");
    setCommand("nPCP");
    clickIndicator(dialog->indexCheck());
    ASSERT_TRUE(dialog->indexInAddress()->isEnabled());
    clickIndicator(dialog->indexInAddress());
    dialog->indexField()->setText("9");

    runAndWait();
    const QStringList log = texts(dialog->exchangeLog());
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[0], "Индекс передается в поле адреса запроса");
    EXPECT_EQ(log[1], "Предупреждение: адрес увеличен более чем на 7!");
    EXPECT_EQ(log[2], "nPCP (int)");
    EXPECT_EQ(log.back(), "42");
    ASSERT_FALSE(module.requestLog().empty());
    EXPECT_EQ(module.requestLog().back().address, 16 + 9);
    EXPECT_TRUE(module.requestLog().back().data.empty());
}

TEST_F(SinglePointDialog, TheWindowKeepsWorkingWhileTheLineIsHeld) {
    // Another thread (a task, a scanner) holds the line.
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
    QTest::mouseClick(dialog->executeButton(), Qt::LeftButton);
    // The click came back: the exchange waits elsewhere.
    EXPECT_TRUE(dialog->busy());
    EXPECT_EQ(dialog->cursor().shape(), Qt::WaitCursor);
    EXPECT_FALSE(dialog->executeButton()->isEnabled());
    // The window still paints and takes input; Escape waits for the end.
    QTest::qWait(50);
    const QImage picture = dialog->grab().toImage();
    EXPECT_FALSE(picture.isNull());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(module.requestsSeen(), 0);

    release = true;
    task.join();
    ASSERT_TRUE(waitUntil([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(texts(dialog->exchangeLog()).back(), "2.03");
    EXPECT_NE(dialog->cursor().shape(), Qt::WaitCursor);
}

}  // namespace
}  // namespace tarn::testing
