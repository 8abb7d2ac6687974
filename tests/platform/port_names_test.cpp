#include "platform/port_names.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

namespace tarn {
namespace {

class PortNames : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        setenv("TARN_PORTS_DIR", dir_.path().toUtf8().constData(), 1);
    }
    void TearDown() override { unsetenv("TARN_PORTS_DIR"); }
    std::filesystem::path folder() const { return dir_.path().toStdString(); }

    QTemporaryDir dir_;
};

TEST_F(PortNames, ComNumbers) {
    EXPECT_EQ(portNumber("COM1"), 1);
    EXPECT_EQ(portNumber("com12"), 12);
    EXPECT_EQ(portNumber("COM255"), 255);
    EXPECT_FALSE(portNumber("COM0"));
    EXPECT_FALSE(portNumber("COM256"));
    EXPECT_FALSE(portNumber("COM"));
    EXPECT_FALSE(portNumber("COM1x"));
    EXPECT_FALSE(portNumber("/dev/ttyS0"));
}

TEST_F(PortNames, DefaultDevicesByNumberRange) {
    EXPECT_EQ(resolvePortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(resolvePortName("COM100"), "/dev/ttyS99");
    EXPECT_EQ(resolvePortName("COM101"), "/dev/ttyUSB0");
    EXPECT_EQ(resolvePortName("COM201"), "/dev/ttyACM0");
    EXPECT_EQ(resolvePortName("/dev/ttyUSB3"), "/dev/ttyUSB3");
}

TEST_F(PortNames, FolderEntriesWinAndAreListed) {
    std::filesystem::create_symlink("/dev/pts/7", folder() / "COM3");
    std::ofstream(folder() / "COM40") << "/dev/ttyUSB5\n";
    std::ofstream(folder() / "README") << "not a port\n";
    EXPECT_EQ(resolvePortName("COM3"), "/dev/pts/7");
    EXPECT_EQ(resolvePortName("com40"), "/dev/ttyUSB5");
    const auto ports = listPorts();
    EXPECT_NE(std::find(ports.begin(), ports.end(), "COM3"), ports.end());
    EXPECT_NE(std::find(ports.begin(), ports.end(), "COM40"), ports.end());
    EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), [](const auto& a, const auto& b) {
        return *portNumber(a) < *portNumber(b);
    }));
}

}  // namespace
}  // namespace tarn
