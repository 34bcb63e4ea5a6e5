#include "ui/app/X11KeyRepeat.h"

#include <QGuiApplication>
#include <X11/XKBlib.h>

namespace qx44 {

bool X11KeyRepeat::MakeDetectable() {
    const auto* x11 = qGuiApp == nullptr
                          ? nullptr
                          : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->display() == nullptr) {
        return false;
    }
    Bool supported = False;
    return XkbSetDetectableAutoRepeat(x11->display(), True, &supported) && supported;
}

} // namespace qx44
