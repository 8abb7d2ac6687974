#include "model/branch_archive.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "model/parameter_archive.h"

namespace tarn {

std::uint32_t parameterKey(const Parameter& parameter) {
    const std::uint32_t index = parameter.hasLinearIndex()
                                    ? static_cast<std::uint32_t>(parameter.linearIndex()) & 0xFFFF
                                    : 0xFFFF;
    return (index << 16) | parameter.nameHash();
}

void storeBranch(ArchiveWriter& archive, const DescBranch& branch) {
    archive.writeClass("DescBranch", kBranchSchema);
    archive.writeText(branch.name());
    archive.writeDword(static_cast<std::uint32_t>(branch.parameterCount()));
    for (const auto& parameter : branch.parameters()) {
        archive.writeDword(parameterKey(*parameter));
        storeParameter(archive, *parameter);
    }
    archive.writeInt32(branch.count());
    archive.writeInt32(branch.number());
    for (const auto& child : branch.children()) {
        storeBranch(archive, *child);
    }
}

void loadBranch(ArchiveReader& archive, DescBranch& branch) {
    const std::uint16_t schema = archive.readClass("DescBranch");
    if (schema == kBranchSchema) {
        // The branch's parameters by key, in one sorted vector: a branch is
        // read for every file, and most hold a handful of parameters.
        // Each with its place in the branch, so that a plain sort (which,
        // unlike a stable one, needs no buffer of its own) keeps the order
        // of parameters that share a key.
        struct Keyed {
            std::uint32_t key;
            std::uint32_t place;
            Parameter* parameter;
        };
        std::vector<Keyed> byKey;
        byKey.reserve(branch.parameters().size());
        for (const auto& parameter : branch.parameters()) {
            byKey.push_back({parameterKey(*parameter), static_cast<std::uint32_t>(byKey.size()),
                             parameter.get()});
        }
        std::sort(byKey.begin(), byKey.end(), [](const Keyed& a, const Keyed& b) {
            return a.key != b.key ? a.key < b.key : a.place < b.place;
        });
        // Of parameters that share a key, the later one wins.
        const auto find = [&](std::uint32_t key) -> Parameter* {
            const auto after =
                std::upper_bound(byKey.begin(), byKey.end(), key,
                                 [](std::uint32_t k, const Keyed& entry) { return k < entry.key; });
            return after != byKey.begin() && std::prev(after)->key == key
                       ? std::prev(after)->parameter
                       : nullptr;
        };
        if (const std::string_view name = archive.readTextView(); branch.name() != name) {
            branch.setName(std::string(name));
        }
        const std::uint32_t stored = archive.readDword();
        std::optional<Parameter> scratch;
        for (std::uint32_t i = 0; i < stored; ++i) {
            const std::uint32_t key = archive.readDword();
            if (Parameter* match = find(key)) {
                // The key chose the parameter; where it sits on the line
                // stays the tree's. A record whose own index or address
                // offset disagrees with its key (damaged data) would
                // otherwise send the parameter's frames to another index
                // or another module, and the value would not find its way
                // back the next time the file is read.
                // Also when the record breaks off half-way.
                struct KeepPlace {
                    Parameter& parameter;
                    const bool hasIndex = parameter.hasLinearIndex();
                    const std::int32_t index = parameter.linearIndex();
                    const std::int32_t offset = parameter.addressOffset();
                    ~KeepPlace() {
                        parameter.setHasLinearIndex(hasIndex);
                        parameter.setLinearIndex(index);
                        parameter.setAddressOffset(offset);
                    }
                } keep{*match};
                loadParameter(archive, keep.parameter, false);
            } else {
                // A record of no parameter of the tree is read and dropped.
                if (!scratch) {
                    scratch.emplace();
                }
                loadParameter(archive, *scratch, false);
            }
        }
        const std::int32_t count = archive.readInt32();
        const std::int32_t number = archive.readInt32();
        branch.setInstance(count, number);
    }
    for (const auto& child : branch.children()) {
        loadBranch(archive, *child);
    }
}

}  // namespace tarn
