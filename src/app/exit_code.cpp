#include "app/exit_code.h"

namespace tarn {

int exitCodeFor(std::uint32_t runResultCode, int normalCode) {
    for (int bit = 0; bit < 32; ++bit) {
        if ((runResultCode & (1U << bit)) != 0) {
            return 200 + bit;
        }
    }
    return normalCode;
}

}  // namespace tarn
