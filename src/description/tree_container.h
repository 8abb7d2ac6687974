// The tree container: the compound file "tarn.tree.dat" beside the program
// whose root storage holds one zlib-compressed stream per tree file.
//
// A load opens the container exclusively (an exclusive flock held while the
// stream is read), so a second program loading at the same moment fails like
// a missing container does. The reader returns the tree text as the CP1251
// bytes of the file; cutting it into lines and parsing it is the caller's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/companion_files.h"

namespace tarn {

inline constexpr std::string_view kTreeContainerFileName = "tarn.tree.dat";

// The message the loader shows whenever the tree text cannot be had.
inline constexpr std::string_view kTreeOpenErrorText = "Ошибка открытия файла дерева!";

enum class TreeReadStatus {
    Ok,           // the whole text
    Truncated,    // the compressed data broke off or was damaged; the text is what came before
    NoContainer,  // the file cannot be opened or is not a compound file
    Busy,         // another program holds the container open
    NoStream,     // the container has no stream of that name
    Empty,        // the stream inflates to nothing
};

struct TreeText {
    TreeReadStatus status = TreeReadStatus::NoContainer;
    std::string bytes;   // the tree text, CP1251; empty unless usable()
    std::string detail;  // what went wrong, for logs and tools; empty when Ok

    // True when there is a text to parse (Ok or Truncated). Every other
    // status is the "Ошибка открытия файла дерева!" case.
    bool usable() const {
        return status == TreeReadStatus::Ok || status == TreeReadStatus::Truncated;
    }
};

// Reads and inflates one stream of a container. The stream name is UTF-8 and
// matched without regard to case when no stream has exactly that name.
TreeText readTreeText(const std::filesystem::path& container, std::string_view streamName);

// One entry of a container's root storage.
struct ContainerEntry {
    std::string name;        // UTF-8
    std::uint64_t size = 0;  // bytes held by a stream (compressed), 0 for a storage
    bool isStorage = false;
    // Its place in the root storage: a damaged container may hold two
    // entries of the same name, which a look-up by name cannot tell apart.
    std::size_t index = 0;
};

struct ContainerListing {
    TreeReadStatus status = TreeReadStatus::NoContainer;  // Ok, NoContainer or Busy
    std::vector<ContainerEntry> entries;
    std::string detail;
};

// The entries of the root storage, in the container's order.
ContainerListing listContainer(const std::filesystem::path& container);

struct RawStream {
    TreeReadStatus status = TreeReadStatus::NoContainer;  // Ok, NoContainer, Busy or NoStream
    std::string bytes;                                    // the stream as stored (compressed)
    std::string detail;
};

// The stored bytes of one stream, not inflated.
RawStream readContainerStream(const std::filesystem::path& container, std::string_view streamName);

// A container held open (and locked) for several reads, as a listing that
// looks into every stream needs: opening a compound file costs far more
// than reading a stream of it. The free functions above open the container
// for their one read.
class TreeContainer {
public:
    explicit TreeContainer(const std::filesystem::path& path);
    ~TreeContainer();
    TreeContainer(const TreeContainer&) = delete;
    TreeContainer& operator=(const TreeContainer&) = delete;

    // Ok when the container is open; else why not (NoContainer or Busy),
    // and every read below fails the same way.
    TreeReadStatus status() const;
    const std::string& detail() const;

    TreeText treeText(std::string_view streamName) const;
    ContainerListing listing() const;
    RawStream rawStream(std::string_view streamName) const;
    // The stored bytes of that very entry of listing().
    RawStream rawStream(const ContainerEntry& entry) const;

private:
    class Open;
    std::unique_ptr<Open> open_;
};

// The program's container: beside the running executable, else in the
// installation's data folder (see companionFilePath); just the file name
// (relative to the current folder, which start-up makes the program folder)
// when the program folder is unknown.
std::filesystem::path treeContainerPath();

}  // namespace tarn
