// What instantiating a parameter tree needs besides the branches: where to
// tell the user something, and the table of the module's eight outputs.
#pragma once

#include <array>

#include "model/parameter.h"

namespace tarn {

class UserInteraction;

// Owned by the document for as long as the tree lives: every "POUt"
// parameter keeps a pointer to its slot of `outputs` and clears it when the
// parameter goes, so the context must outlive the tree built with it.
struct InstantiationContext {
    static constexpr int kOutputCount = 8;

    explicit InstantiationContext(UserInteraction& userInteraction) : ui(userInteraction) {}
    InstantiationContext(const InstantiationContext&) = delete;
    InstantiationContext& operator=(const InstantiationContext&) = delete;

    UserInteraction& ui;
    // The "POUt" parameter of each output, indexed by its linear index.
    std::array<Parameter*, kOutputCount> outputs{};
};

}  // namespace tarn
