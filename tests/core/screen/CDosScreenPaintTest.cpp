#include "core/screen/CConsoleWin.h"
#include "core/screen/ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {

using screentest::Bytes;
using screentest::RecordingSurface;

namespace {

TEST(ScreenPaint, HeldPaintsBecomeOneRepaintOfTheWindow) {
    CConsoleWin screen;
    RecordingSurface surface;
    screen.SetSurface(&surface);
    EXPECT_TRUE(screen.RequestPaint());

    screen.HoldPaint(true);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(screen.RequestPaint());
    }
    EXPECT_EQ(screen.HeldPaintCount(), 5);
    EXPECT_EQ(surface.WindowRepaints(), 0);

    screen.HoldPaint(false);
    EXPECT_EQ(surface.WindowRepaints(), 1);
    EXPECT_EQ(screen.HeldPaintCount(), 0);
    EXPECT_TRUE(screen.RequestPaint());
}

TEST(ScreenPaint, ReleaseWithoutHeldPaintsRequestsNothing) {
    CConsoleWin screen;
    RecordingSurface surface;
    screen.SetSurface(&surface);
    screen.HoldPaint(true);
    screen.HoldPaint(false);
    EXPECT_EQ(surface.WindowRepaints(), 0);
    EXPECT_TRUE(surface.Rects().empty());
}

TEST(ScreenPaint, HeldPaintCountWrapsToOne) {
    CConsoleWin screen;
    screen.HoldPaint(true);
    for (int i = 0; i < 999'999; ++i) {
        screen.RequestPaint();
    }
    EXPECT_EQ(screen.HeldPaintCount(), 999'999);
    screen.RequestPaint();
    EXPECT_EQ(screen.HeldPaintCount(), 1);
}

TEST(ScreenPaint, ReleaseForgetsHeldPaintsWhenThereIsNoWindow) {
    CConsoleWin screen;
    RecordingSurface surface;
    surface.exists = false;
    screen.SetSurface(&surface);
    screen.HoldPaint(true);
    screen.RequestPaint();
    screen.HoldPaint(false);
    EXPECT_EQ(screen.HeldPaintCount(), 0);
    EXPECT_EQ(surface.WindowRepaints(), 0);
}

// On a 1000 x 500 window an 80 x 25 grid has 12 x 20 cells, 13 pixels wide from column 40 on.
// Every request covers one cell more to the right and one row more below; past the last row
// that extra row is 21 pixels tall, as the split continues beyond the grid.
TEST(ScreenPaint, WritesAskToRepaintTheirCellsAndOneMore) {
    const struct {
        const char* what;
        void (*write)(CConsoleWin&);
        PixelRect rect;
    } rows[] = {
        {"text",
         [](CConsoleWin& s) { s.PutText(10, 5, Bytes("Hi"), 0xD200); },
         {120, 100, 156, 140}},
        {"text at the end of the grid counts only the cells left",
         [](CConsoleWin& s) { s.PutText(79, 24, Bytes("ABC"), 0xD200); },
         {987, 480, 1013, 521}},
        {"string counts the cells written plus one",
         [](CConsoleWin& s) { s.PutString(0, 0, u"abc", 0xD200); },
         {0, 0, 60, 40}},
        {"two-cell string",
         [](CConsoleWin& s) { s.PutString(0, 0, u"\x4E2D", 0xD200); },
         {0, 0, 48, 40}},
        {"box", [](CConsoleWin& s) { s.DrawBox(22, 6, 36, 10, 0xD200); }, {264, 120, 727, 340}},
        {"fill repaints the grid",
         [](CConsoleWin& s) { s.FillArea(1, 1, 1, 1, 'x', 0xD200); },
         {0, 0, 1013, 521}},
        {"table repaints the grid (its fill) and itself",
         [](CConsoleWin& s) { s.DrawTable(2, 3, 9, 7, 2, 2, 1, 2, 1); },
         {0, 0, 1013, 521}},
        {"all", [](CConsoleWin& s) { s.InvalidateAll(); }, {0, 0, 1013, 521}},
        {"cells right of the wide columns' start",
         [](CConsoleWin& s) { s.InvalidateCells(78, 24, 2, 1); },
         {974, 480, 1013, 521}},
    };
    for (const auto& row : rows) {
        CConsoleWin screen;
        RecordingSurface surface;
        screen.SetSurface(&surface);
        screen.LayOut(surface.client);
        row.write(screen);
        ASSERT_EQ(surface.Rects().size(), 1u) << row.what;
        EXPECT_EQ(surface.Rects().front(), row.rect) << row.what;
    }
}

// Whatever a write changes, including a two-cell character's other half and text that runs on
// into the next row, lies inside what it asks to be repainted.
TEST(ScreenPaint, EveryChangedCellIsAskedToBeRepainted) {
    const struct {
        const char* what;
        void (*write)(CConsoleWin&);
    } rows[] = {
        {"text past the row's end",
         [](CConsoleWin& s) { s.PutText(77, 3, Bytes("ABCDEF"), 0x0102); }},
        {"text from beyond the grid's last column",
         [](CConsoleWin& s) { s.PutText(85, 3, Bytes("XY"), 0x0102); }},
        {"two-cell character over the row's end",
         [](CConsoleWin& s) { s.PutText(79, 9, Bytes("\xE4\xB8\xAD"), 0x0102); }},
        {"string into a two-cell character's second half",
         [](CConsoleWin& s) { s.PutString(31, 12, u"q", 0x0102); }},
        {"string past the row's end", [](CConsoleWin& s) { s.PutString(78, 20, u"abcd", -1); }},
        {"box over a two-cell character's second half",
         [](CConsoleWin& s) { s.DrawBox(31, 12, 4, 3, 0x0102); }},
        {"cells changed without a request go with the next one",
         [](CConsoleWin& s) {
             s.SetCell(5, 22, 'c', 0x0102);
             s.PutText(0, 0, Bytes("t"), 0x0102);
         }},
    };
    for (const auto& row : rows) {
        CConsoleWin screen;
        RecordingSurface surface;
        screen.SetSurface(&surface);
        screen.LayOut(surface.client);
        screen.PutString(30, 12, u"\x4E2D\x4E2D", 0xD200);
        surface.Clear();
        const ScreenSnapshot before = screen.Snapshot();
        row.write(screen);
        const ScreenSnapshot after = screen.Snapshot();
        ASSERT_EQ(surface.Rects().size(), 1u) << row.what;
        const PixelRect asked = surface.Rects().front();
        int changed = 0;
        for (int r = 0; r < after.rows; ++r) {
            for (int c = 0; c < after.columns; ++c) {
                if (!(before.At(c, r) == after.At(c, r))) {
                    ++changed;
                    EXPECT_EQ(asked.United(screen.CellRect(c, r)), asked) << row.what << ": " << c;
                }
            }
        }
        EXPECT_GT(changed, 0) << row.what;
    }
}

TEST(ScreenPaint, CellWritesThatAskForNothing) {
    CConsoleWin screen;
    RecordingSurface surface;
    screen.SetSurface(&surface);
    screen.LayOut(surface.client);
    screen.SetCell(1, 1, 'a', 0xD200);
    screen.SetRun(1, 1, 'a', 0xD200, 5);
    screen.ClearStore(0xD200);
    EXPECT_TRUE(surface.Rects().empty());
    EXPECT_EQ(screen.DrawBox(80, 0, 5, 5, 0xD200), 0);
    EXPECT_TRUE(surface.Rects().empty());
}

TEST(ScreenPaint, NothingHappensBeforeTheWindowExists) {
    CConsoleWin detached;
    EXPECT_EQ(detached.PutText(0, 0, Bytes("x"), 0xD200), 1);
    EXPECT_TRUE(detached.InvalidateAll());

    CConsoleWin screen;
    RecordingSurface surface;
    surface.exists = false;
    screen.SetSurface(&surface);
    screen.PutText(0, 0, Bytes("x"), 0xD200);
    screen.FillArea(0, 0, 5, 5, 'x', 0xD200);
    EXPECT_TRUE(surface.Rects().empty());

    surface.exists = true;
    screen.InvalidateCells(0, 0, 1, 1);
    EXPECT_EQ(surface.Rects().size(), 1u);
}

TEST(ScreenPaint, SurfaceMayReadTheScreenWhileAskedToRepaint) {
    CConsoleWin screen;
    RecordingSurface surface;
    std::uint16_t seen = 0;
    surface.onInvalidate = [&] { seen = screen.Snapshot().At(10, 5).code; };
    screen.SetSurface(&surface);
    screen.PutText(10, 5, Bytes("Z"), 0xD200);
    EXPECT_EQ(seen, 'Z');
}

TEST(ScreenPaint, PaintSnapshotCarriesTheLayoutForItsClientArea) {
    CConsoleWin screen;
    screen.PutText(0, 0, Bytes("A"), 0x0102);
    const ScreenSnapshot shown = screen.LayOutAndSnapshot({0, 0, 1000, 500});
    EXPECT_EQ(shown.layout.BaseWidth(), 12);
    EXPECT_EQ(shown.layout.CellRect(79, 24), (PixelRect{987, 480, 1000, 500}));
    EXPECT_EQ(shown.At(0, 0).code, 'A');
    EXPECT_EQ(screen.StoreCell(1999)->rect, (PixelRect{987, 480, 1000, 500}));
    EXPECT_EQ(screen.HitTest(480, 0), (CellPosition{40, 0}));
    EXPECT_EQ(screen.CellRect(40, 0), (PixelRect{480, 0, 493, 20}));
}

} // namespace

} // namespace qx44
