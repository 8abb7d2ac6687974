#include "platform/companion_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_folder.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

TEST(CompanionFiles, BesideTheProgramFirstThenTheInstallationsDataFolder) {
    ScratchFolder scratch;
    const fs::path bin = scratch / "usr" / "bin";
    const fs::path data = scratch / "usr" / "share" / "tarn";
    fs::create_directories(bin);
    fs::create_directories(data);
    EXPECT_EQ(installedDataFolder(bin), data);

    // Nowhere: the place beside the program, for the message to name.
    EXPECT_EQ(companionFilePath(bin, "tarn.tree.dat"), bin / "tarn.tree.dat");
    EXPECT_FALSE(companionFilesBeside(bin));

    scratch.write("usr/share/tarn/tarn.tree.dat", "installed");
    EXPECT_EQ(companionFilePath(bin, "tarn.tree.dat"), data / "tarn.tree.dat");
    EXPECT_FALSE(companionFilesBeside(bin));

    scratch.write("usr/bin/tarn.tree.dat", "copied");
    EXPECT_EQ(companionFilePath(bin, "tarn.tree.dat"), bin / "tarn.tree.dat");
    EXPECT_TRUE(companionFilesBeside(bin));

    // A folder of that name is not the file.
    fs::create_directories(bin / "tarn-manual.html");
    scratch.write("usr/share/tarn/tarn-manual.html", "manual");
    EXPECT_EQ(companionFilePath(bin, "tarn-manual.html"), data / "tarn-manual.html");

    EXPECT_EQ(companionFilePath(fs::path(), "tarn.tree.dat"), fs::path("tarn.tree.dat"));
}

}  // namespace
}  // namespace tarn
