// The document part of tarn-bench: loading every tree of the container, and
// storing and loading a configuration file.
#include <cstdio>
#include <string>
#include <system_error>

#include "bench/bench_support.h"
#include "description/description_parser.h"
#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "model/instantiation_context.h"
#include "platform/text.h"

namespace tarn::bench {
namespace {

constexpr int kRepeats = 5;

}  // namespace

void runTrees(const Options& options, UserInteraction& ui) {
    std::printf("\nTrees of the container %s (best and mean of %d)\n",
                options.container.string().c_str(), kRepeats);
    std::printf("mode file                   params  read+inflate-ms      parse+instantiate-ms\n");
    for (const std::uint32_t mode : kTreeModes) {
        const ModeTree file = treeFileForMode(mode);
        TreeText text;
        const Timing reading =
            timeRepeated(kRepeats, [&] { text = readTreeText(options.container, file.fileName); });
        if (!text.usable()) {
            std::printf("%4u %-22s cannot be read: %s\n", mode, file.fileName.c_str(),
                        text.detail.c_str());
            continue;
        }
        const std::string utf8 = text::fromCp1251(text.bytes);
        int parameters = 0;
        const Timing building = timeRepeated(kRepeats, [&] {
            InstantiationContext context(ui);
            ParameterTree tree = buildParameterTree(utf8, context);
            parameters = countParameters(tree.root.get()) + countParameters(tree.scanners.get());
        });
        std::printf("%4u %-22s %6d  %7.3f %7.3f       %7.3f %7.3f\n", mode, file.fileName.c_str(),
                    parameters, reading.best, reading.mean, building.best, building.mean);
    }
}

void runFiles(TarnDocument& document, const std::filesystem::path& folder) {
    std::printf("\nConfiguration file of mode %u (best and mean of %d)\n", document.mode(),
                kRepeats);
    const std::filesystem::path file = folder / "bench.tarn";
    bool stored = true;
    const Timing store =
        timeRepeated(kRepeats, [&] { stored = document.saveFile(file) && stored; });
    TarnDocument::LoadResult result = TarnDocument::LoadResult::Loaded;
    const Timing load = timeRepeated(kRepeats, [&] { result = document.loadFile(file); });
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    std::printf("store %7.3f ms best %7.3f ms mean%s\n", store.best, store.mean,
                stored ? "" : "  (FAILED)");
    std::printf("load  %7.3f ms best %7.3f ms mean (tree rebuilt from the container included)%s\n",
                load.best, load.mean,
                result == TarnDocument::LoadResult::Loaded ? "" : "  (FAILED)");
    std::printf("file  %llu bytes\n", static_cast<unsigned long long>(ec ? 0 : size));
}

}  // namespace tarn::bench
