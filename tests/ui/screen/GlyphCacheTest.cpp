#include "ui/screen/GlyphCache.h"

#include "ui/UiTestSupport.h"
#include "ui/screen/ScreenFont.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

class GlyphCacheTest : public ::testing::Test {
protected:
    GlyphCacheTest() {
        uitest::EnsureApplication();
        glyphs.SetFont(ScreenFont::Make({"Courier New", 17, 9, 700}));
    }

    // The colour of the most opaque pixel of a glyph, as drawn onto black.
    static QColor Ink(const GlyphCache::Glyph& glyph) {
        QColor ink(Qt::black);
        int alpha = 0;
        for (int y = 0; y < glyph.image.height(); ++y) {
            for (int x = 0; x < glyph.image.width(); ++x) {
                const QColor pixel = glyph.image.pixelColor(x, y);
                if (pixel.alpha() > alpha) {
                    alpha = pixel.alpha();
                    ink = pixel;
                }
            }
        }
        return ink;
    }

    GlyphCache glyphs;
};

TEST_F(GlyphCacheTest, GlyphsComeInTheColourAskedFor) {
    const struct {
        char16_t code;
        QRgb colour;
    } rows[] = {{u'A', qRgb(255, 255, 255)}, {u'A', qRgb(255, 0, 0)}, {u'#', qRgb(0, 255, 0)}};
    for (const auto& row : rows) {
        const GlyphCache::Glyph& glyph = glyphs.Get(row.code, row.colour);
        EXPECT_FALSE(glyph.blank);
        EXPECT_EQ(Ink(glyph).rgb(), row.colour);
        EXPECT_EQ(glyph.advance, 9);
    }
}

TEST_F(GlyphCacheTest, CharactersWithoutInkAreBlank) {
    EXPECT_TRUE(glyphs.Get(u' ', qRgb(255, 255, 255)).blank);
    EXPECT_TRUE(glyphs.Get(u'\u00A0', qRgb(255, 255, 255)).blank);
    EXPECT_FALSE(glyphs.Get(u'\u4E2D', qRgb(255, 255, 255)).blank);
}

TEST_F(GlyphCacheTest, StaysWithinItsBoundHoweverManyGlyphsAHostAsksFor) {
    for (char16_t code = 0x21; code < 0x21 + 40; ++code) {
        for (int colour = 0; colour < 200; ++colour) {
            glyphs.Get(code, qRgb(colour, 0, 0));
            ASSERT_LE(glyphs.Size(), GlyphCache::kMaxGlyphs);
        }
    }
    EXPECT_EQ(Ink(glyphs.Get(u'Z', qRgb(0, 0, 255))).rgb(), qRgb(0, 0, 255));
}

TEST_F(GlyphCacheTest, ANewFontStartsAfresh) {
    glyphs.Get(u'A', qRgb(255, 255, 255));
    glyphs.SetFont(ScreenFont::Make({"Courier New", 30, 18, 700}));
    EXPECT_EQ(glyphs.Size(), 0u);
    EXPECT_NEAR(glyphs.Get(u'A', qRgb(255, 255, 255)).advance, 18, 1);
}

} // namespace
} // namespace qx44
