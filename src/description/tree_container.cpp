#include "description/tree_container.h"

#include <fcntl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "description/zlib_inflater.h"
#include "platform/text.h"

namespace tarn {

namespace {

void initialiseGsfOnce() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

// The opened container: the descriptor holding the exclusive lock, the
// stdio stream libgsf reads through it, and the parsed root storage.
// Everything is released, and the lock with it, on destruction.
class TreeContainer::Open {
public:
    explicit Open(const std::filesystem::path& path) {
        initialiseGsfOnce();
        const std::string name = path.string();
        const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            detail_ = systemError("cannot open " + name);
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            detail_ =
                busy ? name + " is opened by another program" : systemError("cannot lock " + name);
            if (busy) {
                status_ = TreeReadStatus::Busy;
            }
            ::close(fd);
            return;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            detail_ = name + " is not a regular file";
            ::close(fd);
            return;
        }
        file_ = ::fdopen(fd, "rb");
        if (file_ == nullptr) {
            detail_ = systemError("cannot read " + name);
            ::close(fd);
            return;
        }
        input_ = gsf_input_stdio_new_FILE(name.c_str(), file_, TRUE);
        if (input_ == nullptr) {
            detail_ = "cannot read " + name;
            return;
        }
        GError* error = nullptr;
        root_ = gsf_infile_msole_new(input_, &error);
        if (root_ == nullptr) {
            detail_ = name + " is not a compound file";
            if (error != nullptr) {
                detail_ += std::string(" (") + error->message + ")";
                g_error_free(error);
            }
            return;
        }
        status_ = TreeReadStatus::Ok;
    }

    ~Open() {
        if (root_ != nullptr) {
            g_object_unref(root_);
        }
        if (input_ != nullptr) {
            g_object_unref(input_);
        }
        if (file_ != nullptr) {
            std::fclose(file_);  // closes the descriptor and drops the lock
        }
    }

    Open(const Open&) = delete;
    Open& operator=(const Open&) = delete;

    TreeReadStatus status() const { return status_; }
    const std::string& detail() const { return detail_; }
    GsfInfile* root() const { return root_; }

private:
    TreeReadStatus status_ = TreeReadStatus::NoContainer;
    std::string detail_;
    std::FILE* file_ = nullptr;
    GsfInput* input_ = nullptr;
    GsfInfile* root_ = nullptr;
};

namespace {

// Owns one reference to a child of the root storage.
class Child {
public:
    explicit Child(GsfInput* input) : input_(input) {}
    ~Child() {
        if (input_ != nullptr) {
            g_object_unref(input_);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    GsfInput* get() const { return input_; }
    bool isStorage() const {
        return GSF_IS_INFILE(input_) && gsf_infile_num_children(GSF_INFILE(input_)) >= 0;
    }

private:
    GsfInput* input_;
};

// The child of that name: the exact name first, else the first name equal
// without regard to case (compound-file names are not case-sensitive).
GsfInput* findChild(GsfInfile* root, std::string_view name) {
    const std::string exact(name);
    if (GsfInput* child = gsf_infile_child_by_name(root, exact.c_str())) {
        return child;
    }
    const int count = gsf_infile_num_children(root);
    for (int i = 0; i < count; ++i) {
        const char* childName = gsf_infile_name_by_index(root, i);
        if (childName != nullptr && text::equalsNoCase(childName, name)) {
            return gsf_infile_child_by_index(root, i);
        }
    }
    return nullptr;
}

std::string noStreamDetail(std::string_view name) {
    return "the container has no stream \"" + std::string(name) + "\"";
}

// The bytes of a stream as stored; `name` is for the texts of failures.
RawStream readRaw(const Child& stream, std::string_view name) {
    RawStream raw;
    if (stream.get() == nullptr || stream.isStorage()) {
        raw.status = TreeReadStatus::NoStream;
        raw.detail = noStreamDetail(name);
        return raw;
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    raw.bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && gsf_input_read(stream.get(), static_cast<std::size_t>(size),
                                   reinterpret_cast<guint8*>(raw.bytes.data())) == nullptr) {
        raw.bytes.clear();
        raw.status = TreeReadStatus::NoContainer;
        raw.detail = "the stream \"" + std::string(name) + "\" cannot be read";
        return raw;
    }
    raw.status = TreeReadStatus::Ok;
    return raw;
}

}  // namespace

TreeContainer::TreeContainer(const std::filesystem::path& path)
    : open_(std::make_unique<Open>(path)) {}

TreeContainer::~TreeContainer() = default;

TreeReadStatus TreeContainer::status() const {
    return open_->status();
}

const std::string& TreeContainer::detail() const {
    return open_->detail();
}

TreeText TreeContainer::treeText(std::string_view streamName) const {
    TreeText result;
    if (open_->status() != TreeReadStatus::Ok) {
        result.status = open_->status();
        result.detail = open_->detail();
        return result;
    }
    Child stream(findChild(open_->root(), streamName));
    if (stream.get() == nullptr || stream.isStorage()) {
        result.status = TreeReadStatus::NoStream;
        result.detail = noStreamDetail(streamName);
        return result;
    }

    ZlibInflater inflater;
    bool readFailed = false;
    gsf_off_t remaining = gsf_input_size(stream.get());
    unsigned char chunk[kInflateStep];
    while (remaining > 0) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<gsf_off_t>(remaining, sizeof chunk));
        if (gsf_input_read(stream.get(), n, chunk) == nullptr) {
            readFailed = true;
            break;
        }
        remaining -= static_cast<gsf_off_t>(n);
        if (!inflater.feed(std::string_view(reinterpret_cast<const char*>(chunk), n))) {
            break;
        }
    }

    switch (inflater.state()) {
        case ZlibInflater::State::Finished:
            result.status = TreeReadStatus::Ok;
            break;
        case ZlibInflater::State::Failed:
            result.status = TreeReadStatus::Truncated;
            result.detail = "damaged compressed data: " + inflater.error();
            break;
        case ZlibInflater::State::Running:
            result.status = TreeReadStatus::Truncated;
            result.detail = readFailed ? "the stream could not be read to its end"
                                       : "the compressed data ends early";
            break;
    }
    result.bytes = inflater.takeText();
    if (result.bytes.empty()) {
        result.status = TreeReadStatus::Empty;
        if (result.detail.empty()) {
            result.detail = "the stream \"" + std::string(streamName) + "\" holds no text";
        }
    }
    return result;
}

ContainerListing TreeContainer::listing() const {
    ContainerListing listing;
    listing.status = open_->status();
    listing.detail = open_->detail();
    if (open_->status() != TreeReadStatus::Ok) {
        return listing;
    }
    GsfInfile* root = open_->root();
    const int count = gsf_infile_num_children(root);
    for (int i = 0; i < count; ++i) {
        Child child(gsf_infile_child_by_index(root, i));
        if (child.get() == nullptr) {
            continue;
        }
        ContainerEntry entry;
        const char* name = gsf_infile_name_by_index(root, i);
        entry.name = name != nullptr ? name : "";
        entry.isStorage = child.isStorage();
        entry.index = static_cast<std::size_t>(i);
        entry.size = entry.isStorage ? 0 : static_cast<std::uint64_t>(gsf_input_size(child.get()));
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}

RawStream TreeContainer::rawStream(std::string_view streamName) const {
    if (open_->status() != TreeReadStatus::Ok) {
        return {open_->status(), {}, open_->detail()};
    }
    const Child stream(findChild(open_->root(), streamName));
    return readRaw(stream, streamName);
}

RawStream TreeContainer::rawStream(const ContainerEntry& entry) const {
    if (open_->status() != TreeReadStatus::Ok) {
        return {open_->status(), {}, open_->detail()};
    }
    // The index came from the listing's int, and one beyond the children
    // reads as no stream.
    const int index = static_cast<int>(entry.index);
    const Child stream(index < gsf_infile_num_children(open_->root())
                           ? gsf_infile_child_by_index(open_->root(), index)
                           : nullptr);
    return readRaw(stream, entry.name);
}

TreeText readTreeText(const std::filesystem::path& container, std::string_view streamName) {
    return TreeContainer(container).treeText(streamName);
}

ContainerListing listContainer(const std::filesystem::path& container) {
    return TreeContainer(container).listing();
}

RawStream readContainerStream(const std::filesystem::path& container, std::string_view streamName) {
    return TreeContainer(container).rawStream(streamName);
}

std::filesystem::path treeContainerPath() {
    return companionFilePath(kTreeContainerFileName);
}

}  // namespace tarn
