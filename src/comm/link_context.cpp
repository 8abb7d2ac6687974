#include "comm/link_context.h"

namespace tarn {

void LinkContext::noteTimeout() {
    std::uint32_t current = runResultCode_.load();
    while (current != kRunLineFault &&
           !runResultCode_.compare_exchange_weak(current, kRunTimeout)) {
    }
}

void LinkContext::noteAnswerTaken() {
    std::uint32_t expected = kRunTimeout;
    runResultCode_.compare_exchange_strong(expected, kRunLineFault);
}

}  // namespace tarn
