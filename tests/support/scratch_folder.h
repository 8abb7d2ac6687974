// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace tarn::testing {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    // Writes a file of the folder and returns its path.
    std::filesystem::path write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

std::string readFileBytes(const std::filesystem::path& path);

}  // namespace tarn::testing
