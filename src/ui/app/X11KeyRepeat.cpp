#include "ui/app/X11KeyRepeat.h"

#include <QGuiApplication>
#include <X11/XKBlib.h>

namespace qx44 {

namespace {

Display* X11Display() {
    const auto* x11 = qGuiApp == nullptr
                          ? nullptr
                          : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->display();
}

} // namespace

bool X11KeyRepeat::MakeDetectable() {
    Display* display = X11Display();
    if (display == nullptr) {
        return false;
    }
    Bool supported = False;
    return XkbSetDetectableAutoRepeat(display, True, &supported) && supported;
}

std::optional<KeyRepeater::Settings> X11KeyRepeat::ServerRepeat() {
    Display* display = X11Display();
    if (display == nullptr) {
        return std::nullopt;
    }
    XKeyboardState state{};
    XGetKeyboardControl(display, &state);
    unsigned int delay = 0;
    unsigned int interval = 0;
    if (state.global_auto_repeat != AutoRepeatModeOn ||
        !XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval) || interval == 0) {
        return std::nullopt;
    }
    KeyRepeater::Settings settings;
    settings.delay = std::chrono::milliseconds(delay);
    settings.interval = std::chrono::milliseconds(interval);
    for (std::size_t code = 0; code < settings.repeatedBySystem.size(); ++code) {
        const auto byte = static_cast<unsigned char>(state.auto_repeats[code / 8]);
        settings.repeatedBySystem.set(code, ((byte >> (code % 8)) & 1) != 0);
    }
    return settings;
}

} // namespace qx44
