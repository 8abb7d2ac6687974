#include "support/private_files.h"

namespace tarn::testing {
namespace fs = std::filesystem;

namespace {
const fs::path kBinDir = TARN_BIN_DIR;
}

fs::path privateContainer(const ScratchFolder& folder) {
    const fs::path copy = folder / "tarn.tree.dat";
    fs::copy_file(kBinDir / "tarn.tree.dat", copy, fs::copy_options::overwrite_existing);
    return copy;
}

fs::path privateProgram(const ScratchFolder& folder, const std::string& name) {
    const fs::path bin = folder / "bin";
    fs::create_directories(bin);
    const fs::path program = bin / name;
    std::error_code ec;
    fs::create_hard_link(kBinDir / name, program, ec);
    if (ec) {
        fs::copy_file(kBinDir / name, program, fs::copy_options::overwrite_existing);
    }
    fs::copy_file(kBinDir / "tarn.tree.dat", bin / "tarn.tree.dat",
                  fs::copy_options::overwrite_existing);
    return program;
}

}  // namespace tarn::testing
