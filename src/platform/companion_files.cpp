#include "platform/companion_files.h"

#include <system_error>

#include "platform/build_info.h"

namespace tarn {
namespace fs = std::filesystem;

namespace {

// The container is the one file every working program folder holds.
constexpr std::string_view kMarkerFile = "tarn.tree.dat";

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

fs::path programFolder() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error || exe.empty()) {
        return {};
    }
    return exe.parent_path();
}

fs::path installedDataFolder(const fs::path& folder) {
    return (folder / build::kDataFolderFromProgram).lexically_normal();
}

fs::path companionFilePath(const fs::path& folder, std::string_view name) {
    if (folder.empty()) {
        return fs::path(name);
    }
    const fs::path beside = folder / name;
    if (isFile(beside)) {
        return beside;
    }
    const fs::path installed = installedDataFolder(folder) / name;
    if (isFile(installed)) {
        return installed;
    }
    return beside;
}

fs::path companionFilePath(std::string_view name) {
    return companionFilePath(programFolder(), name);
}

bool companionFilesBeside(const fs::path& folder) {
    return !folder.empty() && isFile(folder / kMarkerFile);
}

}  // namespace tarn
