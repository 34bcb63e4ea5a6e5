#include "ui/screen/GlyphCache.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QString>
#include <algorithm>
#include <utility>

namespace qx44 {

namespace {

// Room for anti-aliased edges that the metrics do not count as ink.
constexpr int kEdge = 1;

bool HasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0) {
                return true;
            }
        }
    }
    return false;
}

// Text layout turns controls into tabs and line breaks and hides format characters such as the
// soft hyphen, yet the station's code page 437 font has glyphs there (byte 0x0A is a picture,
// 0xAD an inverted exclamation mark); such a character is drawn by its glyph, if the font has one.
bool LayoutSwallows(QChar character) {
    return character.category() == QChar::Other_Control ||
           character.category() == QChar::Other_Format;
}

// A premultiplied pixel over an opaque one, with the rounding of QPainter's own source-over
// blend, so that a tile shows exactly what drawing the glyph on its background shows. Tiles are
// made this way because a screen in many colours needs many of them, and a QPainter for each
// would cost more than the paint it saves.
QRgb SourceOver(QRgb source, QRgb destination) {
    const unsigned alpha = qAlpha(source);
    if (alpha == 255) {
        return source;
    }
    if (source == 0) {
        return destination;
    }
    const unsigned rest = 255 - alpha;
    unsigned low = (destination & 0xFF00FFu) * rest;
    low = ((low + ((low >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
    unsigned high = ((destination >> 8) & 0xFF00FFu) * rest;
    high = (high + ((high >> 8) & 0xFF00FFu) + 0x800080u) & 0xFF00FF00u;
    return source + (high | low);
}

} // namespace

void GlyphCache::SetFont(const QFont& font) {
    if (font == font_ && lineHeight_ != 0) {
        return;
    }
    font_ = font;
    const QFontMetrics metrics(font_);
    ascent_ = metrics.ascent();
    lineHeight_ = metrics.height();
    glyphs_.clear();
    ForgetTiles();
}

void GlyphCache::ForgetTiles() {
    tiles_.clear();
    std::fill(tileSlots_.begin(), tileSlots_.end(), TileSlot{});
    tileBytes_ = 0;
    lastTile_ = {};
}

const GlyphCache::Glyph& GlyphCache::Get(char16_t code, QRgb colour) {
    const std::uint64_t key = (std::uint64_t{code} << 32) | colour;
    if (const auto found = glyphs_.find(key); found != glyphs_.end()) {
        return found->second;
    }
    if (glyphs_.size() >= kMaxGlyphs) {
        glyphs_.clear();
    }
    return glyphs_.emplace(key, Render(code, colour)).first->second;
}

QRect GlyphCache::Placed(const Glyph& glyph, const QRect& cell) const {
    const QPoint lineBox(cell.left() + (cell.width() - glyph.advance) / 2,
                         cell.top() + (cell.height() - lineHeight_) / 2);
    return QRect(lineBox - glyph.origin, glyph.image.size());
}

GlyphCache::TilePixels GlyphCache::Tile(char16_t code, QRgb colour, QRgb background, QSize size) {
    const TileKey key{(std::uint64_t{code} << 32) | colour,
                      (std::uint64_t{background & 0xFFFFFFu} << 32) |
                          (std::uint64_t(size.width() & 0xFFFF) << 16) |
                          std::uint64_t(size.height() & 0xFFFF)};
    if (lastTile_.pixels.bits != nullptr && lastTile_.key == key) {
        return lastTile_.pixels;
    }
    if (2 * (tiles_.size() + 1) > tileSlots_.size()) {
        GrowTileSlots();
    }
    std::size_t slot = FindSlot(key);
    if (tileSlots_[slot].pixels.bits != nullptr) {
        lastTile_ = tileSlots_[slot];
        return lastTile_.pixels;
    }
    QImage tile(size, QImage::Format_RGB32);
    tile.fill(background);
    const Glyph& glyph = Get(code, colour);
    if (!glyph.blank) {
        const QRect cell(QPoint(0, 0), size);
        const QRect placed = Placed(glyph, cell);
        const QRect visible = placed & cell;
        for (int y = visible.top(); y <= visible.bottom(); ++y) {
            const auto* from =
                reinterpret_cast<const QRgb*>(glyph.image.constScanLine(y - placed.top())) +
                (visible.left() - placed.left());
            auto* to = reinterpret_cast<QRgb*>(tile.scanLine(y)) + visible.left();
            for (int x = 0; x < visible.width(); ++x) {
                to[x] = SourceOver(from[x], to[x]);
            }
        }
    }
    if (TilesFull()) {
        ForgetTiles();
        slot = FindSlot(key);
    }
    tileBytes_ += tile.sizeInBytes();
    const QImage& made = tiles_.emplace_back(std::move(tile));
    tileSlots_[slot] = {key, {made.constBits(), made.bytesPerLine()}};
    lastTile_ = tileSlots_[slot];
    return lastTile_.pixels;
}

std::size_t GlyphCache::FindSlot(const TileKey& key) const {
    const std::size_t mask = tileSlots_.size() - 1;
    std::uint64_t spread = key.glyph * 0x9E3779B97F4A7C15ull ^ key.look * 0xC2B2AE3D27D4EB4Full;
    spread ^= spread >> 32;
    std::size_t slot = static_cast<std::size_t>(spread) & mask;
    while (tileSlots_[slot].pixels.bits != nullptr && !(tileSlots_[slot].key == key)) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

void GlyphCache::GrowTileSlots() {
    const std::vector<TileSlot> old = std::exchange(
        tileSlots_, std::vector<TileSlot>(std::max(kFirstTileSlots, 2 * tileSlots_.size())));
    for (const TileSlot& entry : old) {
        if (entry.pixels.bits != nullptr) {
            tileSlots_[FindSlot(entry.key)] = entry;
        }
    }
}

GlyphCache::Glyph GlyphCache::Render(char16_t code, QRgb colour) const {
    const QString text(QChar(static_cast<char16_t>(code)));
    if (LayoutSwallows(QChar(code))) {
        const QRawFont raw = QRawFont::fromFont(font_);
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(raw.glyphIndexesForString(text));
        // Glyph 0 is the font's "missing" glyph: nothing to draw.
        if (run.glyphIndexes().size() != 1 || run.glyphIndexes().front() == 0) {
            return {};
        }
        run.setPositions({QPointF(0, 0)});
        const quint32 index = run.glyphIndexes().front();
        return Paint(
            qRound(raw.advancesForGlyphIndexes({index}).front().x()),
            raw.boundingRect(index).toAlignedRect(), colour,
            [&](QPainter& painter, QPoint baseline) { painter.drawGlyphRun(baseline, run); });
    }
    const QFontMetrics metrics(font_);
    return Paint(metrics.horizontalAdvance(text), metrics.boundingRect(text), colour,
                 [&](QPainter& painter, QPoint baseline) {
                     painter.setFont(font_);
                     painter.drawText(baseline, text);
                 });
}

GlyphCache::Glyph GlyphCache::Paint(int advance, const QRect& ink, QRgb colour,
                                    const std::function<void(QPainter&, QPoint)>& draw) const {
    Glyph glyph;
    glyph.advance = advance;
    const QRect lineBox(0, 0, std::max(advance, 1), std::max(lineHeight_, 1));
    const QRect box =
        lineBox.united(ink.translated(0, ascent_)).adjusted(-kEdge, -kEdge, kEdge, kEdge);
    glyph.origin = -box.topLeft();
    glyph.image = QImage(box.size(), QImage::Format_ARGB32_Premultiplied);
    glyph.image.fill(Qt::transparent);
    {
        QPainter painter(&glyph.image);
        painter.setPen(QColor::fromRgb(colour));
        draw(painter, QPoint(glyph.origin.x(), glyph.origin.y() + ascent_));
    }
    glyph.blank = !HasInk(glyph.image);
    return glyph;
}

} // namespace qx44
