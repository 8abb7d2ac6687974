#include "platform/os_description.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <QTemporaryDir>
#include <fstream>

namespace tarn {
namespace {

TEST(OsDescription, KernelAndDistribution) {
    EXPECT_EQ(prettyNameFromOsRelease("NAME=x\nPRETTY_NAME=\"Say \\\"hi\\\"\"\nID=y\n"),
              "Say \"hi\"");
    EXPECT_EQ(prettyNameFromOsRelease("PRETTY_NAME=Plain"), "Plain");
    EXPECT_EQ(prettyNameFromOsRelease("MY_PRETTY_NAME=no"), "");

    utsname names{};
    ASSERT_EQ(uname(&names), 0);
    const std::string kernel = std::string(names.sysname) + " " + names.release;
    QTemporaryDir dir;
    const std::string path = dir.filePath("os-release").toStdString();
    std::ofstream(path) << "ID=test\nPRETTY_NAME='Тест ОС 1'\n";
    EXPECT_EQ(describeOperatingSystem(path), kernel + " (Тест ОС 1)");
    EXPECT_EQ(describeOperatingSystem(dir.filePath("missing").toStdString()), kernel);
}

}  // namespace
}  // namespace tarn
