// The branch records of configuration files, read into the real trees.
//
// Input: byte 0 picks the operating mode whose tree receives the records
// (its index in the table of modes), bytes 1-2 (little-endian) pick the
// branch, counted depth first from the root (0), modulo the branches the
// tree has; the rest is that branch's archive record with its sub-branches,
// as it stands inside a configuration file. Records aimed at one branch
// reach the same reading code as a whole file does, and most branches are
// small, so the fuzzer tries far more of them in the same time. The large
// branches (the root, the trees' main groups) are made of the small ones;
// reading one costs as much as a whole file and is left to the
// config_document target, which reads whole files.
//
// Each mode's tree is built once from the container beside the fuzzer;
// after each input the branch is brought back to its fresh state: every
// value forgotten, then the fresh branch's own records read back in, which
// restores the names, captions, counts and flags a record may set.
//
// With TARN_FUZZ_WRITE_SEEDS=FOLDER set, the target writes seeds into
// FOLDER instead (every branch of every mode, fresh and holding values) and
// exits; libFuzzer's -merge=1 then keeps the smallest that reach as far.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "description/description_parser.h"
#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "fuzz_support.h"
#include "model/branch_archive.h"
#include "platform/archive.h"
#include "platform/text.h"

using namespace tarn;

namespace {

// A branch whose record is larger than this takes several milliseconds an
// input and is not chosen.
constexpr std::size_t kMaxBranchRecord = 4096;

struct BuiltTree {
    std::unique_ptr<InstantiationContext> context;
    ParameterTree tree;
    std::vector<DescBranch*> branches;             // depth first, the root first
    std::vector<std::vector<std::uint8_t>> fresh;  // each branch as stored when built
};

fuzz::SilentInteraction messages;
std::vector<BuiltTree> trees;

std::vector<std::uint8_t> stored(const DescBranch& branch) {
    ArchiveWriter writer;
    storeBranch(writer, branch);
    return writer.bytes();
}

void bringBack(DescBranch& branch, const std::vector<std::uint8_t>& fresh) {
    branch.setNoData();
    ArchiveReader reader(fresh);
    loadBranch(reader, branch);
    // Nothing the records reached may outlive the reset.
    fuzzCheck(stored(branch) == fresh);
}

void writeSeeds(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (std::size_t m = 0; m < trees.size(); ++m) {
        BuiltTree& built = trees[m];
        for (std::size_t index = 0; index < built.branches.size(); ++index) {
            DescBranch& branch = *built.branches[index];
            for (const bool values : {false, true}) {
                if (values) {
                    int counter = 0;
                    fuzz::forEachBranch(branch, [&counter](DescBranch& b) {
                        for (const auto& p : b.parameters()) {
                            ++counter;
                            p->setValueText(std::to_string(counter));
                            p->setEditable(counter % 2 == 0);
                            p->setOwnerIsFirm(counter % 3 == 0);
                            p->setValueChanged(counter % 5 == 0);
                        }
                    });
                }
                std::vector<std::uint8_t> input = {static_cast<std::uint8_t>(m),
                                                   static_cast<std::uint8_t>(index & 0xFF),
                                                   static_cast<std::uint8_t>(index >> 8)};
                const std::vector<std::uint8_t> record = stored(branch);
                input.insert(input.end(), record.begin(), record.end());
                const std::string name = "mode" + std::to_string(kTreeModes[m]) + "_branch" +
                                         std::to_string(index) + (values ? "_values" : "_fresh");
                std::ofstream(folder / name, std::ios::binary)
                    .write(reinterpret_cast<const char*>(input.data()),
                           static_cast<std::streamsize>(input.size()));
                bringBack(branch, built.fresh[index]);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const TreeContainer container(treeContainerPath());
    for (const std::uint32_t mode : kTreeModes) {
        const TreeText text = container.treeText(treeFileForMode(mode).fileName);
        if (!text.usable()) {
            std::fprintf(stderr, "cannot read the tree of mode %u from %s: %s\n", mode,
                         treeContainerPath().c_str(), text.detail.c_str());
            std::abort();
        }
        BuiltTree built;
        built.context = std::make_unique<InstantiationContext>(messages);
        built.tree = buildParameterTree(text::fromCp1251(text.bytes), *built.context);
        if (built.tree.root == nullptr || messages.messages != 0) {
            std::fprintf(stderr, "the tree of mode %u does not build\n", mode);
            std::abort();
        }
        fuzz::forEachBranch(*built.tree.root, [&built](DescBranch& branch) {
            std::vector<std::uint8_t> fresh = stored(branch);
            if (fresh.size() <= kMaxBranchRecord) {
                built.branches.push_back(&branch);
                built.fresh.push_back(std::move(fresh));
            }
        });
        if (built.branches.empty()) {
            std::fprintf(stderr, "the tree of mode %u has no branch small enough\n", mode);
            std::abort();
        }
        trees.push_back(std::move(built));
    }
    if (const char* folder = std::getenv("TARN_FUZZ_WRITE_SEEDS")) {
        writeSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    BuiltTree& built = trees[data[0] % trees.size()];
    const std::size_t index = (data[1] | (data[2] << 8)) % built.branches.size();
    DescBranch& branch = *built.branches[index];

    ArchiveReader reader(std::span(data + 3, size - 3));
    try {
        loadBranch(reader, branch);
    } catch (const ArchiveError&) {
        // Broken or short records: what was read stays applied.
    }

    fuzz::forEachBranch(branch, [](DescBranch& b) {
        (void)b.displayMembers();
        for (const auto& parameter : b.parameters()) {
            (void)parameter->displayRow(true);
        }
    });

    // Whatever the records left in the branch, it stores and reloads itself
    // unchanged.
    const std::vector<std::uint8_t> first = stored(branch);
    ArchiveReader again(first);
    try {
        loadBranch(again, branch);
    } catch (const ArchiveError& error) {
        fuzz::fail(error.what(), __FILE__, __LINE__);
    }
    fuzzCheck(again.atEnd());
    fuzzCheck(stored(branch) == first);

    // Back to the fresh branch for the next input, so that every input finds
    // the same tree and a finding replays on its own.
    bringBack(branch, built.fresh[index]);
    return 0;
}
