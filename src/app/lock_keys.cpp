#include "app/lock_keys.h"

#include <QGuiApplication>
#include <fstream>
#include <string>
#include <system_error>

#ifdef TARN_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace tarn {
namespace {

#ifdef TARN_HAVE_X11
bool readFromX11(LockKeys& keys) {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) {
        return false;
    }
    const auto indicator = [display](const char* name) {
        Bool on = False;
        const Atom atom = XInternAtom(display, name, True);
        if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) {
            return false;
        }
        return on != False;
    };
    keys.capsLock = indicator("Caps Lock");
    keys.numLock = indicator("Num Lock");
    keys.scrollLock = indicator("Scroll Lock");
    return true;
}
#endif

bool lightOn(const std::filesystem::path& light) {
    std::ifstream brightness(light / "brightness");
    int value = 0;
    return brightness >> value && value > 0;
}

}  // namespace

LockKeys readLockKeyLights(const std::filesystem::path& leds) {
    LockKeys keys;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(leds, ec)) {
        const std::string name = entry.path().filename().string();
        const auto colons = name.rfind("::");
        if (colons == std::string::npos || !lightOn(entry.path())) {
            continue;
        }
        const std::string function = name.substr(colons + 2);
        keys.capsLock = keys.capsLock || function == "capslock";
        keys.numLock = keys.numLock || function == "numlock";
        keys.scrollLock = keys.scrollLock || function == "scrolllock";
    }
    return keys;
}

LockKeys readLockKeys() {
    LockKeys keys;
#ifdef TARN_HAVE_X11
    if (readFromX11(keys)) {
        return keys;
    }
#endif
    return readLockKeyLights("/sys/class/leds");
}

}  // namespace tarn
