// The state of the keyboard's lock keys, for the status bar's indicators.
#pragma once

#include <filesystem>

namespace tarn {

struct LockKeys {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

// From the X server when the program runs on X11, else from the kernel's
// keyboard lights; all off when neither can tell.
LockKeys readLockKeys();

// The kernel's keyboard lights under `leds` (/sys/class/leds): a key counts
// as on when the light of any keyboard ("input3::capslock", ...) is on.
LockKeys readLockKeyLights(const std::filesystem::path& leds);

}  // namespace tarn
