// The container builder as the build runs it, and its container as other
// readers of compound files see it.
#include <gtest/gtest.h>

#include <sstream>

#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "description/zlib_inflater.h"
#include "support/scratch_folder.h"
#include "support/tool_run.h"

namespace tarn {
namespace {

using testing::findOnPath;
using testing::readFileBytes;
using testing::runTool;
using testing::ScratchFolder;

const std::filesystem::path kBinDir = TARN_BIN_DIR;
const std::filesystem::path kTreeDir = std::filesystem::path(TARN_SOURCE_DIR) / "data" / "trees";
const std::string kPack = (kBinDir / "tarn-pack").string();

TEST(TarnPack, CommandLineErrorsAndHelp) {
    const auto help = runTool(kPack, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("tarn-pack build OUT.dat FILE.tree..."), std::string::npos);

    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{},
                                               {"pack"},
                                               {"build", "out.dat"},
                                               {"list"},
                                               {"list", "a", "b"},
                                               {"extract", "a.dat"},
                                               {"extract", "a", "b", "c", "d"}}) {
        const auto run = runTool(kPack, wrong);
        EXPECT_EQ(run.exitCode, 2) << (wrong.empty() ? "" : wrong.front());
        EXPECT_NE(run.err.find("Usage"), std::string::npos);
    }
}

TEST(TarnPack, BuildRefusesUnreadableOrEmptyFilesAndLeavesNoContainer) {
    ScratchFolder folder;
    const auto good = folder.write("good.tree", "root R 1 0 0\r\n");
    const auto empty = folder.write("empty.tree", "");
    const auto out = folder / "out.dat";
    for (const std::vector<std::string>& inputs : std::vector<std::vector<std::string>>{
             {good.string(), (folder / "missing.tree").string()},
             {good.string(), empty.string()},
             {good.string(), folder.path().string()},
             {good.string(), good.string()}}) {  // two streams of one name
        const auto run = runTool(kPack, [&] {
            std::vector<std::string> args{"build", out.string()};
            args.insert(args.end(), inputs.begin(), inputs.end());
            return args;
        }());
        EXPECT_EQ(run.exitCode, 1) << inputs.back();
        EXPECT_FALSE(run.err.empty());
        EXPECT_FALSE(std::filesystem::exists(out)) << inputs.back();
    }
    EXPECT_EQ(
        runTool(kPack, {"build", (folder / "no" / "out.dat").string(), good.string()}).exitCode, 1);
}

TEST(TarnPack, ListAndExtractShowWhatBuildStored) {
    ScratchFolder folder;
    const std::string text = "; comment\r\nroot R 1 0 0\r\n";
    const auto file = folder.write("x.tree", text);
    const auto container = folder / "x.dat";
    ASSERT_EQ(runTool(kPack, {"build", container.string(), file.string()}).exitCode, 0);

    const auto list = runTool(kPack, {"list", container.string()});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    std::istringstream lines(list.out);
    std::string header;
    std::getline(lines, header);
    std::string name, state;
    std::size_t stored = 0, inflated = 0;
    lines >> name >> stored >> inflated >> state;
    EXPECT_EQ(name, "x.tree");
    EXPECT_EQ(stored, deflateZlib(text).size());
    EXPECT_EQ(inflated, text.size());
    EXPECT_EQ(state, "ok");

    const auto toStdout = runTool(kPack, {"extract", container.string(), "x.tree"});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out, text);
    const auto toFile =
        runTool(kPack, {"extract", container.string(), "x.tree", (folder / "back").string()});
    EXPECT_EQ(toFile.exitCode, 0);
    EXPECT_EQ(readFileBytes(folder / "back"), text);

    const auto missing = runTool(kPack, {"extract", container.string(), "y.tree"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("y.tree"), std::string::npos);
    EXPECT_EQ(runTool(kPack, {"list", file.string()}).exitCode, 1) << "not a compound file";
}

// A damaged container the fuzzer found holds two streams of the same name,
// one intact and one whose compressed data breaks off. The listing shows
// each entry's own stream: looked up by name, both rows showed the first.
TEST(TarnPack, ListShowsEachOfTwoStreamsOfOneNameByItself) {
    const std::filesystem::path container = std::filesystem::path(TARN_TEST_DATA_DIR) /
                                            "fuzz_regressions" / "tree_container" /
                                            "two_streams_of_one_name";
    const auto list = runTool(kPack, {"list", container.string()});
    EXPECT_EQ(list.exitCode, 1) << "the container has damaged streams";
    std::istringstream lines(list.out);
    std::string header;
    std::getline(lines, header);
    std::string first, second, firstState, secondState;
    std::size_t stored = 0, firstInflated = 0, secondInflated = 0;
    lines >> first >> stored >> firstInflated >> firstState;
    lines >> second >> stored >> secondInflated >> secondState;
    ASSERT_EQ(first, second) << list.out;
    EXPECT_EQ(firstState, "damaged") << list.out;
    EXPECT_EQ(secondState, "ok") << list.out;
    EXPECT_NE(firstInflated, secondInflated) << list.out;
}

// An independent reader of compound files (7-Zip) sees the build's
// container with the seven streams, and their bytes inflate to the tree
// files.
TEST(TarnPack, BuiltContainerIsAValidCompoundFileForOtherReaders) {
    const std::string sevenZip = findOnPath("7z");
    if (sevenZip.empty()) {
        GTEST_SKIP() << "7z is not installed (Debian package p7zip-full); "
                        "the independent check of tarn.tree.dat is skipped";
    }
    ScratchFolder folder;
    const auto container = folder / "tarn.tree.dat";
    std::filesystem::copy_file(kBinDir / "tarn.tree.dat", container);

    const auto list = runTool(sevenZip, {"l", "-slt", container.string()});
    ASSERT_EQ(list.exitCode, 0) << list.out << list.err;
    EXPECT_NE(list.out.find("Type = Compound"), std::string::npos) << list.out;

    for (const std::uint32_t mode : kTreeModes) {
        const std::string stream = treeFileForMode(mode).fileName;
        EXPECT_NE(list.out.find("Path = " + stream + "\n"), std::string::npos) << stream;
        const auto extract = runTool(sevenZip, {"e", "-so", container.string(), stream});
        ASSERT_EQ(extract.exitCode, 0) << extract.err;
        const InflateResult inflated = inflateZlib(extract.out);
        EXPECT_EQ(inflated.state, ZlibInflater::State::Finished) << stream;
        EXPECT_TRUE(inflated.text == readFileBytes(kTreeDir / stream)) << stream;
    }
}

}  // namespace
}  // namespace tarn
