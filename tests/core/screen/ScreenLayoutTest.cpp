#include "core/screen/ScreenLayout.h"

#include <gtest/gtest.h>

namespace qx44 {

namespace {

TEST(ScreenLayout, PlacesTheShownCellsAndLeavesTheRestWhereTheyWere) {
    ScreenLayout layout(12, 5);
    layout.LayOut({0, 0, 100, 50}, {10, 5});
    EXPECT_EQ(layout.StoreCellRect(49), (PixelRect{90, 40, 100, 50}));
    // A repaint area reaches one cell past the cells it covers, each way.
    EXPECT_EQ(layout.AreaRect(1, 1, 2, 1), (PixelRect{10, 10, 40, 30}));

    // The client area is the one laid out last, so only the stale mark makes the new grid count.
    layout.MarkStale();
    layout.LayOut({0, 0, 100, 50}, {5, 2});
    EXPECT_EQ(layout.StoreCellRect(9), (PixelRect{80, 25, 100, 50}));
    EXPECT_EQ(layout.StoreCellRect(10), (PixelRect{0, 10, 10, 20}));
    EXPECT_EQ(layout.HitTest(99, 49, {5, 2}), (CellPosition{4, 1}));
}

} // namespace

} // namespace qx44
