#include "document/tarn_document.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "description/tree_container.h"
#include "model/branch_archive.h"
#include "platform/archive.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "support/private_files.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"
#include "support/tool_run.h"

namespace tarn {
namespace {

using testing::readFileBytes;
using testing::RecordingInteraction;
using testing::ScratchFolder;
using Bytes = std::vector<std::uint8_t>;

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(scratch_ / "ports");
        setenv("TARN_PORTS_DIR", (scratch_ / "ports").c_str(), 1);
    }
    void TearDown() override { unsetenv("TARN_PORTS_DIR"); }

    std::unique_ptr<TarnDocument> newDocument(std::filesystem::path container = {}) {
        return std::make_unique<TarnDocument>(ui_, settings_,
                                              container.empty() ? container_ : container);
    }

    // A container holding the given tree texts (UTF-8, stored as CP1251).
    std::filesystem::path packContainer(
        const std::vector<std::pair<std::string, std::string>>& files) {
        std::vector<std::string> args = {"build", (scratch_ / "custom.dat").string()};
        for (const auto& [name, content] : files) {
            args.push_back(scratch_.write(name, text::toCp1251(content)).string());
        }
        const auto run = testing::runTool(std::string(TARN_BIN_DIR) + "/tarn-pack", args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return scratch_ / "custom.dat";
    }

    ScratchFolder scratch_;
    std::filesystem::path container_ = testing::privateContainer(scratch_);
    SettingsStore settings_{(scratch_ / "settings").string()};
    RecordingInteraction ui_;
};

// Gives every parameter of the tree a value and attributes of its own.
void fillWithValues(DescBranch& branch, int& counter) {
    for (const auto& p : branch.parameters()) {
        ++counter;
        p->setValueText("v" + std::to_string(counter));
        p->setEditable(counter % 2 == 0);
        p->setOwnerIsFirm(counter % 3 == 0);
        p->setValueChanged(counter % 5 == 0);
        p->setStatusText(counter % 7 == 0 ? "Не найден дескриптор" : "");
    }
    for (const auto& child : branch.children()) {
        fillWithValues(*child, counter);
    }
}

void collect(const DescBranch& branch, std::vector<std::string>& out) {
    out.push_back("[" + branch.name() + "]");
    for (const auto& p : branch.parameters()) {
        out.push_back(p->networkName() + "=" + p->valueText() + (p->editable() ? ",e" : "") +
                      (p->ownerIsFirm() ? ",f" : "") + (p->valueChanged() ? ",c" : "") + "," +
                      p->statusText());
    }
    for (const auto& child : branch.children()) {
        collect(*child, out);
    }
}

std::vector<std::string> contentsOf(const TarnDocument& document) {
    std::vector<std::string> out;
    if (document.root() != nullptr) {
        collect(*document.root(), out);
    }
    return out;
}

TEST_F(DocumentTest, EveryModeLoadsWithoutAMessage) {
    auto document = newDocument();
    for (const std::uint32_t mode : {1u, 2u, 3u, 17u, 18u, 19u, 32u}) {
        ASSERT_TRUE(document->switchToMode(mode)) << mode;
        EXPECT_TRUE(document->hasTree()) << mode;
        EXPECT_NE(document->networkSettings(), nullptr) << mode;
        EXPECT_NE(document->outputs()[7], nullptr) << mode;
    }
    EXPECT_TRUE(ui_.messages.empty()) << ui_.allTexts();
    EXPECT_FALSE(document->switchToMode(0));
    EXPECT_FALSE(document->hasTree());
    EXPECT_TRUE(ui_.messages.empty()) << "mode 0 loads nothing and says nothing";
}

TEST_F(DocumentTest, EveryModeRoundTripsThroughAFileAndReopensInItsOwnMode) {
    for (const std::uint32_t mode : {1u, 2u, 3u, 17u, 18u, 19u, 32u}) {
        SCOPED_TRACE(mode);
        auto original = newDocument();
        ASSERT_TRUE(original->switchToMode(mode));
        int counter = 0;
        fillWithValues(*original->root(), counter);
        const auto path = scratch_ / ("mode" + std::to_string(mode) + ".tarn");
        ASSERT_TRUE(original->saveFile(path));

        auto reopened = newDocument();
        reopened->switchToMode(mode == 18 ? 1 : 18);  // another mode was in use before
        ASSERT_EQ(reopened->loadFile(path), TarnDocument::LoadResult::Loaded);
        EXPECT_EQ(reopened->mode(), mode);
        EXPECT_EQ(contentsOf(*reopened), contentsOf(*original));
        EXPECT_EQ(reopened->serialize(), original->serialize());
    }
    EXPECT_TRUE(ui_.messages.empty()) << ui_.allTexts();
}

TEST_F(DocumentTest, ATreeUsedAndLoadedAgainIsAsFreshAsANewOne) {
    // One document is used hard: values, attributes, statuses, a branch
    // renamed by a damaged record, a polling period edited; then a short
    // file of the same mode is loaded into it. It must hold exactly what a
    // new document holds after loading that file.
    auto used = newDocument();
    ASSERT_TRUE(used->switchToMode(19));
    int counter = 0;
    fillWithValues(*used->root(), counter);
    used->root()->children().front()->setName("Испорчено");
    std::vector<Parameter*> polled;
    ASSERT_GT(used->scanners()->collectPolledParameters(polled), 0);
    polled.front()->setPollingPeriod(250);
    polled.front()->setValueText("12");

    auto source = newDocument();
    ASSERT_TRUE(source->switchToMode(19));
    int sourceCounter = 0;
    fillWithValues(*source->root(), sourceCounter);
    Bytes file = source->serialize();
    file.resize(file.size() / 3);  // ends early: most parameters get nothing

    ASSERT_EQ(used->deserialize(file), TarnDocument::LoadResult::Loaded);
    auto fresh = newDocument();
    ASSERT_EQ(fresh->deserialize(file), TarnDocument::LoadResult::Loaded);
    EXPECT_EQ(contentsOf(*used), contentsOf(*fresh));
    EXPECT_EQ(used->serialize(), fresh->serialize());
    std::vector<Parameter*> freshPolled;
    fresh->scanners()->collectPolledParameters(freshPolled);
    polled.clear();
    used->scanners()->collectPolledParameters(polled);
    ASSERT_EQ(polled.size(), freshPolled.size());
    EXPECT_EQ(polled.front()->pollingPeriod(), freshPolled.front()->pollingPeriod());
    EXPECT_EQ(polled.front()->valueText(), freshPolled.front()->valueText());
    // The outputs still point at the tree's "POUt" parameters.
    for (std::size_t slot = 0; slot < used->outputs().size(); ++slot) {
        ASSERT_NE(used->outputs()[slot], nullptr);
        EXPECT_TRUE(used->outputs()[slot]->hasName("POUt"));
        EXPECT_EQ(used->outputs()[slot]->linearIndex(), static_cast<std::int32_t>(slot));
    }
    EXPECT_TRUE(ui_.messages.empty()) << ui_.allTexts();
}

TEST_F(DocumentTest, TheFileLayoutStartsWithTheDocumentRecordAndMode) {
    auto document = newDocument();
    ASSERT_TRUE(document->switchToMode(18));
    const Bytes bytes = document->serialize();
    const Bytes head = {0xFF, 0xFF, 4,   0,   8,   0,   'C',  'T',  'A', 'R', 'N', 'D',
                        'o',  'c',  18,  0,   0,   0,   0xFF, 0xFF, 3,   0,   10,  0,
                        'D',  'e',  's', 'c', 'B', 'r', 'a',  'n',  'c', 'h'};
    ASSERT_GT(bytes.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
}

TEST_F(DocumentTest, FilesWithoutAModeOpenInTheFullModeWithVl1) {
    auto source = newDocument();
    ASSERT_TRUE(source->switchToMode(19));
    int counter = 0;
    fillWithValues(*source->root(), counter);
    ArchiveWriter w;
    w.writeClass("CTARNDoc", 3);
    storeBranch(w, *source->root());

    auto document = newDocument();
    ASSERT_TRUE(document->switchToMode(2));
    ASSERT_EQ(document->deserialize(w.bytes()), TarnDocument::LoadResult::Loaded);
    EXPECT_EQ(document->mode(), 19u);
    EXPECT_EQ(contentsOf(*document), contentsOf(*source));
}

TEST_F(DocumentTest, OtherSchemasAreRefusedWithTheirMessagesAndLoadNothing) {
    struct Case {
        std::uint16_t schema;
        TarnDocument::LoadResult result;
        const char* text;
    };
    for (const Case& c :
         {Case{1, TarnDocument::LoadResult::Outdated,
               "Невозможно открыть по "
               "причине устаревшей версии "
               "файла!"},
          Case{2, TarnDocument::LoadResult::Corrupt, "Данные в файле испорчены!"},
          Case{5, TarnDocument::LoadResult::Corrupt, "Данные в файле испорчены!"}}) {
        auto document = newDocument();
        ASSERT_TRUE(document->switchToMode(1));
        ui_.messages.clear();
        ArchiveWriter w;
        w.writeClass("CTARNDoc", c.schema);
        w.writeDword(18);
        EXPECT_EQ(document->deserialize(w.bytes()), c.result) << c.schema;
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0].text, c.text);
        EXPECT_EQ(ui_.messages[0].caption, "Ошибка открытия файла!");
        EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(document->mode(), 1u) << "the document keeps what it had";
        EXPECT_TRUE(document->hasTree());
    }
}

TEST_F(DocumentTest, TruncatedFilesKeepWhatWasReadWithoutAMessage) {
    auto source = newDocument();
    ASSERT_TRUE(source->switchToMode(1));
    int counter = 0;
    fillWithValues(*source->root(), counter);
    const Bytes full = source->serialize();
    const auto expected = contentsOf(*source);

    for (const std::size_t cut :
         {std::size_t{18}, full.size() / 3, full.size() / 2, full.size() - 1}) {
        SCOPED_TRACE(cut);
        auto document = newDocument();
        const Bytes part(full.begin(), full.begin() + static_cast<long>(cut));
        ASSERT_EQ(document->deserialize(part), TarnDocument::LoadResult::Loaded);
        EXPECT_TRUE(ui_.messages.empty()) << ui_.allTexts();
        // Parameter values arrive in file order: a prefix of them is the
        // stored one, the rest still knows nothing.
        const auto got = contentsOf(*document);
        ASSERT_EQ(got.size(), expected.size());
        std::size_t matching = 0;
        while (matching < got.size() && got[matching] == expected[matching]) {
            ++matching;
        }
        for (std::size_t i = matching + 1; i < got.size(); ++i) {
            if (got[i].front() != '[') {
                EXPECT_NE(got[i].find("=Нет данных"), std::string::npos) << got[i];
            }
        }
        if (cut == full.size() - 1) {
            EXPECT_GT(matching, expected.size() - 3);
        }
    }
}

TEST_F(DocumentTest, GarbageIsABadFormatAndSilentRecoveryLeavesTheDefaultTree) {
    auto document = newDocument();
    ASSERT_TRUE(document->switchToMode(2));
    const Bytes garbage = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    EXPECT_EQ(document->deserialize(garbage), TarnDocument::LoadResult::BadFormat);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "Неверный формат данных! Возможно это устаревшая версия файла.");
    EXPECT_EQ(ui_.messages[0].caption, "Предупреждение");
    EXPECT_EQ(document->mode(), 2u);

    EXPECT_EQ(document->deserialize(garbage, true), TarnDocument::LoadResult::BadFormat);
    EXPECT_EQ(document->mode(), 19u);
    EXPECT_TRUE(document->hasTree());

    // A record of another class in the middle of the tree.
    auto source = newDocument();
    ASSERT_TRUE(source->switchToMode(1));
    Bytes bytes = source->serialize();
    const Bytes branchClass = {'D', 'e', 's', 'c', 'B', 'r', 'a', 'n', 'c', 'h'};
    auto where = std::search(bytes.begin(), bytes.end(), branchClass.begin(), branchClass.end());
    ASSERT_NE(where, bytes.end());
    *where = 'X';
    ui_.messages.clear();
    EXPECT_EQ(newDocument()->deserialize(bytes), TarnDocument::LoadResult::BadFormat);
    EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(DocumentTest, AStoredModeWithoutATreeFailsTheOpen) {
    const auto container = packContainer({{"tarn.tree", "root Корень 1 0 0\n"}});
    auto document = newDocument(container);
    ArchiveWriter w;
    w.writeClass("CTARNDoc", 4);
    w.writeDword(19);
    EXPECT_EQ(document->deserialize(w.bytes()), TarnDocument::LoadResult::TreeUnavailable);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Ошибка открытия файла дерева!");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Error);
}

TEST_F(DocumentTest, AFileFromARicherTreeFillsWhatTheCurrentTreeHas) {
    const std::string rich =
        "parameter Addr int Адрес\nparameter bPS 2400:9600 Скорость\n"
        "parameter xTRA int Лишний\nparameter LEn 7:8 Длина\n"
        "branch Выход# 2 0 0 bPS xTRA LEn\nroot Корень 1 0 0 Addr Выход#\n";
    const std::string poor =
        "parameter Addr int Адрес\nparameter bPS 2400:9600 Скорость\n"
        "parameter LEn 7:8 Длина\nbranch Выход# 2 0 0 LEn bPS\nroot Корень 1 0 0 Addr Выход#\n";
    {
        auto document = newDocument(packContainer({{"tarnfull.tree", rich}}));
        ASSERT_TRUE(document->switchToMode(19));
        int counter = 0;
        fillWithValues(*document->root(), counter);
        ASSERT_TRUE(document->saveFile(scratch_ / "rich.tarn"));
    }
    auto document = newDocument(packContainer({{"tarnfull.tree", poor}}));
    ASSERT_EQ(document->loadFile(scratch_ / "rich.tarn"), TarnDocument::LoadResult::Loaded);
    const auto got = contentsOf(*document);
    // Root: Addr = v1; outputs: bPS, xTRA, LEn = v2..v4 and v5..v7.
    EXPECT_EQ(got[1], "Addr=v1,");
    EXPECT_EQ(got[3], "LEn=v4,e,");
    EXPECT_EQ(got[4], "bPS=v2,e,");
    EXPECT_EQ(got[6], "LEn=v7,Не найден дескриптор");
    EXPECT_EQ(got[7], "bPS=v5,c,");
}

TEST_F(DocumentTest, ContainerProblemsReachTheUser) {
    // No stream for the mode.
    auto document = newDocument(packContainer({{"tarn.tree", "root R 1 0 0\n"}}));
    document->setMode(1);
    EXPECT_FALSE(document->loadTree());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Ошибка открытия файла дерева!");

    // Another program holds the container.
    ui_.messages.clear();
    const int fd = ::open(container_.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    auto blocked = newDocument();
    EXPECT_FALSE(blocked->switchToMode(19));
    ::flock(fd, LOCK_UN);
    ::close(fd);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Ошибка открытия файла дерева!");
    EXPECT_TRUE(blocked->switchToMode(19));

    // A description that fails half-way keeps what came before.
    ui_.messages.clear();
    auto broken = newDocument(packContainer(
        {{"tarn.tree", "parameter A int Первый\nroot Корень 1 0 0 A\nrule B 0 1\n"}}));
    EXPECT_TRUE(broken->switchToMode(3));
    EXPECT_TRUE(broken->hasTree());
    ASSERT_EQ(ui_.messages.size(), 2u) << ui_.allTexts();
    EXPECT_EQ(ui_.messages[1].text, "Не удалось создать дерево параметров");
}

TEST_F(DocumentTest, SavingNeverDestroysThePreviousFile) {
    auto document = newDocument();
    ASSERT_TRUE(document->switchToMode(1));
    const auto path = scratch_ / "kept.tarn";
    ASSERT_TRUE(document->saveFile(path));
    const std::string before = readFileBytes(path);

    // The folder cannot take the temporary file: the save fails, the old
    // configuration stays as it was.
    std::filesystem::create_directory(scratch_ / "locked");
    std::filesystem::copy_file(path, scratch_ / "locked" / "kept.tarn");
    std::filesystem::permissions(scratch_ / "locked", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_exec);
    std::string error;
    const bool saved = document->saveFile(scratch_ / "locked" / "kept.tarn", &error);
    std::filesystem::permissions(scratch_ / "locked", std::filesystem::perms::owner_all);
    if (geteuid() != 0) {
        EXPECT_FALSE(saved);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(readFileBytes(scratch_ / "locked" / "kept.tarn"), before);

    // A path that is a folder cannot be saved to.
    EXPECT_FALSE(document->saveFile(scratch_ / "locked", &error));
    EXPECT_EQ(document->loadFile(scratch_ / "missing.tarn", false, &error),
              TarnDocument::LoadResult::Unreadable);
}

}  // namespace
}  // namespace tarn
