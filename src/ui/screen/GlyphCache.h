#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRgb>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

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
    // Tiles come in each pair of colours and each of the (up to four) cell sizes of a grid, so
    // they are allowed more than glyphs; their pixels, large on a big window in a coarse grid,
    // are kept within a budget.
    static constexpr std::size_t kMaxTiles = 4 * kMaxGlyphs;
    static constexpr qsizetype kMaxTileBytes = 32 * 1024 * 1024;

    // Forgets every glyph when the font differs from the current one.
    void SetFont(const QFont& font);
    const QFont& Font() const { return font_; }
    int LineHeight() const { return lineHeight_; }

    const Glyph& Get(char16_t code, QRgb colour);
    std::size_t Size() const { return glyphs_.size(); }

    // Where a glyph goes when centred in `cell`; what lies outside the cell is cut off.
    QRect Placed(const Glyph& glyph, const QRect& cell) const;
    // A whole cell of `size`: the glyph drawn on its background colour, exactly as painting the
    // background and then the glyph gives it (RGB32).
    // The pixels are the cache's: they stay valid until the font changes or a tile is made while
    // the tiles are full.
    struct TilePixels {
        const uchar* bits = nullptr;
        qsizetype stride = 0;
    };
    TilePixels Tile(char16_t code, QRgb colour, QRgb background, QSize size);
    bool TilesFull() const { return tiles_.size() >= kMaxTiles || tileBytes_ >= kMaxTileBytes; }

private:
    Glyph Render(char16_t code, QRgb colour) const;
    void ForgetTiles();
    // An image holding the line box (advance wide) and the ink (relative to the baseline), on
    // which draw paints the character at the baseline point it is given.
    Glyph Paint(int advance, const QRect& ink, QRgb colour,
                const std::function<void(QPainter&, QPoint)>& draw) const;

    QFont font_;
    int ascent_ = 0;
    int lineHeight_ = 0;
    std::unordered_map<std::uint64_t, Glyph> glyphs_;

    struct TileKey {
        std::uint64_t glyph = 0; // code and colour, as the glyphs' key
        std::uint64_t look = 0;  // background and size
        friend bool operator==(const TileKey&, const TileKey&) = default;
    };
    // The tiles themselves; a tile's pixels stay where they are when the list grows.
    std::vector<QImage> tiles_;
    // Every tile's pixels by key, open-addressed and at most half full, so that the lookup every
    // cell of a paint makes is a probe or two in a table small enough to stay in the cache.
    struct TileSlot {
        TileKey key;
        TilePixels pixels;
    };
    static constexpr std::size_t kFirstTileSlots = 1024;
    // The slot of `key` in the table, or the free one where it belongs.
    std::size_t FindSlot(const TileKey& key) const;
    void GrowTileSlots();
    std::vector<TileSlot> tileSlots_;
    // The tile asked for last: a run of equal cells, as a host's text often is, takes it again
    // without a lookup. Empty (no pixels) when the tiles are forgotten.
    TileSlot lastTile_;
    qsizetype tileBytes_ = 0;
};

} // namespace qx44
