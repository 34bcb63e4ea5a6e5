#include "core/screen/CellLayout.h"

#include "core/screen/ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {

namespace {

TEST(CellLayout, LeftoverPixelsGoToTheRightmostColumnsAndBottomRows) {
    CellLayout layout;
    layout.LayOut({0, 0, 1000, 500}, 80, 25);
    EXPECT_EQ(layout.BaseWidth(), 12);
    EXPECT_EQ(layout.BaseHeight(), 20);
    EXPECT_EQ(layout.FirstWideColumn(), 40);
    EXPECT_EQ(layout.FirstTallRow(), 25);
    EXPECT_EQ(layout.CellRect(39, 0), (PixelRect{468, 0, 480, 20}));
    EXPECT_EQ(layout.CellRect(40, 0), (PixelRect{480, 0, 493, 20}));
    EXPECT_EQ(layout.CellRect(79, 24), (PixelRect{987, 480, 1000, 500}));
    EXPECT_EQ(layout.HitTest(480, 0, 80, 25), (CellPosition{40, 0}));
    EXPECT_EQ(layout.HitTest(479, 0, 80, 25), (CellPosition{39, 0}));
}

// For any window and grid the cells tile the client area exactly, the wider cells are the
// rightmost (taller: the lowest), and every pixel of a cell hits that cell.
TEST(CellLayout, CellsTileTheWindowAndHitTestFindsThem) {
    const struct {
        int width, height, columns, rows;
    } rows[] = {{1000, 500, 80, 25},   {1013, 517, 80, 25}, {640, 480, 40, 25},
                {1919, 1079, 169, 51}, {130, 70, 7, 7},     {80, 25, 80, 25}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + " x " + std::to_string(row.height) + " for " +
                     std::to_string(row.columns) + " x " + std::to_string(row.rows));
        CellLayout layout;
        layout.LayOut({0, 0, row.width, row.height}, row.columns, row.rows);
        const int wideColumns = row.width % row.columns;
        const int tallRows = row.height % row.rows;
        int x = 0;
        for (int column = 0; column < row.columns; ++column) {
            const PixelRect cell = layout.CellRect(column, 0);
            ASSERT_EQ(cell.left, x);
            const bool wide = column >= row.columns - wideColumns;
            ASSERT_EQ(cell.Width(), row.width / row.columns + (wide ? 1 : 0)) << column;
            x = cell.right;
        }
        EXPECT_EQ(x, row.width);
        int y = 0;
        for (int r = 0; r < row.rows; ++r) {
            const PixelRect cell = layout.CellRect(0, r);
            ASSERT_EQ(cell.top, y);
            const bool tall = r >= row.rows - tallRows;
            ASSERT_EQ(cell.Height(), row.height / row.rows + (tall ? 1 : 0)) << r;
            y = cell.bottom;
        }
        EXPECT_EQ(y, row.height);
        for (int r = 0; r < row.rows; ++r) {
            for (int column = 0; column < row.columns; ++column) {
                const PixelRect cell = layout.CellRect(column, r);
                const CellPosition expected{column, r};
                ASSERT_EQ(layout.HitTest(cell.left, cell.top, row.columns, row.rows), expected);
                ASSERT_EQ(layout.HitTest(cell.right - 1, cell.bottom - 1, row.columns, row.rows),
                          expected);
            }
        }
        EXPECT_FALSE(layout.HitTest(row.width, 0, row.columns, row.rows));
        EXPECT_FALSE(layout.HitTest(0, row.height, row.columns, row.rows));
        EXPECT_FALSE(layout.HitTest(-1, 0, row.columns, row.rows));
    }
}

TEST(CellLayout, WindowSmallerThanTheGridHasEmptyCells) {
    CellLayout layout;
    layout.LayOut({0, 0, 79, 24}, 80, 25);
    EXPECT_EQ(layout.BaseWidth(), 0);
    EXPECT_TRUE(layout.CellRect(0, 0).IsEmpty());
    EXPECT_EQ(layout.HitTest(0, 0, 80, 25), (CellPosition{1, 1}));
    layout.LayOut({0, 0, 0, 0}, 80, 25);
    EXPECT_FALSE(layout.HitTest(0, 0, 80, 25));
}

TEST(CellLayout, LaysOutAgainOnlyForANewAreaOrWhenStale) {
    CellLayout layout;
    EXPECT_EQ(layout.RememberedClient(), (PixelRect{}));
    EXPECT_TRUE(layout.LayOut({0, 0, 1000, 500}, 80, 25));
    EXPECT_FALSE(layout.LayOut({0, 0, 1000, 500}, 40, 25));
    EXPECT_EQ(layout.BaseWidth(), 12);

    layout.MarkStale();
    EXPECT_EQ(layout.RememberedClient(), (PixelRect{-1, -1, -1, -1}));
    EXPECT_TRUE(layout.LayOut({0, 0, 1000, 500}, 40, 25));
    EXPECT_EQ(layout.BaseWidth(), 25);
    EXPECT_TRUE(layout.LayOut({0, 0, 1003, 500}, 40, 25));
    EXPECT_EQ(layout.BaseWidth(), 25);
    EXPECT_EQ(layout.FirstWideColumn(), 37);
}

TEST(CellLayout, EdgesFarOutsideTheGridDoNotOverflow) {
    CellLayout layout;
    layout.LayOut({0, 0, 2'000'000'000, 2'000'000'000}, 1, 1);
    const PixelRect far = layout.CellRect(2'000'000'000, 2'000'000'000);
    EXPECT_EQ(far.left, 2'147'483'647);
    EXPECT_EQ(far.top, 2'147'483'647);
    EXPECT_EQ(layout.CellRect(-5, 0).left, -2'147'483'647 - 1);
}

} // namespace

} // namespace qx44
