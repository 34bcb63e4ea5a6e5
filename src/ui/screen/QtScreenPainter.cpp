#include "ui/screen/QtScreenPainter.h"

#include "ui/screen/GlyphCache.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

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
constexpr std::size_t kPiece = 16;

void CopyLine(const uchar* from, uchar* to, std::size_t bytes) {
    if (bytes < kPiece) {
        std::memcpy(to, from, bytes);
        return;
    }
    for (std::size_t i = 0; i + kPiece < bytes; i += kPiece) {
        std::memcpy(to + i, from + i, kPiece);
    }
    std::memcpy(to + bytes - kPiece, from + bytes - kPiece, kPiece);
}

// The lines of a cell `kWidth` pixels wide: with the width known when compiled, each line is a
// few vector moves in a row, without the loop over its pieces and the branches that end it.
template <std::size_t kWidth>
void CopyFixedLines(const uchar* from, qsizetype fromStride, uchar* to, qsizetype toStride,
                    int lines) {
    constexpr std::size_t kBytes = kWidth * sizeof(QRgb);
    for (int y = 0; y < lines; ++y) {
        if constexpr (kBytes < kPiece) {
            std::memcpy(to, from, kBytes);
        } else {
            [&]<std::size_t... kPieces>(std::index_sequence<kPieces...>) {
                (std::memcpy(to + kPieces * kPiece, from + kPieces * kPiece, kPiece), ...);
            }
            (std::make_index_sequence<kBytes / kPiece>{});
            if constexpr (kBytes % kPiece != 0) {
                std::memcpy(to + kBytes - kPiece, from + kBytes - kPiece, kPiece);
            }
        }
        from += fromStride;
        to += toStride;
    }
}

using CopyLines = void (*)(const uchar* from, qsizetype fromStride, uchar* to, qsizetype toStride,
                           int lines);

// Cells up to this wide (an 80-column grid on a window 3840 pixels wide) take a copy of their own
// width; wider ones are copied piece by piece.
constexpr int kFixedWidths = 48;
constexpr auto kFixedCopies = []<std::size_t... kWidths>(std::index_sequence<kWidths...>) {
    return std::array<CopyLines, sizeof...(kWidths)>{&CopyFixedLines<kWidths + 1>...};
}
(std::make_index_sequence<kFixedWidths>{});

void CopyCellLines(const uchar* from, qsizetype fromStride, uchar* to, qsizetype toStride,
                   int width, int lines) {
    if (width <= kFixedWidths) {
        kFixedCopies[width - 1](from, fromStride, to, toStride, lines);
        return;
    }
    const auto bytes = static_cast<std::size_t>(width) * sizeof(QRgb);
    for (int y = 0; y < lines; ++y) {
        CopyLine(from, to, bytes);
        from += fromStride;
        to += toStride;
    }
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
        bounds_ = {0, 0, image.width(), image.height()};
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

void QtScreenPainter::GlyphOnBackground(const PixelRect& cell, char16_t code,
                                        const RgbColor& colour, const RgbColor& background) {
    if (bits_ == nullptr) {
        Glyph(cell, code, colour);
        return;
    }
    // The cells gathered so far hold tiles that a new one may take the place of.
    if (glyphs_.TilesFull()) {
        Flush();
    }
    const GlyphCache::TilePixels tile =
        glyphs_.Tile(code, qRgb(colour.red, colour.green, colour.blue),
                     qRgb(background.red, background.green, background.blue),
                     QSize(cell.Width(), cell.Height()));
    if (clip_.empty() && cell.Intersected(bounds_) == cell) {
        if (pendingCount_ == kMaxPending ||
            (pendingCount_ != 0 &&
             (cell.top != pending_[0].cell.top || cell.bottom != pending_[0].cell.bottom))) {
            Flush();
        }
        pending_[pendingCount_++] = {tile, cell};
        return;
    }
    Flush();
    if (clip_.empty()) {
        Copy(tile, cell, bounds_);
        return;
    }
    for (const QRect& clip : clip_) {
        Copy(tile, cell,
             bounds_.Intersected({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1}));
    }
}

void QtScreenPainter::Flush() {
    const std::span<const PendingCell> cells(pending_.data(), pendingCount_);
    pendingCount_ = 0;
    if (cells.empty()) {
        return;
    }
    // The gathered cells share their top and bottom and lie inside the image, so a band's lines
    // are the same for each of them.
    const int top = cells.front().cell.top;
    const int bottom = cells.front().cell.bottom;
    for (int band = top; band < bottom; band += kBandLines) {
        const int lines = std::min(kBandLines, bottom - band);
        uchar* const line = bits_ + band * stride_;
        for (const PendingCell& pending : cells) {
            CopyCellLines(pending.tile.bits + (band - top) * pending.tile.stride,
                          pending.tile.stride, line + pending.cell.left * qsizetype{sizeof(QRgb)},
                          stride_, pending.cell.Width(), lines);
        }
    }
}

void QtScreenPainter::Copy(const GlyphCache::TilePixels& tile, const PixelRect& cell,
                           const PixelRect& clip) {
    const PixelRect part = cell.Intersected(clip);
    if (part.IsEmpty()) {
        return;
    }
    const uchar* from = tile.bits + (part.top - cell.top) * tile.stride +
                        (part.left - cell.left) * qsizetype{sizeof(QRgb)};
    uchar* to = bits_ + part.top * stride_ + part.left * qsizetype{sizeof(QRgb)};
    CopyCellLines(from, tile.stride, to, stride_, part.Width(), part.Height());
}

} // namespace qx44
