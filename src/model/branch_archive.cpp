#include "model/branch_archive.h"

#include <unordered_map>

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
        std::unordered_map<std::uint32_t, Parameter*> byKey;
        for (const auto& parameter : branch.parameters()) {
            byKey[parameterKey(*parameter)] = parameter.get();  // the later one wins
        }
        branch.setName(archive.readText());
        const std::uint32_t stored = archive.readDword();
        for (std::uint32_t i = 0; i < stored; ++i) {
            const std::uint32_t key = archive.readDword();
            const auto match = byKey.find(key);
            if (match != byKey.end()) {
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
                } keep{*match->second};
                loadParameter(archive, keep.parameter, false);
            } else {
                Parameter scratch;
                loadParameter(archive, scratch, false);
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
