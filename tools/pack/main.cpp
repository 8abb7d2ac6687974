// tarn-pack: builds, lists and unpacks the tree container tarn.tree.dat.
#include <iostream>
#include <string>
#include <vector>

#include "pack_commands.h"

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  tarn-pack build OUT.dat FILE.tree...   write a container holding one stream per file,\n"
    "                                         named as the file's base name, zlib-compressed\n"
    "  tarn-pack list FILE.dat                list the streams with stored and inflated sizes\n"
    "  tarn-pack extract FILE.dat STREAM [OUT]\n"
    "                                         write the inflated text of STREAM to OUT\n"
    "                                         (standard output when OUT is missing or -)\n"
    "  tarn-pack --help                       show this text\n"
    "\n"
    "The container is written to a temporary file beside OUT.dat and renamed over it.\n"
    "Exit codes: 0 done, 1 a file could not be read or written or is damaged,\n"
    "2 wrong command line.\n";

int usageError(const std::string& problem) {
    std::cerr << "tarn-pack: " << problem << "\n\n" << kUsage;
    return tarn::pack::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return usageError("no command given");
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return tarn::pack::kExitOk;
    }
    if (command == "build") {
        if (args.size() < 3) {
            return usageError("build needs the container and at least one tree file");
        }
        return tarn::pack::buildContainer(args[1], {args.begin() + 2, args.end()}, std::cout,
                                          std::cerr);
    }
    if (command == "list") {
        if (args.size() != 2) {
            return usageError("list needs exactly one container");
        }
        return tarn::pack::listContainerStreams(args[1], std::cout, std::cerr);
    }
    if (command == "extract") {
        if (args.size() != 3 && args.size() != 4) {
            return usageError("extract needs the container, the stream and at most one output");
        }
        return tarn::pack::extractStream(args[1], args[2], args.size() == 4 ? args[3] : "",
                                         std::cout, std::cerr);
    }
    return usageError("unknown command \"" + command + "\"");
}
