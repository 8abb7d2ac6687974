// Writing compound files: the tree container builder's side of the
// container. The program itself only reads containers.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tarn {

struct ContainerStream {
    std::string name;   // UTF-8; becomes the stream's name in the root storage
    std::string bytes;  // stored as they are
};

// Why a stream name cannot be used in a compound file (empty, longer than 31
// characters, or holding "/", "\", ":" or "!"); empty when it can.
std::string containerStreamNameProblem(const std::string& name);

// Writes an OLE2 compound file whose root storage holds the streams in the
// given order. The file is written beside the target under a temporary name
// and renamed over it, so readers see either the old or the complete new
// file. Stream names must be usable and distinct without regard to case.
// Returns an empty text on success, else what went wrong.
std::string writeCompoundFile(const std::filesystem::path& target,
                              const std::vector<ContainerStream>& streams);

}  // namespace tarn
