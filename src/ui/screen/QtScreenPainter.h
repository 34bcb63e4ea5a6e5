#pragma once

#include "core/screen/IPainter.h"
#include "ui/screen/GlyphCache.h"

#include <QRect>
#include <QtGlobal>
#include <array>
#include <span>

class QImage;
class QPainter;

namespace qx44 {

// The screen painter's drawing surface on a QPainter. Lines and fills are pixel rectangles, so
// nothing is anti-aliased and every line lands exactly where the station's pen put it; glyphs
// come from the cache and are cut to their cell by copying only the part that lies inside it.
class QtScreenPainter : public IPainter {
public:
    QtScreenPainter(QPainter& painter, GlyphCache& glyphs) : painter_(painter), glyphs_(glyphs) {}
    // Painting into `image`, which `painter` is painting on, inside `clip` (the painter's clip
    // as rectangles; empty for none): a glyph on its background is copied straight into the
    // image as a whole cell, which is what a full screen of text spends its time on.
    QtScreenPainter(QPainter& painter, GlyphCache& glyphs, QImage& image,
                    std::span<const QRect> clip);
    ~QtScreenPainter() override { Flush(); }
    QtScreenPainter(const QtScreenPainter&) = delete;
    QtScreenPainter& operator=(const QtScreenPainter&) = delete;

    void FillRect(const PixelRect& rect, RgbColor colour) override;
    void Line(PixelPoint from, PixelPoint to, RgbColor colour) override;
    void Glyph(const PixelRect& cell, char16_t code, RgbColor colour) override;
    void GlyphOnBackground(const PixelRect& cell, char16_t code, const RgbColor& colour,
                           const RgbColor& background) override;
    bool DrawsWholeCells() const override { return bits_ != nullptr; }

private:
    // Whole cells of one row are gathered and copied across the row in bands of lines: a tall
    // cell copied top to bottom strides over more lines than the cache keeps, and one line at a
    // time across the row reads every tile in pieces. A cell of a small grid is one band.
    struct PendingCell {
        GlyphCache::TilePixels tile;
        PixelRect cell;
    };
    static constexpr std::size_t kMaxPending = 256;
    static constexpr int kBandLines = 24;

    void Flush();
    void Copy(const GlyphCache::TilePixels& tile, const PixelRect& cell, const PixelRect& clip);

    QPainter& painter_;
    GlyphCache& glyphs_;
    // The image's pixels, taken once: asking the image for a line checks for sharing each time.
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    PixelRect bounds_;
    std::span<const QRect> clip_;
    std::array<PendingCell, kMaxPending> pending_;
    std::size_t pendingCount_ = 0;
};

} // namespace qx44
