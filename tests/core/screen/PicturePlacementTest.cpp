#include "core/screen/PicturePlacement.h"

#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

// 1,000 × 500 pixels over 80 × 25 cells: base cells of 12 × 20, the wider columns from 40 on.
CellLayout TextLayout() {
    CellLayout layout;
    layout.LayOut({0, 0, 1000, 500}, 80, 25);
    return layout;
}

TEST(PicturePlacement, TextScreenPicturesSitAtTheBaseCellCornerAtNaturalSize) {
    const CellLayout layout = TextLayout();
    EXPECT_EQ(PicturePlacement::OnTextScreen(layout, 5, 2, 40, 30), (PixelRect{60, 40, 100, 70}));
    // Column 60's cell starts at 40 × 12 + 20 × 13 = 740, the picture at the base 60 × 12.
    EXPECT_EQ(PicturePlacement::OnTextScreen(layout, 60, 0, 10, 10), (PixelRect{720, 0, 730, 10}));
}

TEST(PicturePlacement, StatusLinePicturesStretchToWholeCellsOfEightPixels) {
    CellLayout layout;
    layout.LayOut({0, 0, 1920, 60}, 80, 1);
    const struct {
        int width;
        int stretched;
    } rows[] = {{1, 24}, {8, 24}, {9, 48}, {20, 72}, {24, 72}, {25, 96}};
    for (const auto& row : rows) {
        EXPECT_EQ(PicturePlacement::OnStatusLine(layout, 3, row.width, 16),
                  (PixelRect{72, 0, 72 + row.stretched, 16}))
            << row.width;
    }
}

} // namespace
} // namespace qx44
