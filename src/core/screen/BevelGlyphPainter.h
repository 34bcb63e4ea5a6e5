#pragma once

#include "core/screen/IPainter.h"

#include <cstdint>

namespace qx44 {

// The raised and sunken table pieces (2048 to 2062 and 2112 to 2126). They are drawn in fixed
// white, grey and dark over the cell's background, whatever the attribute's foreground, and some
// of their bands start on the cell's right or bottom edge and so draw their first line just
// outside the cell; painting order covers that line again where a neighbour repaints it.
class BevelGlyphPainter {
public:
    BevelGlyphPainter() = delete;

    static bool IsBevelCode(std::uint32_t code);
    // Draws the piece's bands and corners; the cell's background is the caller's.
    static void Paint(std::uint32_t code, const PixelRect& cell, IPainter& painter);
};

} // namespace qx44
