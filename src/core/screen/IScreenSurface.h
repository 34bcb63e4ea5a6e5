#pragma once

#include "core/common/PixelRect.h"

namespace qx44 {

// The window that shows a screen, as the screen model sees it. The model calls it from whichever
// thread changed the cells, and never while holding its own lock, so an implementation may read
// the screen back (take a snapshot) from inside these calls. The defaults describe a window that
// does not exist yet, which makes every repaint request a no-op.
class IScreenSurface {
public:
    virtual ~IScreenSurface() = default;

    virtual bool WindowExists() const { return false; }
    virtual PixelRect ClientRect() const { return {}; }
    virtual void InvalidateRect(const PixelRect& rect) { static_cast<void>(rect); }
    virtual void InvalidateWindow() {}
    // Painting was held and paints were refused meanwhile; the window must now make up for
    // them. Repainting the whole window does; a window that kept the areas it put off may
    // repaint just those, which leaves a picture drawn during the hold in place.
    virtual void RepaintHeld() { InvalidateWindow(); }
};

} // namespace qx44
