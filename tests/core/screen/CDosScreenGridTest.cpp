#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenTestSupport.h"

#include <climits>
#include <gtest/gtest.h>

namespace qx44 {

using screentest::Bytes;
using screentest::CellOf;
using screentest::RecordingSurface;

namespace {

TEST(ScreenGrid, ModesSelectTheirSizes) {
    const struct {
        int mode, columns, rows;
    } rows[] = {{1, 40, 25},  {2, 64, 25}, {3, 80, 25},  {4, 106, 31}, {5, 129, 41},
                {6, 169, 51}, {7, 7, 7},   {93, 93, 93}, {1, 40, 25}};
    CConsoleWin screen;
    for (const auto& row : rows) {
        EXPECT_TRUE(screen.SetGridMode(row.mode));
        EXPECT_EQ(screen.Columns(), row.columns) << "mode " << row.mode;
        EXPECT_EQ(screen.Rows(), row.rows) << "mode " << row.mode;
        const ScreenSnapshot shown = screen.Snapshot();
        EXPECT_EQ(shown.cells.size(), static_cast<std::size_t>(row.columns * row.rows));
    }
}

TEST(ScreenGrid, SizesThatDoNotFitTheStoreLeaveTheGridAlone) {
    CConsoleWin screen;
    screen.PutText(0, 0, Bytes("kept"), 0x0102);
    const ScreenSnapshot before = screen.Snapshot();
    for (const int mode : {0, 94, 170, -3, INT_MIN}) {
        EXPECT_TRUE(screen.SetGridMode(mode));
        EXPECT_EQ(screen.Snapshot(), before) << "mode " << mode;
    }
    const struct {
        int columns, rows;
    } sizes[] = {{0, 25}, {80, 0}, {170, 1}, {169, 53}, {-1, -1}, {INT_MAX, INT_MAX}, {1, 8789}};
    for (const auto& size : sizes) {
        EXPECT_EQ(screen.SetGridSize(size.columns, size.rows), 1);
        EXPECT_EQ(screen.Snapshot(), before) << size.columns << " x " << size.rows;
    }
    EXPECT_EQ(screen.SetGridSize(1, 8788), 1);
    EXPECT_EQ(screen.Rows(), 8788);
}

TEST(ScreenGrid, ChangingTheGridClearsTheOldOneToBlack) {
    CConsoleWin screen;
    screen.SetGridMode(6);
    screen.FillArea(0, 0, 169, 52, 'x', 0x0101);
    screen.SetGridMode(3);
    for (int n = 0; n < 8619; ++n) {
        ASSERT_EQ(screen.StoreCell(n)->code, 32) << "cell " << n;
        ASSERT_EQ(screen.StoreCell(n)->attribute, 0xD700) << "cell " << n;
    }
    // The store's last row was not part of the 169 x 51 grid.
    EXPECT_EQ(screen.StoreCell(8619)->code, 'x');
    EXPECT_EQ(ScreenDump::Attributes(screen.Snapshot(), 0, 0, 80, 1), "D700*80\n");
}

TEST(ScreenGrid, CellsBeyondTheOldGridShowAsTheyAre) {
    CConsoleWin screen;
    screen.SetGridMode(1);                     // 40 x 25 = 1,000 cells
    screen.PutText(0, 30, Bytes("Q"), 0x0102); // cell 1,200, not shown
    screen.SetGridMode(3);                     // 80 x 25 shows it at (0, 15)
    EXPECT_EQ(CellOf(screen, 0, 15).code, 'Q');
    EXPECT_EQ(CellOf(screen, 0, 15).attribute, 0x0102);
    EXPECT_EQ(CellOf(screen, 0, 12).attribute, 0xD700);
    // Beyond every grid shown so far: still as the store was created.
    EXPECT_EQ(screen.StoreCell(2000)->attribute, 0xD200);
}

TEST(ScreenGrid, StatusLineTakesOnlyGridsItsStoreHolds) {
    CVantorBar bar;
    bar.SetGridMode(3);
    EXPECT_EQ(bar.Columns(), 80);
    EXPECT_EQ(bar.Rows(), 1);
    EXPECT_EQ(ScreenDump::Attributes(bar.Snapshot()), "EA00*80\n");
}

TEST(ScreenGrid, NewGridIsLaidOutWhenTheWindowExists) {
    CConsoleWin screen;
    RecordingSurface surface;
    screen.SetSurface(&surface);
    screen.SetGridMode(1);
    const CellLayout layout = screen.Layout();
    EXPECT_EQ(layout.BaseWidth(), 25);
    EXPECT_EQ(layout.BaseHeight(), 20);
    EXPECT_TRUE(layout.IsStale());
    EXPECT_EQ(screen.StoreCell(39)->rect, (PixelRect{975, 0, 1000, 20}));
    EXPECT_EQ(surface.Rects().size(), 1u);
}

TEST(ScreenGrid, NoLayoutBeforeTheWindowExists) {
    CConsoleWin screen;
    RecordingSurface surface;
    surface.exists = false;
    screen.SetSurface(&surface);
    screen.SetGridMode(1);
    EXPECT_EQ(screen.Layout().BaseWidth(), 0);
    EXPECT_TRUE(screen.Layout().IsStale());
    EXPECT_TRUE(surface.Rects().empty());
}

} // namespace

} // namespace qx44
