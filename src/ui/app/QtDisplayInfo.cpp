#include "ui/app/QtDisplayInfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace qx44 {

bool QtDisplayInfo::GetDisplayMode(int& width, int& height, int& bitsPerPixel,
                                   int& frequency) const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return false;
    }
    const QSize size = screen->size() * screen->devicePixelRatio();
    width = size.width();
    height = size.height();
    bitsPerPixel = screen->depth();
    frequency = static_cast<int>(std::lround(screen->refreshRate()));
    return true;
}

} // namespace qx44
