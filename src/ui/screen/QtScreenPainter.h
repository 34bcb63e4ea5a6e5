#pragma once

#include "core/screen/IPainter.h"

class QPainter;

namespace qx44 {

class GlyphCache;

// The screen painter's drawing surface on a QPainter. Lines and fills are pixel rectangles, so
// nothing is anti-aliased and every line lands exactly where the station's pen put it; glyphs
// come from the cache and are cut to their cell by copying only the part that lies inside it.
class QtScreenPainter : public IPainter {
public:
    QtScreenPainter(QPainter& painter, GlyphCache& glyphs) : painter_(painter), glyphs_(glyphs) {}

    void FillRect(const PixelRect& rect, RgbColor colour) override;
    void Line(PixelPoint from, PixelPoint to, RgbColor colour) override;
    void Glyph(const PixelRect& cell, char16_t code, RgbColor colour) override;

private:
    QPainter& painter_;
    GlyphCache& glyphs_;
};

} // namespace qx44
