// The entries of a configuration, their text and JSON forms, the comparison
// of two configurations by key, and reading files outside the program.
#include "document/configuration_entries.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <QJsonValue>
#include <algorithm>
#include <thread>

#include "description/description_parser.h"
#include "document/configuration_diff.h"
#include "document/configuration_dump.h"
#include "document/configuration_reader.h"
#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "model/network_name.h"
#include "platform/archive.h"
#include "platform/settings_store.h"
#include "support/private_files.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"

namespace tarn {
namespace {

using testing::RecordingInteraction;
using testing::ScratchFolder;

// A single-parameter branch, a repeated branch and a root parameter.
constexpr std::string_view kDescription = R"(
parameter SP float Уставка
parameter dev string Тип_прибора noattr
parameter Addr int Адрес
parameter POUt Дискретный:Аналоговый Тип_выхода
parameter Inv int Инверсия
branch Базовый_адрес 1 2 2 Addr
branch Выход# 2 3 3 POUt Inv
root TARN 1 1 1 SP dev Базовый_адрес Выход#
)";

const ConfigurationEntry* findEntry(const std::vector<ConfigurationEntry>& entries,
                                    std::string_view label) {
    for (const auto& entry : entries) {
        if (entryLabel(entry) == label) {
            return &entry;
        }
    }
    return nullptr;
}

TEST(ConfigurationEntries, FollowTheTreeWithPathsKeysAndAttributes) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    ParameterTree tree = buildParameterTree(kDescription, context);
    ASSERT_NE(tree.root, nullptr) << ui.allTexts();
    Parameter* inv = nullptr;
    forEachParameter(*tree.root, [&inv](Parameter& p) {
        if (p.networkName() == "Inv" && p.linearIndex() == 1) {
            inv = &p;
        }
    });
    ASSERT_NE(inv, nullptr);
    inv->setValueText("1");
    inv->setValueChanged(true);
    inv->setEditable(false);
    inv->setOwnerIsFirm(true);
    inv->setStatusText("Таймаут при передаче данных (нет связи)");

    const auto entries = configurationEntries(*tree.root);
    std::vector<std::string> labels;
    for (const auto& entry : entries) {
        labels.push_back(entryLabel(entry));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"SP", "dev", "Addr", "POUt:0", "Inv:0", "POUt:1",
                                                "Inv:1"}));

    const ConfigurationEntry* addr = findEntry(entries, "Addr");
    ASSERT_NE(addr, nullptr);
    EXPECT_EQ(addr->branchPath, "") << "a branch of one parameter is that parameter";
    EXPECT_EQ(addr->caption, "Базовый адрес");

    const ConfigurationEntry* pout = findEntry(entries, "POUt:1");
    ASSERT_NE(pout, nullptr);
    EXPECT_EQ(pout->key, (1u << 16) | NetNameHash("POUt"));
    EXPECT_EQ(entryLine(*pout),
              "Выход №2 / Тип выхода  POUt:1 = Нет данных  [Редактируемый, Пользователь]");
    const ConfigurationEntry* changed = findEntry(entries, "Inv:1");
    ASSERT_NE(changed, nullptr);
    EXPECT_EQ(entryLine(*changed),
              "Выход №2 / Инверсия  Inv:1 = 1  [Не редактируемый, Фирма; изменены: значение; "
              "статус: Таймаут при передаче данных (нет связи)]");
    const ConfigurationEntry* dev = findEntry(entries, "dev");
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(dev->key, 0xFFFF0000u | NetNameHash("dev"));
    EXPECT_EQ(entryLine(*dev), "Тип прибора  dev = Нет данных") << "no attributes to show";

    EXPECT_TRUE(entryJson(*dev)["index"].isNull());
    const QJsonObject invJson = entryJson(*changed);
    EXPECT_EQ(invJson["index"].toInt(), 1);
    EXPECT_EQ(invJson["owner"].toString(), "firm");
    EXPECT_TRUE(invJson["changed"].toObject()["value"].toBool());
}

TEST(ConfigurationEntries, AnEntryStaysOnOneLineWhateverItsTextsHold) {
    ConfigurationEntry entry;
    entry.caption = "Имя\r\nвторое";
    entry.networkName = "ASCI";
    entry.value = "a\nb\\c\x7f";
    entry.status = "\t";
    const std::string line = entryLine(entry);
    EXPECT_EQ(line, "Имя\\x0D\\x0Aвторое  ASCI = a\\x0Ab\\\\c\\x7F  [статус: \\x09]");
    const std::string dump = dumpText(19, {entry, entry});
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 3);
}

ConfigurationEntry entry(std::string name, std::optional<int> index, std::string value) {
    ConfigurationEntry e;
    e.networkName = std::move(name);
    e.linearIndex = index;
    e.hash = NetNameHash(e.networkName);
    e.key = (static_cast<std::uint32_t>(index ? *index : 0xFFFF) << 16) | e.hash;
    e.caption = "П";
    e.value = std::move(value);
    return e;
}

TEST(ConfigurationDiff, MatchesByKeyPairsRepeatsInOrderAndListsWhatOneSideHolds) {
    std::vector<ConfigurationEntry> first = {entry("SP", {}, "1.000"), entry("POUt", 3, "A"),
                                             entry("Inv", 0, "0"), entry("Inv", 0, "1"),
                                             entry("Addr", {}, "16")};
    std::vector<ConfigurationEntry> second = {entry("POUt", 3, "A"), entry("SP", {}, "2.000"),
                                              entry("Inv", 0, "0"), entry("tCYC", {}, "100")};
    second[0].ownerIsFirm = true;
    first[1].branchPath = "Выход №4";

    const auto differences = compareConfigurations(first, second);
    ASSERT_EQ(differences.size(), 5u);
    using Kind = ConfigurationDifference::Kind;
    EXPECT_EQ(differences[0].kind, Kind::Differs);
    EXPECT_EQ(differences[0].second->value, "2.000");
    EXPECT_EQ(differences[1].kind, Kind::Differs) << "an attribute alone differs";
    // The first "Inv:0" of each side pair up; the second one of the first
    // configuration has no partner.
    EXPECT_EQ(differences[2].kind, Kind::OnlyInFirst);
    EXPECT_EQ(differences[2].first->value, "1");
    EXPECT_EQ(differences[3].kind, Kind::OnlyInFirst);
    EXPECT_EQ(differences[3].first->networkName, "Addr");
    EXPECT_EQ(differences[4].kind, Kind::OnlyInSecond);
    EXPECT_EQ(differences[4].second->networkName, "tCYC");

    EXPECT_EQ(differenceText(differences[1]),
              "~ Выход №4 / П  POUt:3\n"
              "    - A  [Редактируемый, Пользователь]\n"
              "    + A  [Редактируемый, Фирма]\n");
    EXPECT_EQ(differenceText(differences[4]), "+ П  tCYC = 100\n");
    EXPECT_TRUE(compareConfigurations(first, first).empty());
}

class ConfigurationReading : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(scratch_ / "ports");
        setenv("TARN_PORTS_DIR", (scratch_ / "ports").c_str(), 1);
        // Where the program's own settings would be.
        setenv("TARN_SETTINGS_DIR", (scratch_ / "program-settings").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("TARN_PORTS_DIR");
        unsetenv("TARN_SETTINGS_DIR");
    }

    // A configuration of `mode` with values, stored by the program's document.
    std::filesystem::path store(std::uint32_t mode, const std::string& name) {
        SettingsStore settings((scratch_ / "writer-settings").string());
        TarnDocument document(ui_, settings, container_);
        EXPECT_TRUE(document.switchToMode(mode));
        int counter = 0;
        forEachParameter(*document.root(), [&counter](Parameter& p) {
            p.setValueText("v" + std::to_string(++counter));
        });
        const auto path = scratch_ / name;
        EXPECT_TRUE(document.saveFile(path));
        return path;
    }

    ScratchFolder scratch_;
    std::filesystem::path container_ = testing::privateContainer(scratch_);
    RecordingInteraction ui_;
};

TEST_F(ConfigurationReading, ReadsTheTreeOfTheStoredModeAndLeavesTheSettingsAlone) {
    const auto path = store(18, "mode18.tarn");
    ConfigurationReader reader(ui_, container_);
    std::string error;
    ASSERT_TRUE(reader.read(path, error)) << error;
    EXPECT_EQ(reader.mode(), 18u);
    const auto entries = reader.entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front().value, "v1");
    EXPECT_EQ(entries.back().value, "v" + std::to_string(entries.size()));
    EXPECT_TRUE(ui_.messages.empty()) << ui_.allTexts();
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "program-settings"))
        << "reading a file must not touch the program's settings";
}

TEST_F(ConfigurationReading, DamagedFilesAreRefusedWithAReason) {
    const auto good = store(19, "good.tarn");
    const std::string bytes = testing::readFileBytes(good);
    ArchiveWriter unknownMode;
    unknownMode.writeClass("CTARNDoc", 4);
    unknownMode.writeDword(7);
    const auto& modeBytes = unknownMode.bytes();

    struct Case {
        std::filesystem::path path;
        std::string reason;
        std::size_t messages;
    };
    for (const Case& c : {
             Case{scratch_ / "missing.tarn", "cannot be read", 0},
             Case{scratch_.write("cut.tarn", bytes.substr(0, bytes.size() / 2)), "ends early", 0},
             Case{scratch_.write("text.tarn", "not a configuration\n"), "not a configuration", 1},
             Case{scratch_.write("mode7.tarn", std::string(modeBytes.begin(), modeBytes.end())),
                  "mode 7 has no parameter tree", 0},
         }) {
        SCOPED_TRACE(c.path.filename().string());
        ui_.messages.clear();
        ConfigurationReader reader(ui_, container_);
        std::string error;
        EXPECT_FALSE(reader.read(c.path, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(ui_.messages.size(), c.messages) << ui_.allTexts();
    }
}

TEST_F(ConfigurationReading, AFileAfterARefusedOneHoldsOnlyWhatItStores) {
    // One reader for many files, as tarn-dump reads them: the tree of a
    // refused file's predecessor is set aside and brought back for the next
    // file of its mode, which must then show its own values and nothing of
    // the first file's.
    const auto full = store(19, "full.tarn");
    const std::string bytes = testing::readFileBytes(full);
    ArchiveWriter firstVersion;  // refused before any tree is touched
    firstVersion.writeClass("CTARNDoc", 1);
    const auto refused = scratch_.write(
        "schema1.tarn", std::string(firstVersion.bytes().begin(), firstVersion.bytes().end()));
    const auto shorter = scratch_.write("shorter.tarn", bytes.substr(0, bytes.size() / 3));

    ConfigurationReader reader(ui_, container_);
    std::string error;
    ASSERT_TRUE(reader.read(full, error)) << error;
    const auto before = reader.entries();
    EXPECT_FALSE(reader.read(refused, error));
    EXPECT_TRUE(reader.entries().empty()) << "a refused file shows no tree";
    EXPECT_FALSE(reader.read(shorter, error)) << "it ends early";
    const auto after = reader.entries();
    ASSERT_EQ(after.size(), before.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i].value == before[i].value) {
            ++kept;
        } else {
            EXPECT_EQ(after[i].value, "Нет данных") << after[i].networkName;
        }
    }
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, after.size()) << "the values past the end must not be the first file's";
}

TEST_F(ConfigurationReading, AContainerHeldForAMomentIsWaitedFor) {
    const auto path = store(19, "held.tarn");
    const int fd = ::open(container_.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::thread release([fd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::flock(fd, LOCK_UN);
        ::close(fd);
    });
    ConfigurationReader reader(ui_, container_);
    std::string error;
    const bool read = reader.read(path, error);
    release.join();
    EXPECT_TRUE(read) << error;
    EXPECT_TRUE(ui_.messages.empty()) << "the busy attempts say nothing: " << ui_.allTexts();
}

}  // namespace
}  // namespace tarn
