#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTemporaryDir>
#include <fstream>
#include <optional>

#include "model/net_rs485_prg.h"
#include "model/network_checks.h"
#include "platform/settings_store.h"

namespace tarn {
namespace {

constexpr auto kMachine = SettingsStore::Scope::Machine;

std::optional<std::int32_t> stored(const SettingsStore& store, std::string_view name) {
    std::int32_t value = 0;
    if (store.readInt(kMachine, kProgramKey, name, value) != SettingsStore::Status::Ok) {
        return std::nullopt;
    }
    return value;
}

// A private ports folder holding COM3 and COM12, so the port list is known.
class PortSettings : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"COM3", "COM12"}) {
            std::ofstream(ports_.filePath(name).toStdString()) << "/dev/null\n";
        }
        setenv("TARN_PORTS_DIR", ports_.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override { unsetenv("TARN_PORTS_DIR"); }

    QTemporaryDir ports_;
    QTemporaryDir dir_;
    SettingsStore store_{dir_.path().toStdString()};
};

TEST_F(PortSettings, DefaultsWithoutStoredSettings) {
    NetRS485prg prg(store_);
    prg.fill();
    EXPECT_EQ(prg.fullCaption(), "Сетевые параметры программы (Сеть RS-485)");
    EXPECT_EQ(prg.image(), 19);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"bPS", "9600"}, {"LEn", "8"},   {"PrtY", "Отсутствует"}, {"Sbit", "1"},
        {"A.Len", "8"},  {"Addr", "16"}, {"Port", "COM1"}};
    ASSERT_EQ(prg.parameterCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Parameter& p = *prg.parameters()[i];
        EXPECT_EQ(p.networkName(), expected[i].first);
        EXPECT_EQ(p.valueText(), expected[i].second);
        EXPECT_EQ(p.attributeKind(), 0);
        EXPECT_FALSE(p.hasAnyChange());
    }
    // Every value is one the parameter's type can send.
    std::vector<std::uint8_t> data;
    EXPECT_EQ(prg.find("PrtY")->ConvertToData("Отсутствует", data), 1);
    EXPECT_EQ(prg.find("bPS")->ConvertToData("9600", data), 1);
    EXPECT_EQ(data, std::vector<std::uint8_t>{2});
    const Parameter& port = *prg.find("Port");
    const auto items = port.typeItems();
    EXPECT_NE(std::find(items.begin(), items.end(), "COM3"), items.end());
    EXPECT_NE(std::find(items.begin(), items.end(), "COM12"), items.end());
    EXPECT_FALSE(port.valueType().ends_with(":"));
}

TEST_F(PortSettings, SettingsSurviveTheGroup) {
    {
        NetRS485prg prg(store_);
        prg.fill();
        prg.setValueByName("Port", "COM12", true);
        prg.setValueByName("bPS", "19200", true);
        prg.setValueByName("PrtY", "Нечетность", true);
        prg.setValueByName("Addr", "248", true);
        prg.setValueByName("Sbit", "2", true);
    }
    EXPECT_EQ(stored(store_, "port_number"), 12);
    EXPECT_EQ(stored(store_, "baud_rate"), 19200);
    EXPECT_EQ(stored(store_, "parity_scheme"), 4);
    EXPECT_EQ(stored(store_, "address"), 248);
    EXPECT_EQ(stored(store_, "stop_bits"), 2);
    EXPECT_EQ(stored(store_, "address_length"), 8);

    NetRS485prg again(store_);
    again.fill();
    EXPECT_EQ(again.valueByName("Port"), "COM12");
    EXPECT_EQ(again.valueByName("PrtY"), "Нечетность");
    again.setValueByName("PrtY", "Четность", false);
    again.save();
    EXPECT_EQ(stored(store_, "parity_scheme"), 1);
}

TEST_F(PortSettings, UnknownTextsLeaveTheirStoredValues) {
    store_.writeInt(kMachine, kProgramKey, "parity_scheme", 2);
    store_.writeInt(kMachine, kProgramKey, "port_number", 7);
    {
        NetRS485prg prg(store_);
        prg.fill();
        EXPECT_EQ(prg.valueByName("PrtY"), "<неверное значние>");
        EXPECT_EQ(prg.valueByName("Port"), "COM7");
        prg.setValueByName("Port", "/dev/ttyUSB0", false);
    }
    EXPECT_EQ(stored(store_, "parity_scheme"), 2);
    EXPECT_EQ(stored(store_, "port_number"), 7);
    EXPECT_EQ(stored(store_, "baud_rate"), 9600);
}

TEST_F(PortSettings, AnUnwritableStoreLosesTheSaveQuietly) {
    SettingsStore unwritable("/proc/nonexistent");
    {
        NetRS485prg prg(unwritable);
        prg.fill();
        EXPECT_EQ(prg.valueByName("Addr"), "16");
        prg.setValueByName("Addr", "32", true);
    }
    EXPECT_FALSE(unwritable.keyExists(kMachine, kProgramKey));
    // A group that was never filled saves nothing either.
    { NetRS485prg unfilled(store_); }
    EXPECT_FALSE(store_.keyExists(kMachine, kProgramKey));
}

// The module's network settings with a protocol choice.
std::unique_ptr<NetRS485> deviceGroup(const std::string& address, const std::string& length,
                                      const std::string& protocol) {
    auto net = std::make_unique<NetRS485>();
    net->fill();
    auto prot = std::make_unique<Parameter>("Prot");
    prot->setValueType("BRIX:Modbus_RTU");
    net->addParameter(std::move(prot));
    net->setValueByName("Addr", address, false);
    net->setValueByName("A.Len", length, false);
    net->setValueByName("Prot", protocol, false);
    return net;
}

TEST(NetworkChecks, LargeAddressesNeedLongAddressesAndTheFirstProtocol) {
    EXPECT_FALSE(addressChangeAllowed(*deviceGroup("16", "8", "BRIX"), "Addr", "300"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("16", "8", "BRIX"), "Addr", "248"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("16", "11", "BRIX"), "addr", "300"));
    EXPECT_FALSE(addressChangeAllowed(*deviceGroup("16", "11", "Modbus RTU"), "ADDR", "300"));
    // Length and protocol cannot strand a large address.
    EXPECT_FALSE(addressChangeAllowed(*deviceGroup("300", "11", "BRIX"), "A.Len", "8"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("300", "8", "BRIX"), "a.len", "11"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("16", "11", "BRIX"), "A.Len", "8"));
    EXPECT_FALSE(addressChangeAllowed(*deviceGroup("300", "11", "BRIX"), "prot", "Modbus RTU"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("255", "8", "BRIX"), "Prot", "Modbus RTU"));
    // Without a protocol parameter only the length counts.
    NetRS485 plain;
    plain.fill();
    plain.setValueByName("A.Len", "11", false);
    EXPECT_TRUE(addressChangeAllowed(plain, "Addr", "300"));
    EXPECT_TRUE(addressChangeAllowed(plain, "bPS", "anything"));
}

TEST(NetworkChecks, ParityWithEightBitsAndTwoStopBitsIsRefused) {
    NetRS485 net;
    net.fill();
    net.setValueByName("PrtY", "Четность", false);
    net.setValueByName("LEn", "8", false);
    net.setValueByName("Sbit", "2", false);
    EXPECT_FALSE(framingAllowed(net));
    EXPECT_TRUE(framingAllowed(net, "Sbit", "1"));
    EXPECT_TRUE(framingAllowed(net, "LEn", "7"));
    EXPECT_TRUE(framingAllowed(net, "prty", "Отсутствует"));
    net.setValueByName("PrtY", "Отсутствует", false);
    EXPECT_FALSE(framingAllowed(net, "PrtY", "Нечетность"));
    EXPECT_TRUE(addressStepAllowed("16"));
    EXPECT_FALSE(addressStepAllowed("12"));
    EXPECT_TRUE(addressStepAllowed("адрес"));
}

}  // namespace
}  // namespace tarn
