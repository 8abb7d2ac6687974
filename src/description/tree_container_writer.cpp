#include "description/tree_container_writer.h"

#include <fcntl.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string_view>

#include "platform/text.h"

namespace tarn {

namespace {

void initialiseGsfOnce() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

// Number of UTF-16 code units of a UTF-8 text (what a compound-file
// directory entry counts).
std::size_t utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

// Builds the whole compound file in memory.
bool buildCompoundFile(const std::vector<ContainerStream>& streams, std::string& image,
                       std::string& error) {
    initialiseGsfOnce();
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* root = gsf_outfile_msole_new(memory);
    bool ok = root != nullptr;
    for (const ContainerStream& stream : streams) {
        if (!ok) {
            break;
        }
        GsfOutput* child = gsf_outfile_new_child(root, stream.name.c_str(), FALSE);
        if (child == nullptr) {
            error = "cannot create the stream \"" + stream.name + "\"";
            ok = false;
            break;
        }
        if (!stream.bytes.empty() &&
            !gsf_output_write(child, stream.bytes.size(),
                              reinterpret_cast<const guint8*>(stream.bytes.data()))) {
            error = "cannot write the stream \"" + stream.name + "\"";
            ok = false;
        }
        if (!gsf_output_close(child) && ok) {
            error = "cannot close the stream \"" + stream.name + "\"";
            ok = false;
        }
        g_object_unref(child);
    }
    if (root != nullptr) {
        if (!gsf_output_close(GSF_OUTPUT(root)) && ok) {
            error = "cannot complete the compound file";
            ok = false;
        }
        g_object_unref(root);
    } else {
        error = "cannot create a compound file";
    }
    if (ok) {
        const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
        const gsf_off_t size = gsf_output_size(memory);
        image.assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
    }
    // Completing the compound file closes its sink as well.
    if (!gsf_output_is_closed(memory)) {
        gsf_output_close(memory);
    }
    g_object_unref(memory);
    return ok;
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Writes the bytes to a temporary file beside the target, flushes them to
// the disk and renames the file over the target.
std::string replaceFile(const std::filesystem::path& target, const std::string& bytes) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return systemError("cannot create a temporary file in " + folder.string());
    }
    std::string error;
    std::size_t written = 0;
    while (written < bytes.size() && error.empty()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno != EINTR) {
            error = systemError("cannot write " + temporary);
        } else if (n > 0) {
            written += static_cast<std::size_t>(n);
        }
    }
    // mkstemp creates the file readable by its owner only; a container is
    // read by every user of the program, as any file created would be.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (error.empty() && ::fchmod(fd, 0666 & ~mask) != 0) {
        error = systemError("cannot set the permissions of " + temporary);
    }
    if (error.empty() && ::fsync(fd) != 0) {
        error = systemError("cannot flush " + temporary);
    }
    if (::close(fd) != 0 && error.empty()) {
        error = systemError("cannot close " + temporary);
    }
    if (error.empty() && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = systemError("cannot replace " + target.string());
    }
    if (!error.empty()) {
        ::unlink(temporary.c_str());
    }
    return error;
}

}  // namespace

std::string containerStreamNameProblem(const std::string& name) {
    if (name.empty()) {
        return "a stream name must not be empty";
    }
    if (utf16Length(name) > 31) {
        return "the stream name \"" + name + "\" is longer than 31 characters";
    }
    if (name.find_first_of("/\\:!") != std::string::npos) {
        return "the stream name \"" + name + "\" holds one of / \\ : !";
    }
    return {};
}

std::string writeCompoundFile(const std::filesystem::path& target,
                              const std::vector<ContainerStream>& streams) {
    for (std::size_t i = 0; i < streams.size(); ++i) {
        if (std::string problem = containerStreamNameProblem(streams[i].name); !problem.empty()) {
            return problem;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (text::equalsNoCase(streams[i].name, streams[j].name)) {
                return "two streams are named \"" + streams[i].name + "\"";
            }
        }
    }
    std::string image;
    std::string error;
    if (!buildCompoundFile(streams, image, error)) {
        return error;
    }
    return replaceFile(target, image);
}

}  // namespace tarn
