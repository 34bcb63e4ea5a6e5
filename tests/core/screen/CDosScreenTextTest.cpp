#include "core/screen/CConsoleWin.h"
#include "core/screen/CGlobalFunction.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {

using screentest::Bytes;
using screentest::CellOf;
using Cell = ScreenSnapshot::Cell;

namespace {

constexpr int kBlue = 0xD200;
constexpr HalfMarker kWhole = HalfMarker::Whole;
constexpr HalfMarker kFirst = HalfMarker::First;
constexpr HalfMarker kSecond = HalfMarker::Second;

TEST(ScreenText, NewScreensShowSpacesInTheirColours) {
    const CConsoleWin text;
    const ScreenSnapshot shown = text.Snapshot();
    EXPECT_EQ(shown.columns, 80);
    EXPECT_EQ(shown.rows, 25);
    EXPECT_EQ(text.CapacityColumns() * text.CapacityRows(), 8788);
    EXPECT_EQ(text.FillAttribute(), kBlue);
    for (int n = 0; n < 8788; ++n) {
        ASSERT_EQ(text.StoreCell(n)->code, 32);
        ASSERT_EQ(text.StoreCell(n)->attribute, kBlue);
    }
    EXPECT_FALSE(text.StoreCell(8788).has_value());

    const CVantorBar bar;
    EXPECT_EQ(ScreenDump::Attributes(bar.Snapshot()), "EA00*80\n");
    EXPECT_EQ(ScreenDump::Text(bar.Snapshot()), "\n");
    EXPECT_FALSE(bar.StoreCell(80).has_value());
}

TEST(ScreenText, TextContinuesOnTheNextGridRow) {
    CConsoleWin screen;
    EXPECT_EQ(screen.PutText(79, 0, Bytes("AB"), CGlobalFunction::MakeAttr(210, 0)), 1);
    EXPECT_EQ(CellOf(screen, 79, 0), (Cell{'A', kBlue, kWhole}));
    EXPECT_EQ(CellOf(screen, 0, 1), (Cell{'B', kBlue, kWhole}));
}

TEST(ScreenText, TwoCellCharacterSpreadsOverTwoCells) {
    CConsoleWin screen;
    const int attribute = CGlobalFunction::MakeAttr(0, 215);
    screen.PutText(10, 5, Bytes("\xE4\xB8\xAD"), attribute);
    EXPECT_EQ(CellOf(screen, 10, 5), (Cell{0x4E, attribute, kFirst}));
    EXPECT_EQ(CellOf(screen, 11, 5), (Cell{0x2D, attribute, kSecond}));
    EXPECT_EQ(CellOf(screen, 12, 5), (Cell{32, kBlue, kWhole}));
}

TEST(ScreenText, WritingStopsAtTheEndOfTheStoreNotTheGrid) {
    CConsoleWin screen;
    // Cell 2400 lies beyond the 80 x 25 grid but inside the store.
    screen.PutText(0, 30, Bytes("Q"), kBlue);
    EXPECT_EQ(screen.StoreCell(2400)->code, 'Q');

    // The store's last cell is 8787 = row 109, column 67 on 80 columns.
    screen.PutText(66, 109, Bytes("XYZ"), kBlue);
    EXPECT_EQ(screen.StoreCell(8786)->code, 'X');
    EXPECT_EQ(screen.StoreCell(8787)->code, 'Y');

    // A two-cell character that only half fits keeps its first half.
    screen.PutText(67, 109, Bytes("\xE4\xB8\xAD"), kBlue);
    EXPECT_EQ(screen.StoreCell(8787)->code, 0x4E);
    EXPECT_EQ(screen.StoreCell(8787)->half, kFirst);
}

TEST(ScreenText, PositionsOutsideTheStoreWriteNothing) {
    CConsoleWin screen;
    const ScreenSnapshot before = screen.Snapshot();
    const struct {
        int column;
        int row;
    } positions[] = {{0, -1},
                     {-1, 0},
                     {0, 110},
                     {68, 109},
                     {2147483647, 2147483647},
                     {-2147483647 - 1, -2147483647 - 1}};
    for (const auto& at : positions) {
        screen.PutText(at.column, at.row, Bytes("text"), 0x1234);
        screen.PutString(at.column, at.row, u"text", 0x1234);
    }
    EXPECT_EQ(screen.Snapshot(), before);
    EXPECT_EQ(screen.StoreCell(8787)->code, 32);
}

TEST(ScreenText, PutTextDecodesTheFirst256BytesOnly) {
    CConsoleWin screen;
    screen.PutText(0, 0, Bytes(std::string(300, 'A')), kBlue);
    const ScreenSnapshot shown = screen.Snapshot();
    EXPECT_EQ(shown.cells[255].code, 'A');
    EXPECT_EQ(shown.cells[256].code, 32);
}

TEST(ScreenText, HostLineBytesStayLineCodes) {
    CConsoleWin screen;
    screen.PutText(0, 0, Bytes("\xC4\xC4\xC4"), kBlue);
    EXPECT_EQ(screentest::TextOf(screen, 0, 0, 4, 1), "───\n");
}

// Overwriting part of a two-cell character: the written cells are whole or a fresh pair, and a
// half that lost its partner becomes a whole cell showing its own byte.
struct RepairRow {
    const char* what;
    int column; // where the text is written; a two-cell character sits at 10..11
    std::u16string text;
    std::array<Cell, 4> cells; // columns 9 .. 12 afterwards
};

TEST(ScreenText, WritingRepairsBrokenHalves) {
    const RepairRow rows[] = {
        {"one cell over the second half",
         11,
         u"x",
         {{{32, kBlue, kWhole}, {0x4E, kBlue, kWhole}, {'x', kBlue, kWhole}, {32, kBlue, kWhole}}}},
        {"one cell over the first half",
         10,
         u"x",
         {{{32, kBlue, kWhole}, {'x', kBlue, kWhole}, {0x2D, kBlue, kWhole}, {32, kBlue, kWhole}}}},
        {"the same character again",
         10,
         u"\x4E2D",
         {{{32, kBlue, kWhole},
           {0x4E, kBlue, kFirst},
           {0x2D, kBlue, kSecond},
           {32, kBlue, kWhole}}}},
        {"a pair shifted by one cell",
         11,
         u"\x6587",
         {{{32, kBlue, kWhole},
           {0x4E, kBlue, kWhole},
           {0x65, kBlue, kFirst},
           {0x87, kBlue, kSecond}}}},
        {"a pair ending on the first half",
         9,
         u"\x6587",
         {{{0x65, kBlue, kFirst},
           {0x87, kBlue, kSecond},
           {0x2D, kBlue, kWhole},
           {32, kBlue, kWhole}}}},
        {"nothing written still repairs",
         11,
         u"",
         {{{32, kBlue, kWhole},
           {0x4E, kBlue, kWhole},
           {0x2D, kBlue, kWhole},
           {32, kBlue, kWhole}}}},
    };
    for (const RepairRow& row : rows) {
        SCOPED_TRACE(row.what);
        CConsoleWin screen;
        screen.PutString(10, 5, u"\x4E2D", kBlue);
        screen.PutString(row.column, 5, row.text, CDosScreen::kKeepAttribute);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(CellOf(screen, 9 + i, 5), row.cells[static_cast<std::size_t>(i)])
                << "column " << 9 + i;
        }
    }
}

TEST(ScreenText, KeepAttributeChangesCodesOnly) {
    CConsoleWin screen;
    screen.FillArea(0, 0, 2, 1, 0, 0x0102);
    screen.FillArea(2, 0, 2, 1, 0, 0x0304);
    screen.PutString(0, 0, u"abcd", CDosScreen::kKeepAttribute);
    screen.PutText(0, 1, Bytes("ef"), CDosScreen::kKeepAttribute);
    EXPECT_EQ(screentest::TextOf(screen, 0, 0, 4, 2), "abcd\nef\n");
    EXPECT_EQ(ScreenDump::Attributes(screen.Snapshot(), 0, 0, 4, 2), "0102*2 0304*2\nD200*4\n");
}

TEST(ScreenText, StatusLineWritesWrapToItsOwnStoreOnly) {
    CVantorBar bar;
    bar.PutText(78, 0, Bytes("abc"), 0xEAD7);
    EXPECT_EQ(ScreenDump::Text(bar.Snapshot()), screentest::Repeat(" ", 78) + "ab\n");
}

} // namespace

} // namespace qx44
