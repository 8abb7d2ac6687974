#include "model/net_rs485.h"

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

// Port entries in a private ports folder, so the port list is known.
class PortSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ports_.isValid());
        for (const char* name : {"COM3", "COM12"}) {
            std::ofstream(ports_.filePath(name).toStdString()) << "/dev/null\n";
        }
        const char* previous = getenv("TARN_PORTS_DIR");
        if (previous != nullptr) {
            previousPorts_ = previous;
        }
        setenv("TARN_PORTS_DIR", ports_.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override {
        if (previousPorts_) {
            setenv("TARN_PORTS_DIR", previousPorts_->c_str(), 1);
        } else {
            unsetenv("TARN_PORTS_DIR");
        }
    }

    std::string folder() const { return settingsDir_.path().toStdString(); }

    QTemporaryDir ports_;
    QTemporaryDir settingsDir_;
    std::optional<std::string> previousPorts_;
};

TEST(NetRS485, FillsTheSixLineSettings) {
    NetRS485 net;
    net.fill();
    EXPECT_EQ(net.name(), "Сетевые параметры прибора");
    EXPECT_EQ(net.fullCaption(), "Сетевые параметры прибора (Сеть RS-485)");
    EXPECT_EQ(net.image(), 4);
    EXPECT_EQ(net.selectedImage(), 4);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"bPS", "2400:4800:9600:14400:19200:28800:38400:57600:115200"},
        {"LEn", "7:8"},
        {"PrtY", "Отсутствует:Четность:Нечетность"},
        {"Sbit", "1:2"},
        {"A.Len", "8:11"},
        {"Addr", "int"}};
    ASSERT_EQ(net.parameterCount(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Parameter& p = *net.parameters()[i];
        EXPECT_EQ(p.networkName(), expected[i].first);
        EXPECT_EQ(p.valueType(), expected[i].second);
        EXPECT_TRUE(p.accessible());
        EXPECT_TRUE(p.hasNoData());
    }
    EXPECT_EQ(net.find("Sbit")->caption(), "Кол-во стоп-бит");
    net.fill();
    EXPECT_EQ(net.parameterCount(), expected.size());
}

TEST_F(PortSettings, DefaultsWithoutStoredSettings) {
    SettingsStore store(folder());
    NetRS485prg prg(store);
    prg.fill();
    EXPECT_EQ(prg.name(), "Сетевые параметры программы");
    EXPECT_EQ(prg.kindCaption(), "Сеть RS-485");
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
    const Parameter& port = *prg.find("Port");
    EXPECT_EQ(port.caption(), "Порт компьютера");
    const auto items = port.typeItems();
    EXPECT_NE(std::find(items.begin(), items.end(), "COM3"), items.end());
    EXPECT_NE(std::find(items.begin(), items.end(), "COM12"), items.end());
    EXPECT_FALSE(port.valueType().ends_with(":"));
    EXPECT_EQ(port.valueType().find("::"), std::string::npos);
}

TEST_F(PortSettings, SettingsSurviveTheGroup) {
    SettingsStore store(folder());
    {
        NetRS485prg prg(store);
        prg.fill();
        prg.setValueByName("Port", "COM12", true);
        prg.setValueByName("bPS", "19200", true);
        prg.setValueByName("PrtY", "Нечетность", true);
        prg.setValueByName("Addr", "248", true);
        prg.setValueByName("A.Len", "11", true);
        prg.setValueByName("LEn", "7", true);
        prg.setValueByName("Sbit", "2", true);
    }
    EXPECT_EQ(stored(store, "port_number"), 12);
    EXPECT_EQ(stored(store, "baud_rate"), 19200);
    EXPECT_EQ(stored(store, "parity_scheme"), 4);
    EXPECT_EQ(stored(store, "address"), 248);
    EXPECT_EQ(stored(store, "address_length"), 11);
    EXPECT_EQ(stored(store, "byte_size"), 7);
    EXPECT_EQ(stored(store, "stop_bits"), 2);

    NetRS485prg again(store);
    again.fill();
    EXPECT_EQ(again.valueByName("Port"), "COM12");
    EXPECT_EQ(again.valueByName("PrtY"), "Нечетность");
    EXPECT_EQ(again.valueByName("Addr"), "248");
    EXPECT_EQ(again.hasChanges(), 0);
    // The other two parity texts map to their numbers as well.
    again.setValueByName("PrtY", "Четность", false);
    again.save();
    EXPECT_EQ(stored(store, "parity_scheme"), 1);
    again.setValueByName("PrtY", "Отсутствует", false);
    again.save();
    EXPECT_EQ(stored(store, "parity_scheme"), 3);
}

TEST_F(PortSettings, UnknownTextsLeaveTheirStoredValues) {
    SettingsStore store(folder());
    store.writeInt(kMachine, kProgramKey, "parity_scheme", 2);
    store.writeInt(kMachine, kProgramKey, "port_number", 7);
    {
        NetRS485prg prg(store);
        prg.fill();
        EXPECT_EQ(prg.valueByName("PrtY"), "<неверное значние>");
        EXPECT_EQ(prg.valueByName("Port"), "COM7");
        EXPECT_EQ(prg.valueByName("bPS"), "9600");
        prg.setValueByName("Port", "/dev/ttyUSB0", false);
    }
    EXPECT_EQ(stored(store, "parity_scheme"), 2);
    EXPECT_EQ(stored(store, "port_number"), 7);
    // The defaults that were shown are stored now.
    EXPECT_EQ(stored(store, "baud_rate"), 9600);
}

TEST_F(PortSettings, AnUnwritableStoreLosesTheSaveQuietly) {
    SettingsStore store("/proc/nonexistent");
    {
        NetRS485prg prg(store);
        prg.fill();
        EXPECT_EQ(prg.valueByName("Addr"), "16");
        prg.setValueByName("Addr", "32", true);
    }
    EXPECT_FALSE(store.keyExists(kMachine, kProgramKey));
    // A group that was never filled saves nothing either.
    SettingsStore fresh(folder());
    { NetRS485prg unfilled(fresh); }
    EXPECT_FALSE(fresh.keyExists(kMachine, kProgramKey));
}

// A device network-settings group with a protocol choice.
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
    NetRS485 noProtocol;
    noProtocol.fill();
    noProtocol.setValueByName("A.Len", "11", false);
    EXPECT_TRUE(addressChangeAllowed(noProtocol, "Addr", "300"));
    EXPECT_TRUE(addressChangeAllowed(noProtocol, "bPS", "anything"));
}

TEST(NetworkChecks, LengthAndProtocolCannotStrandALargeAddress) {
    EXPECT_FALSE(addressChangeAllowed(*deviceGroup("300", "11", "BRIX"), "A.Len", "8"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("300", "8", "BRIX"), "a.len", "11"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("16", "11", "BRIX"), "A.Len", "8"));
    EXPECT_FALSE(addressChangeAllowed(*deviceGroup("300", "11", "BRIX"), "prot", "Modbus RTU"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("300", "11", "Modbus RTU"), "Prot", "BRIX"));
    EXPECT_TRUE(addressChangeAllowed(*deviceGroup("255", "8", "BRIX"), "Prot", "Modbus RTU"));
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
    EXPECT_TRUE(framingAllowed(net));
    EXPECT_FALSE(framingAllowed(net, "PrtY", "Нечетность"));
}

TEST(NetworkChecks, BaseAddressesComeInStepsOfEight) {
    EXPECT_TRUE(addressStepAllowed("16"));
    EXPECT_FALSE(addressStepAllowed("12"));
    EXPECT_TRUE(addressStepAllowed("адрес"));
}

}  // namespace
}  // namespace tarn
