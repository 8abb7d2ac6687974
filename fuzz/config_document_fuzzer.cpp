// Whole configuration files through the document: the document record, the
// tree of the stored mode loaded from the container beside the fuzzer, and
// the branch records filled into it.
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>

#include "description/tree_container.h"
#include "document/configuration_diff.h"
#include "document/configuration_dump.h"
#include "document/tarn_document.h"
#include "fuzz_support.h"
#include "platform/settings_store.h"

using namespace tarn;

namespace {

fuzz::SilentInteraction ui;
// Documents live across inputs: loading a configuration replaces the whole
// tree, and a file that is not loaded leaves nothing to look at. They are
// never destroyed: a document writes its port settings back when it goes,
// and at exit Qt's own statics may already be gone.
SettingsStore* settings = nullptr;
TarnDocument* document = nullptr;
TarnDocument* second = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The program's port settings live in a folder of this run only, and so
    // does the container: a load locks it, and fuzzers running side by side
    // must not find it busy.
    settings = new SettingsStore(fuzz::scratchFolder().string());
    const std::filesystem::path container = fuzz::scratchFolder() / kTreeContainerFileName;
    std::filesystem::copy_file(treeContainerPath(), container);
    document = new TarnDocument(ui, *settings, container);
    second = new TarnDocument(ui, *settings, container);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result = document->deserialize(std::span(data, size), size % 2 == 1);
    if (result != TarnDocument::LoadResult::Loaded) {
        return 0;
    }
    fuzzCheck(document->hasTree());
    if (DescBranch* root = document->root()) {
        fuzz::forEachBranch(*root, [](DescBranch& branch) {
            (void)branch.displayMembers();
            for (const auto& parameter : branch.parameters()) {
                (void)parameter->displayRow(true);
            }
        });
    }

    // The checks beyond the load go by the input's bytes, so that a finding
    // replays alike (by its size, mutations that keep the size kept the
    // choice too, which let one check run for far more inputs than meant).
    const std::size_t choice = std::hash<std::string_view>{}(fuzz::asText(data, size));

    // A loaded configuration saves into a file that loads again. Records
    // whose keys the fresh tree does not have are dropped on that first
    // load; the file saved then holds only what the tree has, and loading it
    // into a fresh tree of its mode and saving again gives the same bytes.
    // Every input is saved; the reload of what was saved, a file the
    // program wrote and so mostly the paths the first load has taken
    // already, runs for one input in two: it was a third of an input's time.
    const std::vector<std::uint8_t> saved = document->serialize();
    if (choice % 2 != 0) {
        return 0;
    }
    fuzzCheck(second->deserialize(saved) == TarnDocument::LoadResult::Loaded);
    fuzzCheck(second->mode() == document->mode());
    fuzzCheck(second->serialize() == saved);

    // The readable forms take the same path whatever the values hold, and
    // cost more than the load and the saving together (the JSON form five
    // times as much): one input in four checks the text form and the
    // comparison, one in sixty-four the JSON form too.
    if (choice % 4 != 0) {
        return 0;
    }
    // One line per parameter below a header line whatever the texts hold.
    const std::vector<ConfigurationEntry> entries = configurationEntries(*document->root());
    const std::string dump = dumpText(document->mode(), entries);
    fuzzCheck(static_cast<std::size_t>(std::count(dump.begin(), dump.end(), '\n')) ==
              entries.size() + 1);
    fuzzCheck(std::none_of(dump.begin(), dump.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\n') || byte == 0x7F;
    }));
    // The reloaded file holds the same values and attributes under the same
    // keys.
    fuzzCheck(compareConfigurations(entries, entries).empty());
    fuzzCheck(compareConfigurations(entries, configurationEntries(*second->root())).empty());
    // JSON that reads back.
    if (choice % 64 == 0) {
        const QByteArray json = QJsonDocument(dumpJson(document->mode(), entries)).toJson();
        const QJsonDocument reread = QJsonDocument::fromJson(json);
        fuzzCheck(reread.isObject());
        fuzzCheck(reread.object()["parameters"].toArray().size() ==
                  static_cast<qsizetype>(entries.size()));
    }
    return 0;
}
