// Single-point access and the control-mode check against the simulated
// module.
#include <gtest/gtest.h>

#include <cstdio>

#include "comm/control_mode_check.h"
#include "comm/single_point_access.h"
#include "engine_fixture.h"
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
    auto noAttributes = makeTemplate("!vEr", "string", "Версия_ПО");
    noAttributes.attributeFlag = false;
    return {noAttributes, makeTemplate("nPCP", "int", "Режим_выхода"),
            makeTemplate("SP", "float", "Уставка"),
            makeTemplate("POUt", "Дискретный:Аналоговый_4-20_мА:Резерв<hide>", "Тип_выхода")};
}

class SinglePoint : public EngineLine {
protected:
    SinglePointAccess access{link, ui, templates()};
};

TEST_F(SinglePoint, DescribesACommand) {
    EXPECT_EQ(access.commandNames(), (std::vector<std::string>{"!vEr", "nPCP", "SP", "POUt"}));

    const CommandDescription initial = access.DescribeCommand(kSinglePointInitialCommand);
    char expected[16];
    std::snprintf(expected, sizeof expected, "0x%X", static_cast<unsigned>(NetNameHash("ver")));
    EXPECT_EQ(initial.hashText, expected);
    EXPECT_EQ(access.DescribeCommand("ver").hashText, initial.hashText);
    EXPECT_EQ(initial.description, "Версия ПО (string)");
    EXPECT_TRUE(initial.values.empty());
    EXPECT_FALSE(initial.hasLinearIndex);

    const CommandDescription output = access.DescribeCommand("pout");
    EXPECT_EQ(output.description, "Тип выхода (Дискретный:Аналоговый_4-20_мА:Резерв<hide>)");
    EXPECT_EQ(output.values, (std::vector<std::string>{"Дискретный", "Аналоговый 4-20 мА"}));
    EXPECT_EQ(
        output.hashText, "0x" + [] {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(NetNameHash("POUt")));
            return std::string(hex);
        }());

    const CommandDescription unknown = access.DescribeCommand("ZZZ");
    EXPECT_EQ(unknown.description, " (<тип неопределен>)");
    EXPECT_TRUE(unknown.values.empty());
    EXPECT_TRUE(access.DescribeCommand("nPCP").values.empty());
}

TEST_F(SinglePoint, ReadsWithTheIndexInTheData) {
    openFastLink();
    module.setValue("nPCP", 5, "7");
    SinglePointRequest request;
    request.command = "nPCP";
    request.indexPresent = true;
    request.indexText = "5";
    const auto log = access.ExecuteCommand(request);
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "Индекс передается в посылке запроса");
    EXPECT_EQ(log[1], "nPCP (int)");
    EXPECT_EQ(log[2], "Размер инф-ой части посылки 2 байт.");
    EXPECT_EQ(log[log.size() - 2], "Нет ошибок; строковая нотация ответа:");
    EXPECT_EQ(log.back(), "7");
    ASSERT_FALSE(module.requestLog().empty());
    const Frame request0 = module.requestLog().back();
    EXPECT_EQ(request0.address, 16);
    EXPECT_EQ(request0.data, (std::vector<std::uint8_t>{0, 5}));
}

TEST_F(SinglePoint, SendsTheIndexInTheAddress) {
    openFastLink();
    module.setValue("nPCP", 9, "3");
    SinglePointRequest request;
    request.command = "NPCP";
    request.indexPresent = true;
    request.indexText = "9";
    request.indexPlace = SinglePointRequest::IndexPlace::Address;
    const auto log = access.ExecuteCommand(request);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "Индекс передается в поле адреса запроса");
    EXPECT_EQ(log[1], "Предупреждение: адрес увеличен более чем на 7!");
    EXPECT_EQ(log[2], "NPCP (int)");
    EXPECT_EQ(log.back(), "3");
    const Frame sent = module.requestLog().back();
    EXPECT_EQ(sent.address, 16 + 9);
    EXPECT_TRUE(sent.data.empty());

    request.indexText = "7";
    EXPECT_EQ(access.ExecuteCommand(request)[1], "NPCP (int)");
}

TEST_F(SinglePoint, WritesAndReportsFailures) {
    openFastLink();
    SinglePointRequest request;
    request.command = "sp";
    request.operation = SinglePointRequest::Operation::Write;
    request.valueToWrite = "12.5";
    auto log = access.ExecuteCommand(request);
    EXPECT_EQ(log.front(), "sp (float)");
    EXPECT_EQ(log.back(), "Нет ошибок; записано. Обратно вернулось='12.500'");
    EXPECT_EQ(module.value("SP"), "12.500");

    // The initial command reads the version through its template.
    request = {};
    request.command = std::string(kSinglePointInitialCommand);
    log = access.ExecuteCommand(request);
    EXPECT_EQ(log.back(), "2.03");

    module.setFaults({.errorCode = 40});
    request.command = "nPCP";
    log = access.ExecuteCommand(request);
    EXPECT_EQ(log.back(), "Не найден дескриптор");
    EXPECT_EQ(std::count(log.begin(), log.end(), "Нет ошибок; строковая нотация ответа:"), 0);

    request.command = "XYZ";
    EXPECT_TRUE(access.ExecuteCommand(request).empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Параметер 'XYZ' не описан!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
}

class ControlMode : public EngineLine {};

TEST_F(ControlMode, OnlyDirectControlModesOutsideUnattendedRuns) {
    openFastLink();
    module.setValue("nPCO", 8, "1");
    for (const std::uint32_t mode : {2u, 3u, 18u, 19u, 32u, 0u}) {
        EXPECT_EQ(checkControlMode(engine, ui, mode, false), ControlModeCheck::NotApplicable);
    }
    EXPECT_EQ(checkControlMode(engine, ui, 17, true), ControlModeCheck::NotApplicable);
    EXPECT_EQ(module.requestsSeen(), 0);
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(ControlMode, AllOutputsInDirectControlAskNothing) {
    openFastLink();
    EXPECT_EQ(checkControlMode(engine, ui, 17, false), ControlModeCheck::DirectControl);
    EXPECT_EQ(module.requestsFor("nPCP"), 8);
    EXPECT_EQ(module.requestsFor("nPCO"), 8);
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(ControlMode, AnIntelligentOutputIsOfferedOnce) {
    openFastLink();
    module.setValue("nPCO", 24, "2");
    module.setValue("nPCP", 40, "5");  // not reached: the check stops at output 4
    ui.answers = {false};
    EXPECT_EQ(checkControlMode(engine, ui, 1, false), ControlModeCheck::Declined);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text,
              "Прибор сконфигурирован для интеллектуального \nуправления исполнительными "
              "механизмами.\n\nПереконфигурировать прибор в режим неинтеллектуального "
              "\n(непосредственного) управления выходными элементами?");
    EXPECT_EQ(ui.questions[0].icon, MessageIcon::Information);
    EXPECT_EQ(module.requestsFor("nPCO"), 4);
    EXPECT_EQ(module.value("nPCO", 24), "2");

    module.clearCounters();
    ui.answers = {true};
    EXPECT_EQ(checkControlMode(engine, ui, 1, false), ControlModeCheck::Reconfigured);
    EXPECT_EQ(ui.questions.size(), 2u);
    int writes = 0;
    for (const Frame& frame : module.requestLog()) {
        writes += frame.readFlag ? 0 : 1;
    }
    EXPECT_EQ(writes, 16);
    for (int index = 0; index < 64; index += 8) {
        EXPECT_EQ(module.value("nPCP", index), "0") << index;
        EXPECT_EQ(module.value("nPCO", index), "0") << index;
    }
    EXPECT_EQ(checkControlMode(engine, ui, 17, false), ControlModeCheck::DirectControl);
}

TEST_F(ControlMode, AFailedReadEndsTheCheckSilently) {
    openFastLink();
    module.setFaults({.errorCode = 52});
    EXPECT_EQ(checkControlMode(engine, ui, 1, false), ControlModeCheck::ReadFailed);
    EXPECT_EQ(module.requestsSeen(), 1);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tarn::testing
