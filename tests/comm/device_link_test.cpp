// DeviceLink over the real serial port against the simulated module.
#include "comm/device_link.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <thread>

#include "comm/error_texts.h"
#include "model/network_name.h"
#include "model/parameter.h"
#include "simulated_line.h"

namespace tarn::testing {
namespace {

std::unique_ptr<Parameter> makeParameter(const std::string& name, const std::string& type,
                                         int attributeKind = 0, int index = -1) {
    auto parameter = std::make_unique<Parameter>(name);
    parameter->setValueType(type);
    parameter->setAttributeKind(static_cast<std::uint8_t>(attributeKind));
    if (index >= 0) {
        parameter->setHasLinearIndex(true);
        parameter->setLinearIndex(index);
    }
    return parameter;
}

bool anyLineContains(const std::vector<std::string>& lines, std::string_view part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    });
}

class DeviceLinkTest : public SimulatedLine {};

TEST_F(DeviceLinkTest, ReadsAValueWithTheWorkedFrame) {
    openLink();
    auto aLen = makeParameter("A.Len", "8:11");
    aLen->setValueChanged(true);
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Ok);
    EXPECT_EQ(aLen->valueText(), "8");
    EXPECT_EQ(aLen->statusText(), "");
    EXPECT_FALSE(aLen->valueChanged());
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].rfind("<- #HGHGHUTISROI<CR>", 0), 0u) << received()[0];
}

TEST_F(DeviceLinkTest, ElevenBitAddressing) {
    module.setActiveSettings({{9600, 8, Parity::None, 1}, 16, 11});
    PortSettings settings;
    settings.addressLength = 11;
    openLink(settings);
    auto aLen = makeParameter("A.Len", "8:11");
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Ok);
    EXPECT_EQ(aLen->valueText(), "11");
    EXPECT_EQ(received()[0].rfind("<- #GIHGHUTIGVJG<CR>", 0), 0u) << received()[0];

    // A module on a high address that 8 bits cannot reach.
    module.setActiveSettings({{9600, 8, Parity::None, 1}, 1200, 11});
    settings.address = 1200;
    openLink(settings);
    auto address = makeParameter("Addr", "int");
    EXPECT_EQ(link.ExchangeParameter(*address, true), ExchangeResult::Ok);
    EXPECT_EQ(address->valueText(), "1200");
}

TEST_F(DeviceLinkTest, SilentModuleTimesOutAfterFourSendings) {
    openLink();
    module.setFaults({.silent = true});
    auto aLen = makeParameter("A.Len", "8:11");
    aLen->setValueText("8");
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(aLen->statusText(), "Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(aLen->valueText(), "8");
    EXPECT_EQ(module.requestsSeen(), 4);
    EXPECT_EQ(context.runResultCode(), kRunTimeout);

    // Once the line has failed (8), a time-out leaves the code alone.
    context.setRunResultCode(kRunLineFault);
    link.ExchangeParameter(*aLen, true);
    EXPECT_EQ(context.runResultCode(), kRunLineFault);

    // An answer after a time-out marks the line as unreliable.
    context.setRunResultCode(kRunTimeout);
    module.setFaults({});
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Ok);
    EXPECT_EQ(context.runResultCode(), kRunLineFault);
}

TEST_F(DeviceLinkTest, LostAnswersAreSentAgain) {
    openLink();
    module.setFaults({.dropEvery = 2});
    auto aLen = makeParameter("A.Len", "8:11");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Ok) << i;
    }
    // Answers 2 and 4 were dropped: five requests for three reads.
    EXPECT_EQ(module.requestsSeen(), 5);
}

TEST_F(DeviceLinkTest, DamagedAnswersAreNotSentAgain) {
    openLink();
    auto aLen = makeParameter("A.Len", "8:11");

    module.setFaults({.badChecksumEvery = 1});
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(aLen->statusText(), "Ошибка в контрольной сумме ответа");
    EXPECT_EQ(module.requestsSeen(), 1);

    module.setFaults({.wrongHashEvery = 1});
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(aLen->statusText(),
              "Пришла посылка с кодом команды, отличным от посланной и от n.Err.\n");

    module.setFaults({.overlongEvery = 1});
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(aLen->statusText(), "Ошибка в контрольной сумме ответа");
    EXPECT_EQ(module.requestsSeen(), 3);
    EXPECT_EQ(context.runResultCode(), 0u);
}

TEST_F(DeviceLinkTest, AnswersLaterThanTheTimeOutDoNotShiftTheExchangesAfter) {
    // Every answer comes 30 ms after the 170 ms time-out: each request is
    // sent again, and the answer to the repeated frame arrives during the
    // next exchange.
    sim::ServerOptions late;
    late.delayMs = 200;
    startServer(late);
    openLink();
    module.setValue("Addr", 0, "16");
    auto aLen = makeParameter("A.Len", "8:11");
    auto address = makeParameter("Addr", "int");
    auto bps = makeParameter("bPS", "int");
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Ok);
    EXPECT_EQ(aLen->valueText(), "8");
    // The late answer for "A.Len" is set aside; "Addr" gets its own.
    EXPECT_EQ(link.ExchangeParameter(*address, true), ExchangeResult::Ok) << address->statusText();
    EXPECT_EQ(address->valueText(), "16");
    EXPECT_EQ(link.ExchangeParameter(*bps, true), ExchangeResult::Ok) << bps->statusText();
    EXPECT_EQ(bps->valueText(), "9600");
}

TEST_F(DeviceLinkTest, AnswersWithoutStartAreLostStarts) {
    openLink();
    auto aLen = makeParameter("A.Len", "8:11");
    module.setFaults({.missingStartEvery = 1});
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(aLen->statusText(), "Потеря начала посылки.");
    EXPECT_EQ(module.requestsSeen(), 16);
    EXPECT_EQ(context.runResultCode(), kRunLineFault);

    module.clearCounters();
    module.setFaults({.garbageEvery = 1});
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(aLen->statusText(), "Потеря начала посылки.");
    EXPECT_EQ(module.requestsSeen(), 16);
}

TEST_F(DeviceLinkTest, ErrorAnswers) {
    openLink();
    auto unknown = makeParameter("ZZZZ", "int");
    EXPECT_EQ(link.ExchangeParameter(*unknown, true), ExchangeResult::Failed);
    EXPECT_EQ(unknown->statusText(), "Не найден дескриптор");

    module.setFaults({.errorCode = 200});
    auto aLen = makeParameter("A.Len", "8:11");
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(aLen->statusText(), "Не найдено значение ошибки. (Код -56)");
    EXPECT_EQ(module.requestsFor("A.Len"), 1);

    // An error answer without a code fails with an empty status.
    module.setFaults({.emptyError = true});
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(aLen->statusText(), "");
}

TEST_F(DeviceLinkTest, ModuleRefusals) {
    openLink();
    auto serial = makeParameter("SErN", "int");
    serial->setValueText("1");
    EXPECT_EQ(link.ExchangeParameter(*serial, false), ExchangeResult::Failed);
    EXPECT_EQ(serial->statusText(), "Редактирование параметра запрещено атрибутами доступа");
    EXPECT_EQ(module.value("SErN"), "12345");

    auto beyond = makeParameter("nPCP", "int", 0, 64);
    EXPECT_EQ(link.ExchangeParameter(*beyond, true), ExchangeResult::Failed);
    EXPECT_EQ(beyond->statusText(), "Недопустимо большой линейный индекс");

    // An indexed parameter sent without its index: the data field is too short.
    auto noIndex = makeParameter("nPCP", "int");
    noIndex->setValueText("3");
    EXPECT_EQ(link.ExchangeParameter(*noIndex, false), ExchangeResult::Failed);
    EXPECT_EQ(noIndex->statusText(), "Размер поля данных не соответствует ожидаемому");
}

TEST_F(DeviceLinkTest, WritesWithTheirTrace) {
    openLink();
    auto setpoint = makeParameter("SP", "float");
    setpoint->setValueText("25.5");
    setpoint->setValueChanged(true);
    std::vector<std::string> trace;
    EXPECT_EQ(link.ExchangeParameter(*setpoint, false, &trace), ExchangeResult::Ok);
    EXPECT_EQ(module.value("SP"), "25.500");
    EXPECT_EQ(setpoint->valueText(), "25.500");
    EXPECT_FALSE(setpoint->valueChanged());
    // 25.5 is 0x41CC0000; 0xCC is the letter М in the module's code page.
    const std::vector<std::string> expected = {
        "Размер инф-ой части посылки 3 байт.",
        ">> Посылка: # 0 : 065 = 0x41 (A)",
        ">> Посылка: # 1 : 204 = 0xCC (М)",
        ">> Посылка: # 2 : 000 = 0x00 (.)",
        "<< Ответ: # 0 : 065 = 0x41 (A)",
        "<< Ответ: # 1 : 204 = 0xCC (М)",
        "<< Ответ: # 2 : 000 = 0x00 (.)",
        "Инф-ная часть квитанции ответа имеет размер 3 байт.",
    };
    EXPECT_EQ(trace, expected);

    // An indexed write carries the index after the value, high byte first.
    auto control = makeParameter("nPCO", "int", 0, 300 % 64);
    control->setValueText("300");
    trace.clear();
    EXPECT_EQ(link.ExchangeParameter(*control, false, &trace), ExchangeResult::Ok);
    EXPECT_EQ(module.value("nPCO", 300 % 64), "300");
    EXPECT_EQ(trace[0], "Размер инф-ой части посылки 4 байт.");
    EXPECT_EQ(trace[1], ">> Посылка: # 0 : 001 = 0x01 (.)");
    EXPECT_EQ(trace[4], ">> Посылка: # 3 : 044 = 0x2C (,)");
    EXPECT_EQ(trace.back(), "Инф-ная часть квитанции ответа имеет размер 4 байт.");
}

TEST_F(DeviceLinkTest, ValuesThatCannotBeCodedAreNotSent) {
    openLink();
    std::vector<std::string> trace;
    auto device = makeParameter("dev", "string");
    device->setValueText("X");
    EXPECT_EQ(link.ExchangeParameter(*device, false, &trace), ExchangeResult::NoWriteCoding);
    EXPECT_EQ(trace, std::vector<std::string>{
                         "Метод формирования посылки записи для команды 'dev' не определен."});
    auto parity = makeParameter("PrtY", "Отсутствует:Четность:Нечетность");
    parity->setValueText("Mark");
    trace.clear();
    EXPECT_EQ(link.ExchangeParameter(*parity, false, &trace), ExchangeResult::BadValue);
    EXPECT_EQ(trace, std::vector<std::string>{"Неверное значение (неудается закодировать данные)"});
    EXPECT_EQ(link.ExchangeParameter(*parity, false), ExchangeResult::BadValue);
    EXPECT_EQ(module.requestsSeen(), 0);
    EXPECT_EQ(link.ExchangeParameter(ExchangeRequest{}), ExchangeResult::NoParameter);
}

TEST_F(DeviceLinkTest, UndecodableAnswers) {
    openLink();
    // The module holds output type 2; this parameter knows two items only.
    auto output = makeParameter("POUt", "Дискретный:Аналоговый", 0, 1);
    output->setValueText("old");
    EXPECT_EQ(link.ExchangeParameter(*output, true), ExchangeResult::Undecodable);
    EXPECT_EQ(output->statusText(), "Не могу раскодировать ответ");
    EXPECT_EQ(output->valueText(), "");

    // A decoding that yields an error message shows it as the value.
    auto asInt = makeParameter("SErN", "name");
    EXPECT_EQ(link.ExchangeParameter(*asInt, true), ExchangeResult::Ok);
    EXPECT_EQ(asInt->valueText(), "Ошибка; (Непонятная длина ответа:2)");
}

TEST_F(DeviceLinkTest, AttributeExchange) {
    openLink();
    module.setEditable("CLB.K", 3, false);
    auto coefficient = makeParameter("CLB.K", "int", 1, 3);
    coefficient->setEditableChanged(true);
    EXPECT_EQ(link.ExchangeParameter(*coefficient, true), ExchangeResult::Ok);
    EXPECT_EQ(coefficient->valueText(), "2048");
    EXPECT_FALSE(coefficient->editable());
    EXPECT_TRUE(coefficient->ownerIsFirm());
    EXPECT_FALSE(coefficient->editableChanged());
    auto requests = module.requestLog();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].hash, NetNameHash("M.s.t.r."));
    EXPECT_TRUE(requests[0].readFlag);
    const std::uint16_t hash = NetNameHash("CLB.K");
    EXPECT_EQ(requests[0].data,
              (std::vector<std::uint8_t>{0, 3, static_cast<std::uint8_t>(hash >> 8),
                                         static_cast<std::uint8_t>(hash & 0xFF)}));
    EXPECT_EQ(requests[1].hash, hash);

    // Without full access a write only reads the attributes.
    module.clearCounters();
    coefficient->setEditable(true);
    coefficient->setValueText("100");
    EXPECT_EQ(link.ExchangeParameter(*coefficient, false), ExchangeResult::Failed);
    EXPECT_EQ(coefficient->statusText(), "Редактирование параметра запрещено атрибутами доступа");
    EXPECT_TRUE(module.requestLog()[0].readFlag);

    // With full access the attribute byte goes first: editable, owned by the user.
    context.setFullAccess(true);
    module.clearCounters();
    coefficient->setEditable(true);
    coefficient->setOwnerIsFirm(false);
    EXPECT_EQ(link.ExchangeParameter(*coefficient, false), ExchangeResult::Ok);
    requests = module.requestLog();
    EXPECT_FALSE(requests[0].readFlag);
    EXPECT_EQ(requests[0].data.size(), 5u);
    EXPECT_EQ(requests[0].data[0], 0x03);
    EXPECT_EQ(module.editable("CLB.K", 3), true);
    EXPECT_EQ(module.ownedByFirm("CLB.K", 3), false);
    EXPECT_EQ(module.value("CLB.K", 3), "100");

    // A parameter without an index asks with three bytes and gets three back.
    module.clearCounters();
    auto address = makeParameter("Addr", "int", 1);
    EXPECT_EQ(link.ExchangeParameter(*address, true), ExchangeResult::Ok);
    EXPECT_EQ(module.requestLog()[0].data.size(), 2u);
}

TEST_F(DeviceLinkTest, AttributeExchangeOff) {
    openLink();
    auto coefficient = makeParameter("CLB.K", "int", 1, 2);
    context.setAttributesSuppressed(true);
    EXPECT_EQ(link.ExchangeParameter(*coefficient, true), ExchangeResult::Ok);
    EXPECT_EQ(module.requestsFor("M.s.t.r."), 0);
    context.setAttributesSuppressed(false);

    // Scanners never exchange attributes; their index travels in the address.
    auto states = makeParameter("r.oe.s", "int", 1, 5);
    ASSERT_TRUE(states->createPollingTimer());
    EXPECT_EQ(link.ExchangeParameter(*states, true), ExchangeResult::Ok);
    EXPECT_EQ(module.requestsFor("M.s.t.r."), 0);
    EXPECT_EQ(module.requestLog().back().address, 16 + 5);
    EXPECT_TRUE(module.requestLog().back().data.empty());

    // A parameter whose attributes fail to come fails with 200.
    auto noAttributes = makeParameter("dev", "string", 1);
    EXPECT_EQ(link.ExchangeParameter(*noAttributes, true), ExchangeResult::AttributesFailed);
    EXPECT_EQ(noAttributes->statusText(), "У запрошенного параметра отсутствуют признаки");
    EXPECT_EQ(module.requestsFor("dev"), 0);
}

TEST_F(DeviceLinkTest, CommandsAndIdentification) {
    openLink();
    auto device = makeParameter("dev", "string");
    auto version = makeParameter("ver", "string");
    auto report = makeParameter("exit", "string");
    EXPECT_EQ(link.ExchangeParameter(*device, true), ExchangeResult::Ok);
    EXPECT_EQ(device->valueText(), "TARN");
    EXPECT_EQ(link.ExchangeParameter(*version, true), ExchangeResult::Ok);
    EXPECT_EQ(version->valueText().front(), '2');
    EXPECT_EQ(link.ExchangeParameter(*report, true), ExchangeResult::Ok);
    EXPECT_EQ(report->valueText(), "Адрес прибора: 16");

    module.setValue("SP", 0, "30.000");
    auto init = makeParameter("INIT", "void");
    EXPECT_EQ(link.ExchangeParameter(*init, true), ExchangeResult::Ok);
    EXPECT_EQ(module.value("SP"), "25.000");
}

TEST_F(DeviceLinkTest, AplyIsNotAnsweredAndMovesTheModule) {
    openLink();
    auto speed = makeParameter("bPS", "2400:4800:9600:14400:19200:28800:38400:57600:115200");
    speed->setValueText("19200");
    ASSERT_EQ(link.ExchangeParameter(*speed, false), ExchangeResult::Ok);
    EXPECT_EQ(module.activeSettings().line.baudRate, 9600);

    auto aply = makeParameter("APLY", "void");
    EXPECT_EQ(link.ExchangeParameter(*aply, false), ExchangeResult::Ok);
    EXPECT_EQ(aply->statusText(), "");
    // No answer is awaited: the module may take the frame a moment later.
    for (int i = 0; i < 500 && module.activeSettings().line.baudRate != 19200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(module.activeSettings().line.baudRate, 19200);
    EXPECT_EQ(module.requestsFor("APLY"), 1);

    // The module now answers at the new speed only.
    auto aLen = makeParameter("A.Len", "8:11");
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_EQ(server().lineMismatches(), 4);
    PortSettings settings;
    settings.baudRate = 19200;
    openLink(settings);
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Ok);
}

TEST_F(DeviceLinkTest, CompositeNetworkName) {
    openLink();
    auto name = makeParameter("CHAr*", "name", 0, 0);
    std::vector<std::string> trace;
    EXPECT_EQ(link.ExchangeParameter(*name, true, &trace), ExchangeResult::Ok);
    EXPECT_EQ(name->valueText(), "M.S.T.R.");
    EXPECT_EQ(module.requestsFor("CHAr"), 4);
    EXPECT_TRUE(anyLineContains(trace, "<< Ответ: # 0 : 045"));

    // Written at base 4: codes of A, B., C and an empty position; the value
    // comes back from what the module holds.
    auto other = makeParameter("chAR*", "name", 0, 4);
    other->setValueText("ab.c");
    EXPECT_EQ(link.ExchangeParameter(*other, false), ExchangeResult::Ok);
    EXPECT_EQ(module.value("CHAr", 4), "20");
    EXPECT_EQ(module.value("CHAr", 5), "23");
    EXPECT_EQ(module.value("CHAr", 6), "24");
    EXPECT_EQ(module.value("CHAr", 7), "78");
    EXPECT_EQ(other->valueText(), "AB.C ");
    // Each write went with an attribute exchange of five bytes back.
    EXPECT_EQ(module.requestsFor("M.s.t.r."), 4);

    module.setValue("CHAr", 9, "80");
    auto bad = makeParameter("CHAr*", "name", 0, 8);
    trace.clear();
    EXPECT_EQ(link.ExchangeParameter(*bad, true, &trace), ExchangeResult::Undecodable);
    EXPECT_EQ(bad->statusText(), "Недопустимый код символа в сетевом имени (CHAr)");
    EXPECT_EQ(trace.back(), "Недопустимый код символа в сетевом имени (CHAr)");
}

TEST_F(DeviceLinkTest, CompositeNetworkNameRefusals) {
    openLink();
    auto name = makeParameter("CHAr*", "name", 0, 0);
    const std::pair<std::string, std::string> cases[] = {
        {"", "Сетевое имя пусто (CHAr)"},
        {"ABCDEFGHI", "Сетевое имя слишком длинное (CHAr)"},
        {"A/B", "Недопустимый символ в сетевом имени (CHAr)"},
        {".AB", "Недопустимый символ в сетевом имени (CHAr)"},
        {"Я", "Недопустимый символ в сетевом имени (CHAr)"},
    };
    for (const auto& [value, text] : cases) {
        name->setValueText(value);
        EXPECT_EQ(link.ExchangeParameter(*name, false), ExchangeResult::BadValue) << value;
        EXPECT_EQ(name->statusText(), text) << value;
    }
    EXPECT_EQ(module.requestsSeen(), 0);
    EXPECT_EQ(module.value("CHAr", 0), "45");

    // A failing code exchange ends the composite with its result and text.
    module.setEditable("CHAr", 1, false);
    name->setValueText("XY");
    EXPECT_EQ(link.ExchangeParameter(*name, false), ExchangeResult::Failed);
    EXPECT_EQ(name->statusText(), "Редактирование параметра запрещено атрибутами доступа");
    EXPECT_EQ(module.requestsFor("CHAr"), 2);
}

TEST_F(DeviceLinkTest, AClosedPortIsOpenedForOneExchange) {
    startServer();
    link.port().setPortName("COM9");
    ASSERT_FALSE(link.port().isOpen());
    auto aLen = makeParameter("A.Len", "8:11");
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Ok);
    EXPECT_FALSE(link.port().isOpen());
    EXPECT_EQ(module.requestsSeen(), 1);
}

TEST_F(DeviceLinkTest, ProbeFramings) {
    openLink();
    module.setDeviceProtocol(false);
    module.setProbeFramings(sim::kAnswerModbusRtu | sim::kAnswerModbusAscii | sim::kAnswerDcon);
    auto probe = makeParameter("dev", "string");
    for (const int selector : {kProtocolModbusRtu, kProtocolModbusAscii, kProtocolDcon}) {
        probe->setStatusText("old");
        EXPECT_EQ(link.ProbeFrame(selector, probe.get()), ProbeResult::Answered) << selector;
        EXPECT_EQ(probe->statusText(), "");
    }
    // ExchangeParameter sends the probe of the selected framing instead.
    context.setProtocolSelector(kProtocolModbusAscii);
    EXPECT_EQ(link.ExchangeParameter(*probe, true), ExchangeResult::Ok);
    EXPECT_EQ(probe->valueText(), "Нет данных");
    context.setProtocolSelector(kProtocolDevice);

    // Probes work with 8-bit addressing only.
    link.port().setAddressLength(11);
    EXPECT_EQ(link.ProbeFrame(kProtocolModbusRtu, nullptr), ProbeResult::NotPossible);
    link.port().setAddressLength(8);

    // Unanswered: four sendings, the direction switched between them.
    module.setProbeFramings(0);
    module.clearCounters();
    const int mode = link.port().directionMode();
    EXPECT_EQ(link.ProbeFrame(kProtocolDcon, probe.get()), ProbeResult::Timeout);
    EXPECT_EQ(probe->statusText(), "Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(module.requestsSeen(), 4);
    EXPECT_NE(link.port().directionMode(), mode);  // switched before each of three resends
}

TEST_F(DeviceLinkTest, OpenLinkReportsFailures) {
    startServer();
    PortSettings settings;
    settings.port = "COM77";
    settings.parity = parityFromText("Четность");
    const std::string device = ports_.path().string() + "/missing";
    std::filesystem::create_symlink(device, ports_.path() / "COM77");
    EXPECT_EQ(link.OpenLink(settings, true), PortOpenResult::CannotOpen);
    EXPECT_EQ(link.port().parity(), Parity::Even);
    EXPECT_EQ(context.runResultCode(), kRunPortNotOpened);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Ошибка драйвера последовательного порта");
    EXPECT_EQ(ui.messages[0].text.rfind("Не удается открыть порт COM77. Связь с сетью отсутствует. "
                                        "Проверьте сетевые параметры",
                                        0),
              0u);
    EXPECT_NE(ui.messages[0].text.find("не найдено"), std::string::npos);
    EXPECT_TRUE(ui.messages[0].flags & kMessageTopmost);

    // Without the report flag, or silent: no box.
    EXPECT_NE(link.OpenLink(settings, false), PortOpenResult::Opened);
    context.setPortMessagesSuppressed(true);
    EXPECT_NE(link.OpenLink(settings, true), PortOpenResult::Opened);
    EXPECT_EQ(ui.messages.size(), 1u);

    // Settings the port refuses fail the same way.
    settings.port = "COM9";
    settings.baudRate = 250;
    EXPECT_EQ(link.OpenLink(settings, true), PortOpenResult::SettingsNotAllowed);
    // An unknown parity text keeps the code; a good open clears the bit.
    settings.baudRate = 9600;
    settings.parity = parityFromText("нечетность");
    EXPECT_EQ(link.OpenLink(settings, true), PortOpenResult::Opened);
    EXPECT_EQ(link.port().parity(), Parity::Odd);
    settings.parity = parityFromText("что-то");
    EXPECT_EQ(link.OpenLink(settings, true), PortOpenResult::Opened);
    EXPECT_EQ(link.port().parity(), Parity::Odd);
    EXPECT_EQ(context.runResultCode(), 0u);

    // Offline: the port stays closed and nothing is said.
    context.setPortSuppressed(true);
    EXPECT_NE(link.OpenLink(settings, true), PortOpenResult::Opened);
    EXPECT_FALSE(link.port().isOpen());
    EXPECT_EQ(context.runResultCode(), 0u);
}

TEST_F(DeviceLinkTest, PermissionAndBusyFailuresSayWhy) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the administrator may open any device";
    }
    startServer();
    // A device the user may not open.
    const auto locked = ports_.path() / "locked";
    { std::ofstream(locked) << ""; }
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    std::filesystem::create_symlink(locked, ports_.path() / "COM78");
    PortSettings settings;
    settings.port = "COM78";
    EXPECT_EQ(link.OpenLink(settings, true), PortOpenResult::CannotOpen);
    EXPECT_EQ(link.port().lastOpenError(), EACCES);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("dialout"), std::string::npos);

    // A port another program holds is refused while it is open, and free
    // again after it was closed.
    SerialPort other;
    other.setPortName("COM9");
    ASSERT_EQ(other.Open(), PortOpenResult::Opened);
    settings.port = "COM9";
    EXPECT_EQ(link.OpenLink(settings, true), PortOpenResult::CannotOpen);
    EXPECT_EQ(link.port().lastOpenError(), EBUSY);
    EXPECT_NE(ui.messages.back().text.find("занято"), std::string::npos);
    EXPECT_EQ(other.Close(), PortCloseResult::Closed);
    EXPECT_EQ(link.OpenLink(settings, true), PortOpenResult::Opened);
    EXPECT_EQ(link.CloseLink(), PortCloseResult::Closed);
    EXPECT_EQ(other.Open(), PortOpenResult::Opened);
}

TEST(OpenFailureText, ExplainsPermissions) {
    const std::string text = DeviceLink::openFailureText("COM3", "/dev/ttyS2", EACCES);
    EXPECT_EQ(text.rfind("Не удается открыть порт COM3. Связь с сетью отсутствует. Проверьте "
                         "сетевые параметры\n",
                         0),
              0u);
    EXPECT_NE(text.find("dialout"), std::string::npos);
    EXPECT_NE(text.find("/dev/ttyS2"), std::string::npos);
    EXPECT_EQ(DeviceLink::openFailureText("COM3", "/dev/ttyS2", EINVAL),
              "Не удается открыть порт COM3. Связь с сетью отсутствует. Проверьте сетевые "
              "параметры");
    EXPECT_NE(DeviceLink::openFailureText("COM3", "/dev/ttyS2", EBUSY).find("занято"),
              std::string::npos);
}

TEST_F(DeviceLinkTest, ThreadsDoNotInterleaveFrames) {
    // The port is closed: every exchange opens it and closes it again, which
    // must not pull the port away from an exchange on another thread.
    startServer();
    link.port().setPortName("COM9");
    link.port().setDirectionMode(SerialPort::kDirectionAutomatic);
    std::atomic<int> failures{0};
    auto reader = [&](const std::string& name, const std::string& type) {
        auto parameter = makeParameter(name, type, 1);
        for (int i = 0; i < 8; ++i) {
            if (link.ExchangeParameter(*parameter, true) != ExchangeResult::Ok) {
                ++failures;
            }
        }
    };
    std::thread first(reader, "A.Len", "8:11");
    std::thread second(reader, "SP", "float");
    std::thread third(reader, "Addr", "int");
    first.join();
    second.join();
    third.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(module.requestsSeen(), 48);
}

TEST_F(DeviceLinkTest, StopEventEndsATransaction) {
    openLink();
    module.setFaults({.silent = true});
    auto aLen = makeParameter("A.Len", "8:11");
    // An exit request has already chosen the exit code; the stopped
    // transaction must not replace it with the line-fault code.
    context.setRunResultCode(kRunInterrupted);
    link.port().stopEvent().signal();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_EQ(aLen->statusText(), "Потеря начала посылки.");
    EXPECT_EQ(module.requestsSeen(), 0);
    EXPECT_EQ(context.runResultCode(), kRunInterrupted);

    // Once the event is reset the line works again.
    link.port().stopEvent().reset();
    module.setFaults({});
    EXPECT_EQ(link.ExchangeParameter(*aLen, true), ExchangeResult::Ok);
}

}  // namespace
}  // namespace tarn::testing
