// Two configuration files as tarn-dump and tarn-diff read them: through the
// configuration reader (the program's document in a scratch settings
// store), then compared by key and printed as differences.
//
// Input: bytes 0-1 (little-endian) give the length of the first file, cut
// to what the input holds; the rest is the second file.
#include <algorithm>
#include <cstdint>

#include "description/tree_container.h"
#include "document/configuration_diff.h"
#include "document/configuration_reader.h"
#include "fuzz_support.h"

using namespace tarn;

namespace {

fuzz::SilentInteraction ui;
// Readers live across inputs and are never destroyed (their documents must
// not outlive Qt's statics at exit): a reader brings back the tree it built
// for a mode when the next file is of that mode.
ConfigurationReader* first = nullptr;
ConfigurationReader* second = nullptr;

std::filesystem::path written(const char* name, std::span<const std::uint8_t> bytes) {
    std::filesystem::path path = fuzz::scratchFolder() / name;
    fuzzCheck(fuzz::writeFile(path, bytes));
    return path;
}

std::size_t count(const std::vector<ConfigurationDifference>& differences,
                  ConfigurationDifference::Kind kind) {
    return static_cast<std::size_t>(std::count_if(
        differences.begin(), differences.end(),
        [kind](const ConfigurationDifference& difference) { return difference.kind == kind; }));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A container of this run only: a read locks it, and fuzzers running
    // side by side must not find it busy.
    const std::filesystem::path container = fuzz::scratchFolder() / kTreeContainerFileName;
    std::filesystem::copy_file(treeContainerPath(), container);
    first = new ConfigurationReader(ui, container);
    second = new ConfigurationReader(ui, container);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::span<const std::uint8_t> rest(data + 2, size - 2);
    const std::size_t cut = std::min<std::size_t>(data[0] | (data[1] << 8), rest.size());
    const auto firstBytes = rest.first(cut);
    const auto secondBytes = rest.subspan(cut);

    std::string error;
    const bool firstRead = first->read(written("first.tarn", firstBytes), error);
    fuzzCheck(firstRead == error.empty());
    const bool secondRead = second->read(written("second.tarn", secondBytes), error);
    fuzzCheck(secondRead == error.empty());
    if (!firstRead || !secondRead) {
        return 0;
    }

    const std::vector<ConfigurationEntry> a = first->entries();
    const std::vector<ConfigurationEntry> b = second->entries();
    fuzzCheck(compareConfigurations(a, a).empty());
    const auto forward = compareConfigurations(a, b);
    const auto backward = compareConfigurations(b, a);
    // The comparison is the same seen from either side.
    using Kind = ConfigurationDifference::Kind;
    fuzzCheck(count(forward, Kind::Differs) == count(backward, Kind::Differs));
    fuzzCheck(count(forward, Kind::OnlyInFirst) == count(backward, Kind::OnlyInSecond));
    fuzzCheck(count(forward, Kind::OnlyInSecond) == count(backward, Kind::OnlyInFirst));
    for (const auto& difference : forward) {
        const std::string text = differenceText(difference);
        fuzzCheck(!text.empty() && text.back() == '\n');
    }
    return 0;
}
