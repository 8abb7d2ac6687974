#include "pack_commands.h"

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>

#include "description/tree_container.h"
#include "description/tree_container_writer.h"
#include "description/zlib_inflater.h"

namespace tarn::pack {

namespace {

bool readWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + " is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

const char* statusWord(TreeReadStatus status) {
    switch (status) {
        case TreeReadStatus::Ok:
            return "ok";
        case TreeReadStatus::Truncated:
            return "damaged";
        case TreeReadStatus::Empty:
            return "empty";
        default:
            return "unreadable";
    }
}

}  // namespace

int buildContainer(const std::string& output, const std::vector<std::string>& files,
                   std::ostream& out, std::ostream& err) {
    std::vector<ContainerStream> streams;
    streams.reserve(files.size());
    for (const std::string& file : files) {
        ContainerStream stream;
        stream.name = std::filesystem::path(file).filename().string();
        std::string bytes;
        std::string error;
        if (!readWholeFile(file, bytes, error)) {
            err << "tarn-pack: " << error << '\n';
            return kExitFailed;
        }
        // An empty stream is what the program reports as an unreadable tree
        // file, so it is refused here rather than shipped.
        if (bytes.empty()) {
            err << "tarn-pack: " << file << " is empty\n";
            return kExitFailed;
        }
        stream.bytes = deflateZlib(bytes);
        streams.push_back(std::move(stream));
    }
    if (const std::string error = writeCompoundFile(output, streams); !error.empty()) {
        err << "tarn-pack: " << output << ": " << error << '\n';
        return kExitFailed;
    }
    out << "tarn-pack: " << output << ": " << streams.size() << " stream"
        << (streams.size() == 1 ? "" : "s") << '\n';
    return kExitOk;
}

int listContainerStreams(const std::string& container, std::ostream& out, std::ostream& err) {
    // One open for the listing and every stream's check.
    const TreeContainer open(container);
    const ContainerListing listing = open.listing();
    if (listing.status != TreeReadStatus::Ok) {
        err << "tarn-pack: " << listing.detail << '\n';
        return kExitFailed;
    }
    int result = kExitOk;
    out << std::left << std::setw(32) << "stream" << std::right << std::setw(12) << "compressed"
        << std::setw(12) << "inflated"
        << "  state\n";
    for (const ContainerEntry& entry : listing.entries) {
        out << std::left << std::setw(32) << entry.name << std::right;
        if (entry.isStorage) {
            out << std::setw(12) << "-" << std::setw(12) << "-"
                << "  storage\n";
            continue;
        }
        const RawStream raw = open.rawStream(entry);
        const InflateResult inflated = inflateZlib(raw.bytes);
        TreeReadStatus state = TreeReadStatus::Ok;
        if (raw.status != TreeReadStatus::Ok) {
            state = raw.status;
        } else if (inflated.text.empty()) {
            state = TreeReadStatus::Empty;
        } else if (inflated.state != ZlibInflater::State::Finished) {
            state = TreeReadStatus::Truncated;
        }
        out << std::setw(12) << entry.size << std::setw(12) << inflated.text.size() << "  "
            << statusWord(state) << '\n';
        if (state != TreeReadStatus::Ok) {
            result = kExitFailed;
        }
    }
    return result;
}

int extractStream(const std::string& container, const std::string& stream,
                  const std::string& output, std::ostream& out, std::ostream& err) {
    const TreeText text = readTreeText(container, stream);
    if (!text.usable()) {
        err << "tarn-pack: " << text.detail << '\n';
        return kExitFailed;
    }
    if (output.empty() || output == "-") {
        out.write(text.bytes.data(), static_cast<std::streamsize>(text.bytes.size()));
        out.flush();
    } else {
        std::ofstream file(output, std::ios::binary | std::ios::trunc);
        file.write(text.bytes.data(), static_cast<std::streamsize>(text.bytes.size()));
        file.close();
        if (!file) {
            err << "tarn-pack: cannot write " << output << '\n';
            return kExitFailed;
        }
    }
    if (text.status != TreeReadStatus::Ok) {
        err << "tarn-pack: " << stream << ": " << text.detail << "; the text is incomplete\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace tarn::pack
