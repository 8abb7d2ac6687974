// Runs a fuzz target's entry point on files, without libFuzzer: the ordinary
// build links each target with this driver, and the test suite replays the
// target's seed corpus and every input a fuzzing campaign kept for it. A
// broken consistency check aborts, and the test fails with the file's name
// printed before it.
//
//   fuzz_replay_<target> FILE_OR_FOLDER...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Defined by the targets that prepare something once per process.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> inputsIn(const std::filesystem::path& path) {
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file()) {
                inputs.push_back(entry.path());
            }
        }
        std::sort(inputs.begin(), inputs.end());
    } else {
        inputs.push_back(path);
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::exists(argv[i])) {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 2;
        }
        for (const auto& input : inputsIn(argv[i])) {
            std::ifstream file(input, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>()};
            if (!file.eof() && file.fail()) {
                std::fprintf(stderr, "%s: cannot be read\n", input.c_str());
                return 2;
            }
            std::fprintf(stderr, "%s\n", input.c_str());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
            ++count;
        }
    }
    std::printf("%zu inputs replayed\n", count);
    return 0;
}
