// The tree container: a compound file written from the input, read the way
// the program loads a tree and the way tarn-pack lists and extracts it.
//
// The file is opened once per input, as tarn-pack's listing does; the
// program's one-read function (readTreeText) is that open and one treeText.
#include <cstdint>

#include "description/tree_container.h"
#include "fuzz_support.h"

using namespace tarn;

// libgsf 1.14.50 (Debian 12) loses the directory entries it has built when a
// compound file's directory is malformed, a few hundred bytes per open, even
// though the container reader releases everything it is given. Those leaks
// are the library's: an allocation whose stack passes through libgsf is not
// counted. The entries are built by a recursive function of the library, so
// the library's public entry point may lie any number of frames deep; the
// library's own frame right above glib's allocator does not. The library is
// built without frame pointers, so finding that frame needs the slow
// unwinder, which costs most of the time of an input: allocations keep six
// frames, enough to pass glib's allocator. The container reader's own
// objects are released by the classes that hold them, and the ordinary test
// suite checks its leaks with whole stacks.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0:malloc_context_size=6";
}
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgsf-1.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path path = fuzz::scratchFolder() / "tarn.tree.dat";
    fuzzCheck(fuzz::writeFile(path, std::span(data, size)));

    const TreeContainer container(path);
    fuzzCheck(container.status() == TreeReadStatus::Ok ||
              container.status() == TreeReadStatus::NoContainer);
    for (const char* stream : {"tarnfull.tree", "TARN.TREE"}) {
        const TreeText tree = container.treeText(stream);
        fuzzCheck(tree.usable() == !tree.bytes.empty());
        if (tree.status != TreeReadStatus::Ok) {
            fuzzCheck(!tree.detail.empty());
        }
    }

    const ContainerListing listing = container.listing();
    fuzzCheck(listing.status == container.status());
    if (listing.status == TreeReadStatus::Ok) {
        for (const auto& entry : listing.entries) {
            if (entry.isStorage || entry.name.empty()) {
                continue;
            }
            const RawStream raw = container.rawStream(entry);
            if (raw.status == TreeReadStatus::Ok) {
                fuzzCheck(raw.bytes.size() == entry.size);
            }
            // The same stream inflated as the program reads it.
            (void)container.treeText(entry.name);
        }
    }
    return 0;
}
