// Identification and the automatic connection search against the
// simulated module.
#include "comm/device_detection.h"

#include <gtest/gtest.h>

#include "comm/device_identification.h"
#include "comm/error_texts.h"
#include "comm/simulated_line.h"
#include "model/net_rs485_prg.h"
#include "platform/settings_store.h"

namespace tarn::testing {
namespace {

// The program's own port settings, stored in a folder of the test.
class Detection : public SimulatedLine {
protected:
    void SetUp() override {
        SimulatedLine::SetUp();
        startServer();
        programSettings.fill();
        useSpeed(115200);
        programSettings.setValueByName("Port", "COM9", false);
    }

    // The module and the program's settings at `baud`.
    void useSpeed(int baud) {
        module.setActiveSettings({{baud, 8, Parity::None, 1}, 16, 8});
        programSettings.setValueByName("bPS", std::to_string(baud), false);
    }

    TemporaryFolder settingsFolder;
    SettingsStore store{settingsFolder.path().string()};
    NetRS485prg programSettings{store};
};

TEST_F(Detection, FindsTheModuleBehindASelfSwitchingConverter) {
    context.setRunResultCode(kRunLineFault | kRunNoDevice);
    EXPECT_TRUE(DetectDevice(link, programSettings));
    EXPECT_EQ(link.port().directionMode(), SerialPort::kDirectionAutomatic);
    EXPECT_EQ(context.protocolSelector(), kProtocolDevice);
    EXPECT_EQ(context.runResultCode(), 0u);
    EXPECT_EQ(module.requestsFor("dev"), 1);
    EXPECT_TRUE(link.port().isOpen());
    EXPECT_EQ(link.port().baudRate(), 115200);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Detection, FindsTheModuleWhenTheProgramMustSwitchTheDirection) {
    // The first attempt (converter switching by itself) gets no answer to
    // its four "dev" and four "ver" sendings.
    module.setFaults({.ignoreRequests = 8});
    EXPECT_TRUE(DetectDevice(link, programSettings));
    EXPECT_EQ(link.port().directionMode(), SerialPort::kDirectionByRts);
    EXPECT_EQ(module.requestsFor("dev"), 5);
    EXPECT_EQ(module.requestsFor("ver"), 5);
}

TEST_F(Detection, AnOlderVersionIsFoundButKeepsTheRunResultCode) {
    module.setVersion("1.07");
    context.setRunResultCode(kRunNoDevice);
    EXPECT_TRUE(DetectDevice(link, programSettings));
    EXPECT_EQ(context.runResultCode(), kRunNoDevice);
}

// A module of another model answers "dev"; something answers one probe.
class ProbeDetection : public Detection, public ::testing::WithParamInterface<int> {};

TEST_P(ProbeDetection, AProbeThatAnswersEndsTheSearch) {
    const int framing = GetParam();
    module.setModelName("OTHER");
    const unsigned bits[] = {0, sim::kAnswerModbusRtu, sim::kAnswerModbusAscii, sim::kAnswerDcon};
    module.setProbeFramings(bits[framing]);
    context.setRunResultCode(kRunTimeout);

    EXPECT_TRUE(DetectDevice(link, programSettings));
    EXPECT_EQ(context.runResultCode(), 0u);
    EXPECT_EQ(context.protocolSelector(), kProtocolDevice);
    // Both attempts asked "dev" and "ver" once.
    EXPECT_EQ(module.requestsFor("dev"), 2);
    EXPECT_EQ(module.requestsFor("ver"), 2);

    // The device protocol is in force again.
    Parameter model("dev");
    EXPECT_EQ(link.ExchangeParameter(model, true), ExchangeResult::Ok);
    EXPECT_EQ(model.valueText(), "OTHER");
}

INSTANTIATE_TEST_SUITE_P(EachFraming, ProbeDetection,
                         ::testing::Values(kProtocolModbusRtu, kProtocolModbusAscii,
                                           kProtocolDcon));

TEST_F(Detection, AnotherModelAloneIsNotTheModule) {
    module.setModelName("SPRUT");
    EXPECT_FALSE(DetectDevice(link, programSettings));
    EXPECT_EQ(context.runResultCode(), kRunNoDevice);
    EXPECT_EQ(context.protocolSelector(), kProtocolDevice);
    EXPECT_EQ(link.port().directionMode(), SerialPort::kDirectionByRts);
}

TEST_F(Detection, NothingOnTheLine) {
    module.setFaults({.silent = true});
    EXPECT_FALSE(DetectDevice(link, programSettings));
    EXPECT_EQ(context.runResultCode(), kRunTimeout);
    EXPECT_EQ(context.protocolSelector(), kProtocolDevice);
    EXPECT_EQ(link.port().directionMode(), SerialPort::kDirectionByRts);
    // Two attempts of "dev" and "ver", four sendings each.
    EXPECT_EQ(module.requestsFor("dev"), 2 * 4);
    EXPECT_EQ(module.requestsFor("ver"), 2 * 4);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Detection, APortThatCannotBeOpenedIsReported) {
    programSettings.setValueByName("Port", "COM42", false);
    EXPECT_FALSE(DetectDevice(link, programSettings));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Не удается открыть порт COM42. Связь с сетью "
                                        "отсутствует. Проверьте сетевые параметры",
                                        0),
              0u);
    EXPECT_EQ(ui.messages[0].caption, "Ошибка драйвера последовательного порта");
    // The exchanges that follow fail at once on the closed port and keep the
    // port's code (exit code 201), not a line fault.
    EXPECT_EQ(context.runResultCode(), kRunPortNotOpened);
    EXPECT_EQ(module.requestsSeen(), 0);
}

TEST_F(Detection, IdentificationReadsDevAndVer) {
    link.OpenLink(portSettingsFrom(programSettings), true);
    for (const char* name : {"TARN", "t-a-r-n", "T-A-R-N", "Tarn-"}) {
        module.setModelName(name);
        EXPECT_EQ(IdentifyDevice(link, nullptr),
                  kDeviceIsThisModel | kDeviceAnswered | kDeviceVersion2)
            << name;
    }
    module.setModelName("TARN2");
    module.setVersion("v2.10");
    EXPECT_EQ(IdentifyDevice(link, nullptr), kDeviceAnswered | kDeviceVersion2);
    module.setVersion("3.01");
    EXPECT_EQ(IdentifyDevice(link, nullptr), kDeviceAnswered);
    EXPECT_TRUE(ui.messages.empty());

    module.setModelName("T-A-R-N");
    module.setVersion("2.03");
    EXPECT_EQ(IdentifyDevice(link, &ui), 7u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Прибор: T-A-R-N\nВерсия ПО: 2.03\n");
    EXPECT_EQ(ui.messages[0].caption, "Общие параметры прибора");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);

    module.setFaults({.errorCode = 40});
    EXPECT_EQ(IdentifyDevice(link, &ui), 0u);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text,
              "Ошибка команды 'dev':\nНе найден дескриптор\n"
              "Ошибка команды 'ver':\nНе найден дескриптор\n");
    EXPECT_EQ(ui.messages[1].caption, "Ошибка");
    EXPECT_EQ(ui.messages[1].icon, MessageIcon::Error);
}

}  // namespace
}  // namespace tarn::testing
