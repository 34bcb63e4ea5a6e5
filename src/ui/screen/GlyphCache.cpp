#include "ui/screen/GlyphCache.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
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

// Text layout turns controls into tabs and line breaks and hides format characters such as the
// soft hyphen, yet the station's code page 437 font has glyphs there (byte 0x0A is a picture,
// 0xAD an inverted exclamation mark); such a character is drawn by its glyph, if the font has one.
bool LayoutSwallows(QChar character) {
    return character.category() == QChar::Other_Control ||
           character.category() == QChar::Other_Format;
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
