// The description language: a tree file's text as the loader hands it to the
// parser (CP1251 converted to UTF-8), built into a tree, then used the way
// the view and the configuration files use a tree.
#include <cstdint>

#include "description/description_parser.h"
#include "fuzz_support.h"
#include "model/branch_archive.h"
#include "platform/archive.h"
#include "platform/text.h"

using namespace tarn;

namespace {

void useTree(DescBranch& top, fuzz::SilentInteraction& ui) {
    fuzz::forEachBranch(top, [&ui](DescBranch& branch) {
        const auto members = branch.displayMembers();
        for (const auto& member : members) {
            fuzzCheck(member.branch != nullptr);
            if (member.parameter != nullptr) {
                (void)member.parameter->displayRow(true);
            }
        }
        (void)branch.groupRow(true, ui);
        (void)branch.groupRow(false, ui);
        for (const auto& parameter : branch.parameters()) {
            const ParameterRow row = parameter->displayRow(false);
            (void)row;
            std::vector<std::uint8_t> data;
            (void)parameter->ConvertToData(parameter->initialValue(), data);
            (void)parameter->checkUserInput(parameter->initialValue());
            (void)parameter->nameHash();
        }
    });
    (void)top.countToWrite(0);
    (void)top.countToWrite(1);
    (void)top.pollingState();

    // What a configuration file stores of the tree reads back into it.
    ArchiveWriter writer;
    storeBranch(writer, top);
    ArchiveReader reader(writer.bytes());
    try {
        loadBranch(reader, top);
    } catch (const ArchiveError& error) {
        fuzz::fail(error.what(), __FILE__, __LINE__);
    }
    fuzzCheck(reader.atEnd());
}

// The program's bound is 200 000 template nodes, 130 times the largest
// tree of the container (1542 in mode 32); an input near it costs most of a
// second, and a grown corpus fills with them. 4096 nodes still take every
// real tree more than twice and meet the bound's failure as often.
constexpr std::size_t kTemplateNodes = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string description = text::fromCp1251(fuzz::asText(data, size));
    fuzz::SilentInteraction ui;
    InstantiationContext context(ui);
    ParameterTree tree = buildParameterTree(description, context, kTemplateNodes);

    // The network-settings branch is one of the kept trees, or none.
    if (tree.networkSettings != nullptr) {
        fuzzCheck((tree.root && tree.root->contains(tree.networkSettings)) ||
                  (tree.scanners && tree.scanners->contains(tree.networkSettings)));
        (void)tree.networkSettings->parameterCount();
    }
    // Every output slot points at the "POUt" parameter of its index.
    for (std::size_t slot = 0; slot < context.outputs.size(); ++slot) {
        if (Parameter* output = context.outputs[slot]) {
            fuzzCheck(output->hasName("POUt"));
            fuzzCheck(output->linearIndex() == static_cast<std::int32_t>(slot));
        }
    }
    if (tree.root) {
        useTree(*tree.root, ui);
    }
    if (tree.scanners) {
        std::vector<Parameter*> polled;
        const int count = tree.scanners->collectPolledParameters(polled);
        fuzzCheck(count == static_cast<int>(polled.size()));
        useTree(*tree.scanners, ui);
    }
    return 0;
}
