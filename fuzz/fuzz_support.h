// Helpers shared by the fuzz targets.
//
// A target that finds one of its own consistency checks broken calls
// fuzzCheck, which aborts: libFuzzer then keeps the input like a crash.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/desc_branch.h"
#include "platform/user_interaction.h"

namespace tarn::fuzz {

// Counts the boxes instead of showing them; questions take their default.
class SilentInteraction : public UserInteraction {
public:
    void showMessage(std::string_view, std::string_view, MessageIcon, unsigned) override {
        ++messages;
    }
    bool askYesNo(std::string_view, std::string_view, MessageIcon, bool defaultYes) override {
        ++questions;
        return defaultYes;
    }

    int messages = 0;
    int questions = 0;
};

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: consistency check failed: %s\n", file, line, what);
    std::abort();
}

#define fuzzCheck(condition)                                    \
    do {                                                        \
        if (!(condition)) {                                     \
            ::tarn::fuzz::fail(#condition, __FILE__, __LINE__); \
        }                                                       \
    } while (false)

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Calls `visit` for every branch of the tree below `branch`, depth first.
inline void forEachBranch(DescBranch& branch, const std::function<void(DescBranch&)>& visit) {
    visit(branch);
    for (const auto& child : branch.children()) {
        forEachBranch(*child, visit);
    }
}

// Writes `bytes` into the file at `path`, created anew. Plain system calls:
// a file stream costs more to set up than a small input costs to read.
inline bool writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) {
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && written == bytes.size();
}

// A private scratch folder of this process, created on first use: in
// /dev/shm where there is one, for the targets write and read files for
// every input, and on a disk file system truncating and closing a file
// costs more than parsing it.
inline const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path folder = [] {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "tarn-fuzz-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        return std::filesystem::path(buffer.data());
    }();
    // Registered once the folder's name is built, so that the removal runs
    // at exit before the name itself is destroyed.
    static const bool removedAtExit = std::atexit([] {
                                          std::error_code ignored;
                                          std::filesystem::remove_all(scratchFolder(), ignored);
                                      }) == 0;
    (void)removedAtExit;
    return folder;
}

}  // namespace tarn::fuzz
