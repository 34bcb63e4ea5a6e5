#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRgb>
#include <cstdint>
#include <functional>
#include <unordered_map>

class QPainter;

namespace qx44 {

// Rendered glyphs of the screen font, one small image per character and colour. Shaping and
// rasterising a character is what costs in text drawing; a screen shows few distinct
// (character, colour) pairs, so after the first paint every glyph is a plain image copy.
class GlyphCache {
public:
    struct Glyph {
        // The glyph with its anti-aliased edges, on a transparent background.
        QImage image;
        // Where the top-left corner of the character's line box (advance wide, line height
        // tall) lies in the image; ink may reach beyond that box.
        QPoint origin;
        int advance = 0;
        // Nothing to draw: a space-like character.
        bool blank = true;
    };

    // Past this many glyphs the cache starts over, so that a host cycling through colours and
    // characters cannot make it grow without end.
    static constexpr std::size_t kMaxGlyphs = 4096;

    // Forgets every glyph when the font differs from the current one.
    void SetFont(const QFont& font);
    const QFont& Font() const { return font_; }
    int LineHeight() const { return lineHeight_; }

    const Glyph& Get(char16_t code, QRgb colour);
    std::size_t Size() const { return glyphs_.size(); }

private:
    Glyph Render(char16_t code, QRgb colour) const;
    // An image holding the line box (advance wide) and the ink (relative to the baseline), on
    // which draw paints the character at the baseline point it is given.
    Glyph Paint(int advance, const QRect& ink, QRgb colour,
                const std::function<void(QPainter&, QPoint)>& draw) const;

    QFont font_;
    int ascent_ = 0;
    int lineHeight_ = 0;
    std::unordered_map<std::uint64_t, Glyph> glyphs_;
};

} // namespace qx44
