// The branch records of configuration files, read into the real trees.
//
// The first byte of an input picks the operating mode whose tree receives
// the records (its index in the table of modes); the rest is the archive
// from the root branch record on, as it follows the document record in a
// configuration file. The trees are parsed once from the container beside
// the fuzzer; every input gets a freshly instantiated copy.
#include <cstdint>
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

fuzz::SilentInteraction parserMessages;
std::vector<std::unique_ptr<DescriptionParser>> parsers;  // one per mode, root left as a template

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const std::uint32_t mode : kTreeModes) {
        const TreeText tree = readTreeText(treeContainerPath(), treeFileForMode(mode).fileName);
        if (!tree.usable()) {
            std::fprintf(stderr, "cannot read the tree of mode %u from %s: %s\n", mode,
                         treeContainerPath().c_str(), tree.detail.c_str());
            std::abort();
        }
        auto parser = std::make_unique<DescriptionParser>(parserMessages);
        if (!parser->parseText(text::fromCp1251(tree.bytes)) || parser->root() == nullptr) {
            std::fprintf(stderr, "the tree of mode %u does not parse\n", mode);
            std::abort();
        }
        parsers.push_back(std::move(parser));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const DescriptionParser& parser = *parsers[data[0] % parsers.size()];
    fuzz::SilentInteraction ui;
    InstantiationContext context(ui);
    std::unique_ptr<DescBranch> root = parser.root()->clone();
    root->instantiate(context, false, 0);

    ArchiveReader reader(std::span(data + 1, size - 1));
    try {
        loadBranch(reader, *root);
    } catch (const ArchiveError&) {
        // Broken or short records: what was read stays applied.
    }

    fuzz::forEachBranch(*root, [](DescBranch& branch) {
        (void)branch.displayMembers();
        for (const auto& parameter : branch.parameters()) {
            (void)parameter->displayRow(true);
        }
    });

    // Whatever the records left in the tree, the tree stores and reloads
    // itself unchanged.
    ArchiveWriter first;
    storeBranch(first, *root);
    ArchiveReader again(first.bytes());
    try {
        loadBranch(again, *root);
    } catch (const ArchiveError& error) {
        fuzz::fail(error.what(), __FILE__, __LINE__);
    }
    fuzzCheck(again.atEnd());
    ArchiveWriter second;
    storeBranch(second, *root);
    fuzzCheck(first.bytes() == second.bytes());
    return 0;
}
