// Configuration files that once broke a check of the configuration fuzzer.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "document/configuration_diff.h"
#include "document/tarn_document.h"
#include "platform/settings_store.h"
#include "support/fuzz_inputs.h"
#include "support/private_files.h"
#include "support/recording_interaction.h"

namespace tarn {
namespace {

// A loaded file that is stored and read again holds the same values under
// the same keys: a record whose own linear index or address offset
// disagreed with its key used to move its parameter, and the value was lost
// on the way back.
TEST(DocumentFuzzRegressions, KeptFilesSurviveBeingStoredAndReadAgain) {
    testing::ScratchFolder scratch;
    setenv("TARN_PORTS_DIR", (scratch / "ports").c_str(), 1);
    const auto container = testing::privateContainer(scratch);
    SettingsStore settings((scratch / "settings").string());
    testing::RecordingInteraction ui;
    const auto inputs = testing::keptFuzzInputs("config_document");
    ASSERT_FALSE(inputs.empty());
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.name);
        TarnDocument loaded(ui, settings, container);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.bytes.data());
        ASSERT_EQ(loaded.deserialize(std::span(bytes, input.bytes.size())),
                  TarnDocument::LoadResult::Loaded);
        TarnDocument reread(ui, settings, container);
        ASSERT_EQ(reread.deserialize(loaded.serialize()), TarnDocument::LoadResult::Loaded);
        const auto differences = compareConfigurations(configurationEntries(*loaded.root()),
                                                       configurationEntries(*reread.root()));
        for (const auto& difference : differences) {
            ADD_FAILURE() << differenceText(difference);
        }
    }
    unsetenv("TARN_PORTS_DIR");
}

}  // namespace
}  // namespace tarn
