#include "ui/screen/QtScreenPainter.h"

#include "ui/UiTestSupport.h"
#include "ui/screen/GlyphCache.h"
#include "ui/screen/ScreenFont.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <span>
#include <utility>

namespace qx44 {
namespace {

using uitest::IsColour;

class QtScreenPainterTest : public ::testing::Test {
protected:
    QtScreenPainterTest() {
        uitest::EnsureApplication();
        image.fill(Qt::black);
        glyphs.SetFont(ScreenFont::Make({"Courier New", 17, 9, 700}));
    }

    template <typename Draw> void Paint(Draw draw) {
        QPainter painter(&image);
        QtScreenPainter surface(painter, glyphs);
        draw(surface);
    }

    // The columns of row y that are not black.
    std::vector<int> LitColumns(int y) const {
        std::vector<int> lit;
        for (int x = 0; x < image.width(); ++x) {
            if (!IsColour(image, x, y, Qt::black)) {
                lit.push_back(x);
            }
        }
        return lit;
    }

    QImage image{40, 40, QImage::Format_RGB32};
    GlyphCache glyphs;
};

TEST_F(QtScreenPainterTest, ALineCoversItsStartAndStopsOnePixelShortOfItsEnd) {
    const struct {
        PixelPoint from;
        PixelPoint to;
        std::vector<int> lit;
    } rows[] = {
        {{0, 10}, {12, 10}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {{6, 10}, {-1, 10}, {0, 1, 2, 3, 4, 5, 6}},
        {{6, 10}, {6, 10}, {}},
    };
    for (const auto& row : rows) {
        image.fill(Qt::black);
        Paint([&](IPainter& p) { p.Line(row.from, row.to, {255, 255, 255}); });
        EXPECT_EQ(LitColumns(10), row.lit);
        EXPECT_TRUE(LitColumns(9).empty());
        EXPECT_TRUE(LitColumns(11).empty());
    }
}

TEST_F(QtScreenPainterTest, AVerticalLineCoversTheSameWay) {
    Paint([](IPainter& p) { p.Line({5, 3}, {5, 0}, {255, 0, 0}); });
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(IsColour(image, 5, y, Qt::red), y >= 1 && y <= 3) << y;
    }
}

TEST_F(QtScreenPainterTest, FillsAreExactRectangles) {
    Paint([](IPainter& p) { p.FillRect({2, 3, 5, 7}, {0, 0, 255}); });
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(IsColour(image, x, y, Qt::blue), x >= 2 && x < 5 && y >= 3 && y < 7);
        }
    }
}

TEST_F(QtScreenPainterTest, AGlyphIsCutToItsCell) {
    const PixelRect cell{10, 10, 14, 30};
    Paint([&](IPainter& p) { p.Glyph(cell, u'W', {255, 255, 255}); });
    bool inked = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool inside =
                x >= cell.left && x < cell.right && y >= cell.top && y < cell.bottom;
            if (!inside) {
                ASSERT_TRUE(IsColour(image, x, y, Qt::black)) << x << "," << y;
            } else if (!IsColour(image, x, y, Qt::black)) {
                inked = true;
            }
        }
    }
    EXPECT_TRUE(inked);
}

TEST_F(QtScreenPainterTest, AGlyphIsCentredInItsCell) {
    Paint([](IPainter& p) { p.Glyph({0, 0, 40, 40}, u'O', {255, 255, 255}); });
    int left = 40, right = -1, top = 40, bottom = -1;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (!IsColour(image, x, y, Qt::black)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(right, left);
    EXPECT_NEAR((left + right) / 2.0, 19.5, 1.5);
    EXPECT_NEAR((top + bottom) / 2.0, 19.5, 3.0);
}

// A cell copied whole into the image shows what filling the background and drawing the glyph
// shows, and stays inside the clip it is given.
TEST_F(QtScreenPainterTest, AGlyphOnItsBackgroundLooksTheSameCopiedWhole) {
    const RgbColor fore{255, 255, 0};
    const RgbColor back{0, 0, 170};
    // Cells of every sort of copy: narrower than one 16-byte move, a common width, wider than
    // the widths with a copy of their own, taller than a band, cut by the image's edge.
    image = QImage(120, 60, QImage::Format_RGB32);
    image.fill(Qt::black);
    const PixelRect cells[] = {{3, 4, 14, 24},  {14, 4, 26, 24},  {30, 30, 50, 50},
                               {50, 4, 53, 24}, {60, 4, 115, 58}, {115, 30, 135, 50}};
    Paint([&](IPainter& p) {
        for (const PixelRect& cell : cells) {
            p.FillRect(cell, back);
            p.Glyph(cell, u'#', fore);
        }
    });
    const QImage drawn = image.copy();

    const QRect clip[] = {{0, 0, 40, 12}, {0, 12, 20, 28}};
    for (const auto& [rects, expected] :
         {std::pair{std::span<const QRect>{}, QRegion(image.rect())},
          std::pair{std::span<const QRect>(clip), QRegion(clip[0]) + QRegion(clip[1])}}) {
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            QtScreenPainter surface(painter, glyphs, image, rects);
            for (const PixelRect& cell : cells) {
                surface.GlyphOnBackground(cell, u'#', fore, back);
            }
        }
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb want =
                    expected.contains(QPoint(x, y)) ? drawn.pixel(x, y) : qRgb(0, 0, 0);
                ASSERT_EQ(image.pixel(x, y), want) << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace qx44
