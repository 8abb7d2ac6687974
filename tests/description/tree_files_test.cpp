// The committed tree files: encoding, validity, and the names and indices
// that the program relies on in every mode.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "description/tree_modes.h"
#include "model/network_name.h"
#include "model/parameter.h"
#include "platform/text.h"
#include "support/scratch_folder.h"
#include "tree_file_walk.h"

namespace tarn {
namespace {

using testing::readFileBytes;
using testing::WalkedParameter;
using testing::WalkedTree;
using testing::walkTreeFile;

const std::filesystem::path kTreeDir = std::filesystem::path(TARN_SOURCE_DIR) / "data" / "trees";

constexpr std::uint32_t kDirectModes[] = {1, 17};
constexpr std::uint32_t kActuatorModes[] = {2, 3, 18, 19, 32};
constexpr std::uint32_t kFullModes[] = {3, 19, 32};
constexpr std::uint32_t kVl1Modes[] = {17, 18, 19, 32};
constexpr std::uint32_t kWithoutVl1Modes[] = {1, 2, 3};

std::string fileBytes(std::uint32_t mode) {
    return readFileBytes(kTreeDir / treeFileForMode(mode).fileName);
}

const WalkedTree& walked(std::uint32_t mode) {
    static std::map<std::uint32_t, WalkedTree> cache;
    auto it = cache.find(mode);
    if (it == cache.end()) {
        it = cache.emplace(mode, walkTreeFile(text::fromCp1251(fileBytes(mode)))).first;
    }
    return it->second;
}

std::vector<const WalkedParameter*> named(const WalkedTree& tree, std::string_view name) {
    std::vector<const WalkedParameter*> found;
    for (const WalkedParameter& p : tree.parameters) {
        if (text::equalsNoCase(p.networkName, name)) {
            found.push_back(&p);
        }
    }
    return found;
}

std::vector<int> indicesOf(const WalkedTree& tree, std::string_view name) {
    std::vector<int> indices;
    for (const WalkedParameter* p : named(tree, name)) {
        indices.push_back(p->hasIndex ? p->index : -1);
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

std::vector<int> range(int first, int count, int step) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(first + i * step);
    }
    return values;
}

bool hasBranchEndingWith(const WalkedTree& tree, const std::string& name) {
    for (const std::string& path : tree.branchPaths) {
        if (path.size() >= name.size() &&
            path.compare(path.size() - name.size(), name.size(), name) == 0) {
            return true;
        }
    }
    return false;
}

// Valid UTF-8 with at least one multi-byte character: what a tree file saved
// by a UTF-8 editor looks like.
bool looksLikeUtf8(std::string_view bytes) {
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 0;
        if (n == 0 || i + n > bytes.size()) {
            return false;
        }
        for (std::size_t j = 1; j < n; ++j) {
            if ((static_cast<unsigned char>(bytes[i + j]) >> 6) != 2) {
                return false;
            }
        }
        multiByte = multiByte || n > 1;
        i += n;
    }
    return multiByte;
}

TEST(TreeFiles, AreCp1251TextWithCrLfLineEnds) {
    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        const std::string bytes = fileBytes(mode);
        ASSERT_FALSE(bytes.empty());
        EXPECT_FALSE(looksLikeUtf8(bytes)) << "saved as UTF-8";
        bool cyrillic = false;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            cyrillic = cyrillic || c >= 0xC0;
            // Printable ASCII, tab, line ends, Cyrillic letters and the sign "№".
            const bool allowed = (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n' ||
                                 c >= 0xC0 || c == 0xA8 || c == 0xB8 || c == 0xB9;
            EXPECT_TRUE(allowed) << "byte " << int(c) << " at " << i;
            if (c == '\n') {
                EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
            }
            if (c == '\r') {
                EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at " << i;
            }
        }
        EXPECT_TRUE(cyrillic);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    }
}

TEST(TreeFiles, EveryModeLoadsWithoutComplaint) {
    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        const WalkedTree& tree = walked(mode);
        EXPECT_TRUE(tree.problems.empty()) << tree.problems.front();
        EXPECT_TRUE(tree.hasRoot);
        EXPECT_TRUE(tree.hasScanners);
        std::cout << "[ tree     ] mode " << mode << ": " << tree.parameters.size()
                  << " parameters, " << tree.branchPaths.size() << " branches\n";
    }
    std::size_t full = 0;
    for (const WalkedParameter& p : walked(19).parameters) {
        full += p.scanner ? 0 : 1;
    }
    EXPECT_GE(full, 300u) << "the full tree with VL1";
}

TEST(TreeFiles, TogetherTheyUseTheWholeLanguage) {
    std::set<std::string> used;
    for (const std::uint32_t mode : kTreeModes) {
        used.insert(walked(mode).features.begin(), walked(mode).features.end());
    }
    for (const char* feature :
         {"const",     "type",   "type again", "rule",   "init",   "noattr", "table1", "table2",
          "table3",    "table4", "table5",     "table+", "table*", "@",      "!",      "comment ;",
          "comment '", "*N",     "+E",         "K20",    "#",      "tab"}) {
        EXPECT_EQ(used.count(feature), 1u) << feature;
    }
}

TEST(TreeFiles, NetworkSettingsAndProtocolInEveryMode) {
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"bPS", "2400:4800:9600:14400:19200:28800:38400:57600:115200"},
        {"LEn", "7:8"},
        {"PrtY", "Отсутствует:Четность:Нечетность"},
        {"Sbit", "1:2"},
        {"A.Len", "8:11"},
        {"Addr", "int"},
    };
    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        const WalkedTree& tree = walked(mode);
        int branches = 0;
        for (const std::string& path : tree.branchPaths) {
            branches += path.find("Сетевые параметры прибора") != std::string::npos ? 1 : 0;
        }
        EXPECT_EQ(branches, 1) << "one network-settings branch in the root's tree";
        for (const auto& [name, type] : expected) {
            const auto found = named(tree, name);
            ASSERT_EQ(found.size(), 1u) << name;
            EXPECT_EQ(found[0]->type, type) << name;
            EXPECT_NE(found[0]->path.find("Сетевые параметры прибора"), std::string::npos);
            EXPECT_FALSE(found[0]->scanner);
        }
        const auto prot = named(tree, "Prot");
        ASSERT_EQ(prot.size(), 1u);
        EXPECT_EQ(prot[0]->type.substr(0, 5), "BRIX:") << "item 0 is the BRIX protocol";
        // The address check of the network settings looks for "Prot" beside "Addr".
        EXPECT_EQ(prot[0]->path, named(tree, "Addr")[0]->path);
    }
}

TEST(TreeFiles, EightOutputTypesAtIndicesZeroToSeven) {
    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        const WalkedTree& tree = walked(mode);
        EXPECT_EQ(indicesOf(tree, "POUt"), range(0, 8, 1));
        for (const WalkedParameter* p : named(tree, "POUt")) {
            Parameter output("POUt");
            output.setValueType(p->type);
            const std::vector<std::string> items = output.typeItems();
            ASSERT_GE(items.size(), 2u);
            EXPECT_EQ(items[0], "Дискретный");
            EXPECT_NE(std::find(items.begin(), items.end(), "4-20 мА"), items.end());
            EXPECT_TRUE(p->accessible);
        }
    }
}

TEST(TreeFiles, ControlParametersFollowTheMode) {
    for (const std::uint32_t mode : kDirectModes) {
        EXPECT_TRUE(named(walked(mode), "nPCP").empty()) << mode;
        EXPECT_EQ(indicesOf(walked(mode), "SoUr"), range(0, 8, 1)) << mode;
    }
    for (const std::uint32_t mode : kActuatorModes) {
        EXPECT_EQ(indicesOf(walked(mode), "nPCP"), range(0, 8, 8)) << mode;
        EXPECT_EQ(indicesOf(walked(mode), "nPCO"), range(0, 8, 8)) << mode;
    }
    for (const std::uint32_t mode : {2u, 18u}) {
        EXPECT_TRUE(named(walked(mode), "SoUr").empty()) << mode;
    }
    for (const std::uint32_t mode : kFullModes) {
        EXPECT_EQ(indicesOf(walked(mode), "SoUr"), range(0, 8, 1)) << mode;
    }
}

TEST(TreeFiles, CalibrationCoefficientsOfEveryOutputInTheFullModes) {
    for (const std::uint32_t mode : kFullModes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        const WalkedTree& tree = walked(mode);
        EXPECT_EQ(indicesOf(tree, "clb.k"), range(0, 16, 1));
        for (const WalkedParameter* p : named(tree, "clb.k")) {
            const int output = p->index / 2 + 1;
            // A coefficient branch shows as its one parameter, named K4 or K20.
            EXPECT_EQ(p->caption, p->index % 2 == 0 ? "K4" : "K20") << p->index;
            EXPECT_NE(p->path.find("№" + std::to_string(output) + "/"), std::string::npos)
                << p->path;
            EXPECT_FALSE(p->initialValue.empty()) << "device initialisation writes it";
        }
    }
    for (const std::uint32_t mode : {1u, 2u, 17u, 18u}) {
        EXPECT_TRUE(named(walked(mode), "clb.k").empty()) << mode;
    }
}

TEST(TreeFiles, Vl1BranchesOnlyWhenVl1IsRequired) {
    for (const std::uint32_t mode : kVl1Modes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        for (int n = 9; n <= 16; ++n) {
            EXPECT_TRUE(hasBranchEndingWith(walked(mode),
                                            "Состояние дополнительного ВЭ №" + std::to_string(n)))
                << n;
            EXPECT_EQ(hasBranchEndingWith(walked(mode), "БУИМ №" + std::to_string(n)), mode != 17)
                << n;
        }
        EXPECT_EQ(indicesOf(walked(mode), "r.VL"), range(0, 8, 1));
        EXPECT_FALSE(hasBranchEndingWith(walked(mode), "№17"));
    }
    for (const std::uint32_t mode : {18u, 19u, 32u}) {
        EXPECT_EQ(indicesOf(walked(mode), "n.rEL"), range(8, 8, 1)) << mode;
    }
    for (const std::uint32_t mode : kWithoutVl1Modes) {
        for (const std::string& path : walked(mode).branchPaths) {
            EXPECT_EQ(path.find("VL1"), std::string::npos) << path;
            EXPECT_EQ(path.find("№9"), std::string::npos) << path;
        }
    }
}

TEST(TreeFiles, ScannersPollByAddressOffsetWithinTheModule) {
    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        const WalkedTree& tree = walked(mode);
        int scanners = 0;
        for (const WalkedParameter& p : tree.parameters) {
            if (!p.scanner) {
                continue;
            }
            ++scanners;
            EXPECT_TRUE(p.hasIndex) << p.networkName << " gets no polling timer";
            EXPECT_GE(p.index, 0);
            EXPECT_LE(p.index, 7) << p.networkName;
        }
        EXPECT_GE(scanners, 8);
        EXPECT_EQ(indicesOf(tree, "r.oe.s"), range(0, 8, 1));
        EXPECT_TRUE(named(tree, "r.oe.s")[0]->scanner);
    }
}

// Parameters are keyed by name hash and linear index: within one tree no two
// parameters may share a key, or they would be one value of the module.
TEST(TreeFiles, NoTwoParametersOfATreeShareHashAndIndex) {
    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        std::map<std::pair<std::uint16_t, int>, std::string> keys;
        for (const WalkedParameter& p : walked(mode).parameters) {
            const auto key = std::make_pair(NetNameHash(p.networkName), p.hasIndex ? p.index : -1);
            const auto [it, inserted] = keys.emplace(key, p.path + "/" + p.networkName);
            EXPECT_TRUE(inserted) << it->second << " and " << p.path << "/" << p.networkName;
        }
    }
}

// Every value that device initialisation writes must be one the parameter
// accepts, encodes, and reads back as the same value.
TEST(TreeFiles, InitialValuesFitTheirParameters) {
    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE(treeFileForMode(mode).fileName);
        for (const WalkedParameter& p : walked(mode).parameters) {
            EXPECT_LE(p.lower, p.upper) << p.networkName;
            if (p.initialValue.empty()) {
                continue;
            }
            EXPECT_TRUE(p.accessible) << p.networkName << " is never written";
            Parameter parameter(p.networkName);
            parameter.setValueType(p.type);
            parameter.setLimits(p.lower, p.upper);
            const auto accepted = parameter.checkUserInput(p.initialValue);
            ASSERT_TRUE(accepted.has_value()) << p.networkName << " = " << p.initialValue;
            std::vector<std::uint8_t> data;
            ASSERT_EQ(parameter.ConvertToData(*accepted, data), 1) << p.networkName;
            ASSERT_EQ(parameter.ConvertFromData(data), 1) << p.networkName;
            if (parameter.isEnumeration() || text::equalsNoCase(p.type, "name")) {
                EXPECT_TRUE(text::equalsNoCase(parameter.valueText(), p.initialValue))
                    << p.networkName << ": " << parameter.valueText();
            } else {
                EXPECT_EQ(parameter.valueText(), *accepted) << p.networkName;
            }
        }
    }
}

// A network name: at most four coded characters, each optionally followed by
// a dot.
bool isNetworkName(const std::string& name) {
    int characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '.') {
            if (i == 0 || name[i - 1] == '.') {
                return false;
            }
            continue;
        }
        if (nameAlphabetIndex(name[i]) < 0 || name[i] == ' ') {
            return false;
        }
        ++characters;
    }
    return characters >= 1 && characters <= 4;
}

// Names the program itself sends; no parameter of a tree may hash like one
// of them unless it is that name.
constexpr const char* kProtocolNames[] = {"APLY",     "n.Err", "dev",   "ver",   "exit",
                                          "INIT",     "CLB.K", "CLB.I", "CLB.A", "CHAr",
                                          "M.s.t.r.", "nPCP",  "nPCO"};

TEST(TreeFiles, DifferentNetworkNamesHaveDifferentHashes) {
    std::map<std::uint16_t, std::set<std::string>> byHash;
    for (const char* name : kProtocolNames) {
        byHash[NetNameHash(name)].insert(text::toUpper(name));
    }
    for (const std::uint32_t mode : kTreeModes) {
        const std::string content = text::fromCp1251(fileBytes(mode));
        std::size_t pos = 0;
        while (pos < content.size()) {
            std::size_t end = content.find_first_of("\r\n", pos);
            end = end == std::string::npos ? content.size() : end;
            std::istringstream words(content.substr(pos, end - pos));
            pos = end + 1;
            std::string keyword, name;
            if (!(words >> keyword >> name) || !text::equalsNoCase(keyword, "parameter")) {
                continue;
            }
            while (!name.empty() && (name[0] == '@' || name[0] == '!')) {
                name.erase(0, 1);
            }
            // The composite name parameter travels as four "CHAr" codes.
            if (name == "CHAr*") {
                name = "CHAr";
            }
            EXPECT_TRUE(isNetworkName(name)) << name << " in " << treeFileForMode(mode).fileName;
            byHash[NetNameHash(name)].insert(text::toUpper(name));
        }
    }
    for (const auto& [hash, names] : byHash) {
        std::string list;
        for (const std::string& name : names) {
            list += " " + name;
        }
        EXPECT_EQ(names.size(), 1u) << "hash " << hash << " is shared by" << list;
    }
}

}  // namespace
}  // namespace tarn
