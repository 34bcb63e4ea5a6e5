#pragma once

#include "core/common/PixelPoint.h"
#include "core/common/PixelRect.h"
#include "core/screen/RgbColor.h"

namespace qx44 {

// What painting a screen needs from a drawing surface. The screen painter only ever asks for
// these things, so a test can record a paint exactly and a window can draw it however is
// fastest.
class IPainter {
public:
    virtual ~IPainter() = default;

    virtual void FillRect(const PixelRect& rect, RgbColor colour) = 0;
    // A one-pixel solid line, always horizontal or vertical, that covers `from` and stops one
    // pixel short of `to`, as a pen line does; `from` equal to `to` covers nothing.
    virtual void Line(PixelPoint from, PixelPoint to, RgbColor colour) = 0;
    // One UTF-16 unit in the screen font, centred in `cell` on a single line and cut off at the
    // cell's edges.
    virtual void Glyph(const PixelRect& cell, char16_t code, RgbColor colour) = 0;
    // The same glyph on a cell that holds only its background so far, so a surface may draw
    // cell and glyph together in one go; the pixels are those of Glyph. Called for nearly every
    // cell, so the colours come by reference: passing three-byte values packs them anew per call.
    virtual void GlyphOnBackground(const PixelRect& cell, char16_t code, const RgbColor& colour,
                                   const RgbColor& background) {
        static_cast<void>(background);
        Glyph(cell, code, colour);
    }
    // Whether GlyphOnBackground draws the cell's background as well, so that the painter need
    // not fill it first.
    virtual bool DrawsWholeCells() const { return false; }
};

} // namespace qx44
