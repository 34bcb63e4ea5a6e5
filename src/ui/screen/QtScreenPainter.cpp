#include "ui/screen/QtScreenPainter.h"

#include "ui/screen/GlyphCache.h"

#include <QPainter>
#include <algorithm>

namespace qx44 {

namespace {

QColor ToQColor(RgbColor colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// The pixels a pen line covers along one axis: from `from` up to, not including, `to`.
std::pair<int, int> Covered(int from, int to) {
    return from <= to ? std::pair{from, to - from} : std::pair{to + 1, from - to};
}

} // namespace

void QtScreenPainter::FillRect(const PixelRect& rect, RgbColor colour) {
    if (!rect.IsEmpty()) {
        painter_.fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                          ToQColor(colour));
    }
}

void QtScreenPainter::Line(PixelPoint from, PixelPoint to, RgbColor colour) {
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
    const GlyphCache::Glyph& glyph = glyphs_.Get(code, qRgb(colour.red, colour.green, colour.blue));
    if (glyph.blank) {
        return;
    }
    const QPoint lineBox(cell.left + (cell.Width() - glyph.advance) / 2,
                         cell.top + (cell.Height() - glyphs_.LineHeight()) / 2);
    const QRect placed(lineBox - glyph.origin, glyph.image.size());
    const QRect visible = placed & QRect(cell.left, cell.top, cell.Width(), cell.Height());
    if (!visible.isEmpty()) {
        painter_.drawImage(visible.topLeft(), glyph.image, visible.translated(-placed.topLeft()));
    }
}

} // namespace qx44
