#include "ui/screen/QtScreenPainter.h"

#include "ui/screen/GlyphCache.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace qx44 {

namespace {

QColor ToQColor(RgbColor colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// The pixels a pen line covers along one axis: from `from` up to, not including, `to`.
std::pair<int, int> Covered(int from, int to) {
    return from <= to ? std::pair{from, to - from} : std::pair{to + 1, from - to};
}

// A cell's line is a few dozen bytes: copied inline in 16-byte pieces, the last one
// overlapping, since a library call per line costs more than the copy.
void CopyLine(const uchar* from, uchar* to, std::size_t bytes) {
    constexpr std::size_t kPiece = 16;
    if (bytes < kPiece) {
        std::memcpy(to, from, bytes);
        return;
    }
    for (std::size_t i = 0; i + kPiece < bytes; i += kPiece) {
        std::memcpy(to + i, from + i, kPiece);
    }
    std::memcpy(to + bytes - kPiece, from + bytes - kPiece, kPiece);
}

} // namespace

QtScreenPainter::QtScreenPainter(QPainter& painter, GlyphCache& glyphs, QImage& image,
                                 std::span<const QRect> clip)
    : painter_(painter), glyphs_(glyphs), clip_(clip) {
    // Only an image of 32-bit pixels takes the cells' copies as they are.
    if (image.format() == QImage::Format_RGB32 ||
        image.format() == QImage::Format_ARGB32_Premultiplied) {
        bits_ = image.bits();
        stride_ = image.bytesPerLine();
        bounds_ = image.rect();
    }
}

void QtScreenPainter::FillRect(const PixelRect& rect, RgbColor colour) {
    Flush();
    if (!rect.IsEmpty()) {
        painter_.fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                          ToQColor(colour));
    }
}

void QtScreenPainter::Line(PixelPoint from, PixelPoint to, RgbColor colour) {
    Flush();
    // The screen painter draws only horizontal and vertical lines.
    if (from.x == to.x) {
        const auto [top, length] = Covered(from.y, to.y);
        painter_.fillRect(QRect(from.x, top, 1, length), ToQColor(colour));
    } else {
        const auto [left, length] = Covered(from.x, to.x);
        painter_.fillRect(QRect(left, from.y, length, 1), ToQColor(colour));
    }
}

void QtScreenPainter::Glyph(const PixelRect& cell, char16_t code, RgbColor colour) {
    Flush();
    const GlyphCache::Glyph& glyph = glyphs_.Get(code, qRgb(colour.red, colour.green, colour.blue));
    if (glyph.blank) {
        return;
    }
    const QRect box(cell.left, cell.top, cell.Width(), cell.Height());
    const QRect placed = glyphs_.Placed(glyph, box);
    const QRect visible = placed & box;
    if (!visible.isEmpty()) {
        painter_.drawImage(visible.topLeft(), glyph.image, visible.translated(-placed.topLeft()));
    }
}

void QtScreenPainter::GlyphOnBackground(const PixelRect& cell, char16_t code, RgbColor colour,
                                        RgbColor background) {
    if (bits_ == nullptr) {
        Glyph(cell, code, colour);
        return;
    }
    // The cells gathered so far hold tiles that a new one may take the place of.
    if (glyphs_.TilesFull()) {
        Flush();
    }
    const QRect box(cell.left, cell.top, cell.Width(), cell.Height());
    const GlyphCache::TilePixels tile =
        glyphs_.Tile(code, qRgb(colour.red, colour.green, colour.blue),
                     qRgb(background.red, background.green, background.blue), box.size());
    if (clip_.empty()) {
        Defer(tile, box);
        return;
    }
    for (const QRect& clip : clip_) {
        Copy(tile, box, clip);
    }
}

void QtScreenPainter::Defer(const GlyphCache::TilePixels& tile, const QRect& cell) {
    // Only a cell wholly inside the image, in the row being gathered, joins it.
    if (!bounds_.contains(cell)) {
        Flush();
        Copy(tile, cell, bounds_);
        return;
    }
    if (pendingCount_ == kMaxPending ||
        (pendingCount_ != 0 && (cell.top() != pendingTop_ || cell.height() != pendingHeight_))) {
        Flush();
    }
    pendingTop_ = cell.top();
    pendingHeight_ = cell.height();
    pending_[pendingCount_++] = {tile, cell.left(), cell.width()};
}

void QtScreenPainter::Flush() {
    const std::span<PendingCell> cells(pending_.data(), pendingCount_);
    pendingCount_ = 0;
    for (int line = 0; line < pendingHeight_ && !cells.empty(); ++line) {
        uchar* to = bits_ + (pendingTop_ + line) * stride_;
        for (const PendingCell& cell : cells) {
            CopyLine(cell.tile.bits + line * cell.tile.stride,
                     to + cell.left * qsizetype{sizeof(QRgb)},
                     static_cast<std::size_t>(cell.width) * sizeof(QRgb));
        }
    }
}

void QtScreenPainter::Copy(const GlyphCache::TilePixels& tile, const QRect& cell,
                           const QRect& clip) {
    const QRect part = cell & clip & bounds_;
    if (part.isEmpty()) {
        return;
    }
    const auto bytes = static_cast<std::size_t>(part.width()) * sizeof(QRgb);
    const uchar* from = tile.bits + (part.top() - cell.top()) * tile.stride +
                        (part.left() - cell.left()) * qsizetype{sizeof(QRgb)};
    uchar* to = bits_ + part.top() * stride_ + part.left() * qsizetype{sizeof(QRgb)};
    for (int y = part.top(); y <= part.bottom(); ++y) {
        CopyLine(from, to, bytes);
        from += tile.stride;
        to += stride_;
    }
}

} // namespace qx44
