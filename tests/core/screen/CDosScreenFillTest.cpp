#include "core/screen/CConsoleWin.h"
#include "core/screen/CGlobalFunction.h"
#include "core/screen/ScreenTestSupport.h"

#include <climits>
#include <gtest/gtest.h>

namespace qx44 {

using screentest::Bytes;
using screentest::CellOf;
using screentest::Repeat;
using screentest::Screen;
using screentest::TextOf;
using Cell = ScreenSnapshot::Cell;

namespace {

constexpr int kBlue = 0xD200;

TEST(ScreenFill, ClipsAgainstTheStoreSoWideAreasContinueOnTheNextRow) {
    CConsoleWin screen;
    EXPECT_EQ(screen.FillArea(70, 0, 20, 1, 'A', 0x0102), 1);
    EXPECT_EQ(TextOf(screen, 0, 0, 80, 2),
              Screen({Repeat(" ", 70) + Repeat("A", 10), Repeat("A", 10)}));
    EXPECT_EQ(ScreenDump::Attributes(screen.Snapshot(), 0, 0, 80, 2),
              "D200*70 0102*10\n0102*10 D200*70\n");
}

TEST(ScreenFill, ClipsRowsAgainstTheStoreCapacity) {
    CConsoleWin screen;
    screen.FillArea(0, 50, 1, 10, 'Z', kBlue);
    // Rows 50 and 51 exist in the 52-row store (cells 4000 and 4080 on 80 columns); row 52 does
    // not, so cell 4160 keeps its space.
    EXPECT_EQ(screen.StoreCell(4000)->code, 'Z');
    EXPECT_EQ(screen.StoreCell(4080)->code, 'Z');
    EXPECT_EQ(screen.StoreCell(4160)->code, 32);
}

TEST(ScreenFill, CharacterZeroRecoloursOnly) {
    CConsoleWin screen;
    screen.PutText(0, 0, Bytes("a\xE4\xB8\xAD"), kBlue);
    screen.FillArea(0, 0, 4, 1, 0, 0x00D7);
    EXPECT_EQ(CellOf(screen, 0, 0), (Cell{'a', 0x00D7, HalfMarker::Whole}));
    EXPECT_EQ(CellOf(screen, 1, 0), (Cell{0x4E, 0x00D7, HalfMarker::First}));
    EXPECT_EQ(CellOf(screen, 2, 0), (Cell{0x2D, 0x00D7, HalfMarker::Second}));
    EXPECT_EQ(CellOf(screen, 3, 0), (Cell{32, 0x00D7, HalfMarker::Whole}));
}

TEST(ScreenFill, FillingOverATwoCellCharacterLeavesWholeCells) {
    CConsoleWin screen;
    screen.PutText(0, 0, Bytes("\xE4\xB8\xAD"), kBlue);
    screen.FillArea(0, 0, 2, 1, '-', kBlue);
    EXPECT_EQ(CellOf(screen, 0, 0).half, HalfMarker::Whole);
    EXPECT_EQ(CellOf(screen, 1, 0).half, HalfMarker::Whole);
}

TEST(ScreenFill, AreasOutsideTheStoreWriteNothing) {
    CConsoleWin screen;
    const ScreenSnapshot before = screen.Snapshot();
    screen.FillArea(0, -1, 10, 1, '#', 0x1111);
    screen.FillArea(-20, 0, 10, 1, '#', 0x1111);
    screen.FillArea(0, 52, 10, 1, '#', 0x1111);
    screen.FillArea(169, 0, 10, 1, '#', 0x1111);
    screen.FillArea(INT_MIN, INT_MIN, INT_MAX, INT_MAX, '#', 0x1111);
    screen.FillArea(0, 0, -5, 3, '#', 0x1111);
    EXPECT_EQ(screen.Snapshot(), before);
}

TEST(ScreenFill, HugeAreasAreCutToTheStore) {
    // On the widest grid the capacity-sized rectangle is exactly the store.
    CConsoleWin widest;
    widest.SetGridMode(6);
    widest.FillArea(0, 0, INT_MAX, INT_MAX, '#', 0x1111);
    for (int n = 0; n < 8788; ++n) {
        ASSERT_EQ(widest.StoreCell(n)->code, '#') << "cell " << n;
    }

    // On 80 columns its 52 runs of 169 cells start 80 cells apart, so the last one ends at
    // cell 51 x 80 + 168.
    CConsoleWin narrow;
    narrow.FillArea(0, 0, INT_MAX, INT_MAX, '#', 0x1111);
    EXPECT_EQ(narrow.StoreCell(4248)->code, '#');
    EXPECT_EQ(narrow.StoreCell(4249)->code, 32);
}

TEST(ScreenFill, RunsStopAtTheEndOfTheStore) {
    CConsoleWin screen;
    screen.SetRun(0, 109, 'x', 0x0101, INT_MAX);
    EXPECT_EQ(screen.StoreCell(8719)->code, 32);
    EXPECT_EQ(screen.StoreCell(8720)->code, 'x');
    EXPECT_EQ(screen.StoreCell(8787)->code, 'x');
    screen.SetRun(0, 0, 'y', 0x0101, -3);
    EXPECT_EQ(CellOf(screen, 0, 0).code, 32);
}

TEST(ScreenCell, WritesOnlyAtValidPositions) {
    const struct {
        int column;
        int row;
        int result;
    } rows[] = {{0, 0, 1}, {79, 24, 1}, {-1, 0, 0}, {80, 0, 0}, {0, 25, 0}, {0, -1, 0}};
    for (const auto& row : rows) {
        CConsoleWin screen;
        const ScreenSnapshot before = screen.Snapshot();
        EXPECT_EQ(screen.SetCell(row.column, row.row, 2060, 0x0505), row.result)
            << row.column << ", " << row.row;
        if (row.result == 1) {
            EXPECT_EQ(CellOf(screen, row.column, row.row), (Cell{2060, 0x0505, HalfMarker::Whole}));
        } else {
            EXPECT_EQ(screen.Snapshot(), before);
        }
    }
}

TEST(ScreenCell, RepairsBothNeighbours) {
    CConsoleWin screen;
    screen.PutString(0, 0, u"\x4E2D\x6587", kBlue); // pairs at columns 0..1 and 2..3
    screen.SetCell(1, 0, 'a', kBlue);
    screen.SetCell(2, 0, 'b', kBlue);
    EXPECT_EQ(CellOf(screen, 0, 0), (Cell{0x4E, kBlue, HalfMarker::Whole}));
    EXPECT_EQ(CellOf(screen, 3, 0), (Cell{0x87, kBlue, HalfMarker::Whole}));
}

} // namespace

} // namespace qx44
