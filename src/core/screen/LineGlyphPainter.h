#pragma once

#include "core/screen/IPainter.h"

#include <cstdint>

namespace qx44 {

// Frames, boxes and tables are drawn with pen strokes rather than font glyphs, so that each piece
// reaches the edges of its cell and neighbouring pieces join whatever the font and cell size.
// This covers the frame and line pieces (128 to 133 and the code page 437 lines); the bevel
// pieces of the table styles are BevelGlyphPainter's, reached through the same Paint.
class LineGlyphPainter {
public:
    LineGlyphPainter() = delete;

    static bool IsLineCode(std::uint32_t code);
    // Fills the cell with the attribute's background, then draws the piece. A code that is not a
    // line code gets the fill only.
    static void Paint(std::uint32_t code, const PixelRect& cell, int attribute, IPainter& painter);
};

} // namespace qx44
