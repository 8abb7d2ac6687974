// The inputs that once broke a parser under the fuzzer, kept in
// tests/data/fuzz_regressions/<target>/ so that the ordinary suite runs them.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch_folder.h"

namespace tarn::testing {

struct KeptInput {
    std::string name;   // the file name
    std::string bytes;  // the input exactly as the fuzzer fed it
};

// Every kept input of a fuzz target, in the order of their names.
inline std::vector<KeptInput> keptFuzzInputs(const std::string& target) {
    const std::filesystem::path folder =
        std::filesystem::path(TARN_TEST_DATA_DIR) / "fuzz_regressions" / target;
    std::vector<KeptInput> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            inputs.push_back({entry.path().filename().string(), readFileBytes(entry.path())});
        }
    }
    std::sort(inputs.begin(), inputs.end(),
              [](const KeptInput& a, const KeptInput& b) { return a.name < b.name; });
    return inputs;
}

// The kept input of that name; empty bytes when there is none.
inline std::string keptFuzzInput(const std::string& target, const std::string& name) {
    for (auto& input : keptFuzzInputs(target)) {
        if (input.name == name) {
            return std::move(input.bytes);
        }
    }
    return {};
}

}  // namespace tarn::testing
