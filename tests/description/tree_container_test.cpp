#include "description/tree_container.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <thread>

#include "description/tree_container_writer.h"
#include "description/tree_modes.h"
#include "description/zlib_inflater.h"
#include "support/scratch_folder.h"
#include "support/tool_run.h"

namespace tarn {
namespace {

using testing::readFileBytes;
using testing::runTool;
using testing::ScratchFolder;

const std::filesystem::path kBinDir = TARN_BIN_DIR;
const std::filesystem::path kTreeDir = std::filesystem::path(TARN_SOURCE_DIR) / "data" / "trees";
const std::string kPack = (kBinDir / "tarn-pack").string();

// A text of `size` bytes that deflate cannot shrink much (a simple
// pseudo-random generator), so its zlib stream spans several read chunks.
std::string noisyText(std::size_t size) {
    std::string text;
    text.reserve(size);
    std::uint32_t state = 12345;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        text.push_back(static_cast<char>(0x20 + (state >> 16) % 0x5F));
        if (text.size() % 61 == 0) {
            text += "\r\n";
        }
    }
    text.resize(size);
    return text;
}

// A zlib stream holding `text` in one stored (uncompressed) block that is
// not the last, followed by a block of the reserved type: zlib hands out the
// stored bytes and then fails.
std::string storedThenBroken(const std::string& text) {
    std::string z = "\x78\x01";  // zlib header, no dictionary
    z.push_back('\x00');         // stored block, not final
    const auto len = static_cast<std::uint16_t>(text.size());
    z.push_back(static_cast<char>(len & 0xFF));
    z.push_back(static_cast<char>(len >> 8));
    z.push_back(static_cast<char>(~len & 0xFF));
    z.push_back(static_cast<char>((~len >> 8) & 0xFF));
    z += text;
    z.push_back('\x07');  // final block of type 3, which does not exist
    return z;
}

// A private copy of the container the build made, so that tests holding
// locks on it do not disturb other tests reading the build's container.
std::filesystem::path copyOfBuiltContainer(const ScratchFolder& folder) {
    const std::filesystem::path built = kBinDir / kTreeContainerFileName;
    const std::filesystem::path copy = folder / kTreeContainerFileName;
    std::filesystem::copy_file(built, copy);
    return copy;
}

std::string treeFile(std::uint32_t mode) {
    return readFileBytes(kTreeDir / treeFileForMode(mode).fileName);
}

TEST(TreeModes, TableOfModes) {
    EXPECT_EQ(treeFileForMode(1).fileName, "tarn_direct_off.tree");
    EXPECT_EQ(treeFileForMode(2).caption, "Интеллектуальное управление ИМ (VL1 не требуется)");
    EXPECT_EQ(treeFileForMode(3).fileName, "tarn.tree");
    EXPECT_EQ(treeFileForMode(17).caption, "Непосредственное управление выходами (VL1 требуется)");
    EXPECT_EQ(treeFileForMode(19).fileName, "tarnfull.tree");
    EXPECT_EQ(treeFileForMode(19).caption, "Полный доступ ко всем параметрам (VL1 требуется)");
    EXPECT_EQ(treeFileForMode(32).fileName, "tarn_super.tree");
    EXPECT_EQ(treeFileForMode(32).caption, "Версия SUPER");
    for (const std::uint32_t unknown : {0u, 4u, 16u, 33u, 35u, 48u, 0x80000013u, 0xFFFFFFFFu}) {
        EXPECT_TRUE(treeFileForMode(unknown).fileName.empty()) << unknown;
        EXPECT_TRUE(treeFileForMode(unknown).caption.empty()) << unknown;
    }
}

TEST(TreeModes, EveryModeHasItsOwnCommittedTreeFile) {
    std::set<std::string> names;
    for (const std::uint32_t mode : kTreeModes) {
        const ModeTree tree = treeFileForMode(mode);
        EXPECT_FALSE(tree.caption.empty()) << mode;
        EXPECT_TRUE(names.insert(tree.fileName).second) << tree.fileName;
        EXPECT_TRUE(std::filesystem::is_regular_file(kTreeDir / tree.fileName)) << tree.fileName;
    }
    EXPECT_EQ(treeFileForMode(kDefaultTreeMode).fileName, "tarnfull.tree");
}

TEST(TreeContainer, BuiltContainerHoldsEveryModeTreeVerbatim) {
    ASSERT_TRUE(std::filesystem::exists(kBinDir / kTreeContainerFileName))
        << "the build makes tarn.tree.dat beside the executables";
    ScratchFolder folder;
    const std::filesystem::path container = copyOfBuiltContainer(folder);
    for (const std::uint32_t mode : kTreeModes) {
        const TreeText text = readTreeText(container, treeFileForMode(mode).fileName);
        EXPECT_EQ(text.status, TreeReadStatus::Ok) << mode << ": " << text.detail;
        EXPECT_TRUE(text.bytes == treeFile(mode)) << "mode " << mode;
    }
    const ContainerListing listing = listContainer(container);
    ASSERT_EQ(listing.status, TreeReadStatus::Ok);
    EXPECT_EQ(listing.entries.size(), kTreeModes.size());
}

TEST(TreeContainer, PackedStreamsReadBackAcrossManyChunks) {
    ScratchFolder folder;
    // Large enough that both the stored stream and the text take several
    // 16384-byte chunks and inflate steps.
    const std::string big = noisyText(70000);
    const std::string small = "root R 1 0 0\r\n";
    const auto bigFile = folder.write("big.tree", big);
    const auto smallFile = folder.write("small.tree", small);
    const auto container = folder / "pack.dat";
    const auto run =
        runTool(kPack, {"build", container.string(), bigFile.string(), smallFile.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const RawStream raw = readContainerStream(container, "big.tree");
    ASSERT_EQ(raw.status, TreeReadStatus::Ok);
    EXPECT_GT(raw.bytes.size(), 3 * kInflateStep);
    EXPECT_TRUE(raw.bytes.size() >= 2 && raw.bytes[0] == '\x78') << "a zlib header";

    const TreeText bigText = readTreeText(container, "big.tree");
    EXPECT_EQ(bigText.status, TreeReadStatus::Ok);
    EXPECT_TRUE(bigText.bytes == big);
    const TreeText smallText = readTreeText(container, "small.tree");
    EXPECT_EQ(smallText.status, TreeReadStatus::Ok);
    EXPECT_EQ(smallText.bytes, small);
    // Stream names are matched without regard to case when no name is equal.
    EXPECT_EQ(readTreeText(container, "SMALL.Tree").bytes, small);
}

TEST(TreeContainer, MissingStreamOrContainerFails) {
    ScratchFolder folder;
    const auto container = folder / "one.dat";
    const auto run =
        runTool(kPack, {"build", container.string(), (kTreeDir / "tarn.tree").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const TreeText present = readTreeText(container, "tarn.tree");
    EXPECT_TRUE(present.usable());
    const TreeText missing = readTreeText(container, treeFileForMode(19).fileName);
    EXPECT_EQ(missing.status, TreeReadStatus::NoStream);
    EXPECT_FALSE(missing.usable());
    EXPECT_TRUE(missing.bytes.empty());
    EXPECT_EQ(readContainerStream(container, "tarnfull.tree").status, TreeReadStatus::NoStream);

    EXPECT_EQ(readTreeText(folder / "absent.dat", "tarn.tree").status, TreeReadStatus::NoContainer);
    EXPECT_EQ(readTreeText(folder.path(), "tarn.tree").status, TreeReadStatus::NoContainer);
    EXPECT_EQ(listContainer(folder / "absent.dat").status, TreeReadStatus::NoContainer);
}

TEST(TreeContainer, FileThatIsNotACompoundFileFails) {
    ScratchFolder folder;
    // A plain tree file, and a zlib stream, in place of the container.
    const auto plain = folder.write("plain.dat", treeFile(19));
    const auto zlib = folder.write("zlib.dat", deflateZlib(treeFile(19)));
    // A file that only begins like a compound file.
    const auto header = folder.write(
        "header.dat", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'));
    for (const auto& file : {plain, zlib, header}) {
        const TreeText text = readTreeText(file, "tarnfull.tree");
        EXPECT_EQ(text.status, TreeReadStatus::NoContainer) << file;
        EXPECT_FALSE(text.usable());
        EXPECT_FALSE(text.detail.empty());
    }
    EXPECT_EQ(readTreeText(folder.write("empty.dat", ""), "x").status, TreeReadStatus::NoContainer);
}

TEST(TreeContainer, DamagedCompressedDataEndsTheTextWhereItBreaks) {
    ScratchFolder folder;
    const std::string text = noisyText(40000);
    const std::string full = deflateZlib(text);
    std::string badChecksum = full;
    badChecksum.back() = static_cast<char>(badChecksum.back() ^ 0x5A);
    const auto container = folder / "damaged.dat";
    ASSERT_EQ(writeCompoundFile(container, {{"broken.tree", storedThenBroken(text)},
                                            {"checksum.tree", badChecksum},
                                            {"cut.tree", full.substr(0, full.size() / 2)},
                                            {"header.tree", "\x78\x02" + full.substr(2)}}),
              "");

    // The stored block inflates completely, then the reserved block type
    // stops inflation: the text is exactly what came before.
    const TreeText broken = readTreeText(container, "broken.tree");
    EXPECT_EQ(broken.status, TreeReadStatus::Truncated);
    EXPECT_TRUE(broken.usable());
    EXPECT_TRUE(broken.bytes == text);
    EXPECT_FALSE(broken.detail.empty());

    // All data inflated, only the trailer's checksum is wrong.
    const TreeText checksum = readTreeText(container, "checksum.tree");
    EXPECT_EQ(checksum.status, TreeReadStatus::Truncated);
    EXPECT_TRUE(checksum.bytes == text);

    // Data cut in the middle: a correct, non-empty beginning of the text.
    const TreeText cut = readTreeText(container, "cut.tree");
    EXPECT_EQ(cut.status, TreeReadStatus::Truncated);
    EXPECT_FALSE(cut.bytes.empty());
    EXPECT_LT(cut.bytes.size(), text.size());
    EXPECT_TRUE(text.compare(0, cut.bytes.size(), cut.bytes) == 0);

    // A damaged header inflates to nothing, which is a failure.
    const TreeText header = readTreeText(container, "header.tree");
    EXPECT_EQ(header.status, TreeReadStatus::Empty);
    EXPECT_FALSE(header.usable());
}

TEST(TreeContainer, StreamThatInflatesToNothingFails) {
    ScratchFolder folder;
    const auto container = folder / "empty.dat";
    ASSERT_EQ(writeCompoundFile(container, {{"none.tree", ""},
                                            {"nothing.tree", deflateZlib("")},
                                            {"text.tree", deflateZlib("x")}}),
              "");
    EXPECT_EQ(readTreeText(container, "none.tree").status, TreeReadStatus::Empty);
    EXPECT_EQ(readTreeText(container, "nothing.tree").status, TreeReadStatus::Empty);
    EXPECT_FALSE(readTreeText(container, "nothing.tree").usable());
    EXPECT_EQ(readTreeText(container, "text.tree").bytes, "x");
}

TEST(TreeContainer, OversizedInflationStopsAtTheBound) {
    const std::string text(3 * kInflateStep + 100, 'a');
    const InflateResult bounded = inflateZlib(deflateZlib(text), 2 * kInflateStep + 7);
    EXPECT_EQ(bounded.state, ZlibInflater::State::Failed);
    EXPECT_EQ(bounded.text.size(), 2 * kInflateStep + 7);
    const InflateResult whole = inflateZlib(deflateZlib(text));
    EXPECT_EQ(whole.state, ZlibInflater::State::Finished);
    EXPECT_EQ(whole.text, text);
}

TEST(TreeContainer, SecondReaderFailsWhileTheContainerIsHeld) {
    ScratchFolder folder;
    const std::filesystem::path container = copyOfBuiltContainer(folder);
    {
        const int fd = ::open(container.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::flock(fd, LOCK_SH), 0);  // even a shared holder keeps the reader out
        const TreeText held = readTreeText(container, "tarnfull.tree");
        EXPECT_EQ(held.status, TreeReadStatus::Busy);
        EXPECT_FALSE(held.usable());
        EXPECT_EQ(listContainer(container).status, TreeReadStatus::Busy);
        ::close(fd);
    }
    // Released: the reader gets in, and releases the lock when done.
    EXPECT_EQ(readTreeText(container, "tarnfull.tree").status, TreeReadStatus::Ok);
    const int fd = ::open(container.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST(TreeContainer, AnotherProcessHoldingTheContainerKeepsTheReaderOut) {
    ScratchFolder folder;
    const std::filesystem::path container = copyOfBuiltContainer(folder);
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        const int fd = ::open(container.c_str(), O_RDONLY);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX) == 0) ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        char byte;
        (void)!::read(release[0], &byte, 1);  // holds the lock until the parent lets go
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char ok = '0';
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    EXPECT_EQ(readTreeText(container, "tarn.tree").status, TreeReadStatus::Busy);
    ::close(release[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    EXPECT_EQ(readTreeText(container, "tarn.tree").status, TreeReadStatus::Ok);
}

TEST(TreeContainer, ConcurrentReadersEitherReadAllOrAreRefused) {
    ScratchFolder folder;
    const std::filesystem::path container = copyOfBuiltContainer(folder);
    const std::string expected = treeFile(19);
    std::atomic<int> complete{0};
    std::atomic<int> refused{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 40; ++i) {
                const TreeText text = readTreeText(container, "tarnfull.tree");
                if (text.status == TreeReadStatus::Ok && text.bytes == expected) {
                    ++complete;
                } else if (text.status == TreeReadStatus::Busy && text.bytes.empty()) {
                    ++refused;
                } else {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(complete.load(), 0);
    EXPECT_EQ(complete.load() + refused.load(), 160);
}

TEST(TreeContainerWriter, ReplacesTheTargetAtomicallyAndRefusesBadNames) {
    ScratchFolder folder;
    const auto container = folder / "out.dat";
    folder.write("out.dat", "old contents");
    ASSERT_EQ(writeCompoundFile(container, {{"a.tree", deflateZlib("first")}}), "");
    EXPECT_EQ(readTreeText(container, "a.tree").bytes, "first");
    // Nothing but the container is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);

    const std::string before = readFileBytes(container);
    for (const std::vector<ContainerStream>& bad :
         std::vector<std::vector<ContainerStream>>{{{"", "x"}},
                                                   {{"a/b.tree", "x"}},
                                                   {{"name:stream", "x"}},
                                                   {{"a_name_of_thirty_two_characters.", "x"}},
                                                   {{"tarn.tree", "x"}, {"TARN.TREE", "y"}}}) {
        EXPECT_NE(writeCompoundFile(container, bad), "") << bad.front().name;
    }
    EXPECT_EQ(readFileBytes(container), before) << "a refused write leaves the old file";
    EXPECT_EQ(containerStreamNameProblem("tarn_intellect_off.tree"), "");
    EXPECT_EQ(containerStreamNameProblem(std::string(31, 'x')), "");

    EXPECT_NE(writeCompoundFile(folder / "no-such-folder" / "x.dat", {{"a", "b"}}), "");
}

TEST(TreeContainerPaths, ProgramFolderIsTheFolderOfTheRunningExecutable) {
    // The test executables are built into the same folder as the program.
    EXPECT_TRUE(std::filesystem::equivalent(programFolder(), kBinDir));
    EXPECT_TRUE(std::filesystem::equivalent(treeContainerPath(), kBinDir / kTreeContainerFileName));
    EXPECT_EQ(treeContainerPath().filename(), "tarn.tree.dat");
}

}  // namespace
}  // namespace tarn
