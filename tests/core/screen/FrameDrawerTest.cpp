#include "core/screen/FrameDrawer.h"

#include <gtest/gtest.h>

namespace qx44 {

namespace {

// The screen asks to repaint what a box covers on the grid, so the drawer hands back its cut.
TEST(FrameDrawer, BoxReportsTheCellsItCoversOnTheGrid) {
    CellStore store(12, 6, {10, 5}, 0x0100);
    const auto box = FrameDrawer::DrawBox(store, 7, 3, 10, 10, 0x0100);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->column, 7);
    EXPECT_EQ(box->row, 3);
    EXPECT_EQ(box->width, 3);
    EXPECT_EQ(box->height, 2);
    EXPECT_EQ(store.Cell(49).code, 130);
    EXPECT_FALSE(FrameDrawer::DrawBox(store, 10, 0, 2, 2, 0x0100).has_value());
}

} // namespace

} // namespace qx44
