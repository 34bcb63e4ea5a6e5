#include "ui/screen/GlyphCache.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

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

GlyphCache::Glyph GlyphCache::Render(char16_t code, QRgb colour) const {
    const QString text(QChar(static_cast<char16_t>(code)));
    const QFontMetrics metrics(font_);
    Glyph glyph;
    glyph.advance = metrics.horizontalAdvance(text);
    const QRect lineBox(0, 0, std::max(glyph.advance, 1), std::max(lineHeight_, 1));
    const QRect ink = metrics.boundingRect(text).translated(0, ascent_);
    const QRect box = lineBox.united(ink).adjusted(-kEdge, -kEdge, kEdge, kEdge);
    glyph.origin = -box.topLeft();
    glyph.image = QImage(box.size(), QImage::Format_ARGB32_Premultiplied);
    glyph.image.fill(Qt::transparent);
    {
        QPainter painter(&glyph.image);
        painter.setFont(font_);
        painter.setPen(QColor::fromRgb(colour));
        painter.drawText(QPoint(glyph.origin.x(), glyph.origin.y() + ascent_), text);
    }
    glyph.blank = !HasInk(glyph.image);
    return glyph;
}

} // namespace qx44
