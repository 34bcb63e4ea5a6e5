#include "core/screen/CConsoleWin.h"
#include "core/screen/CGlobalFunction.h"
#include "core/screen/ScreenTestSupport.h"

#include <array>
#include <climits>
#include <gtest/gtest.h>

namespace qx44 {

using screentest::Bytes;
using screentest::CellOf;
using screentest::Repeat;
using screentest::Screen;
using screentest::TextOf;

namespace {

constexpr int kBlue = 0xD200;

TEST(ScreenBox, DrawsADoubleFrameWithAClearedInside) {
    CConsoleWin screen;
    screen.PutText(30, 10, Bytes("inside"), kBlue);
    EXPECT_EQ(screen.DrawBox(22, 6, 36, 10, kBlue), 1);

    const std::string middle = "║" + Repeat(" ", 34) + "║";
    EXPECT_EQ(TextOf(screen, 22, 6, 36, 10),
              Screen({"╔" + Repeat("═", 34) + "╗", middle, middle, middle, middle, middle, middle,
                      middle, middle, "╚" + Repeat("═", 34) + "╝"}));
    // The frame uses its own codes, not the code page's double lines.
    EXPECT_EQ(CellOf(screen, 22, 6).code, 129);
    EXPECT_EQ(CellOf(screen, 57, 6).code, 131);
    EXPECT_EQ(CellOf(screen, 22, 15).code, 128);
    EXPECT_EQ(CellOf(screen, 57, 15).code, 130);
    EXPECT_EQ(CellOf(screen, 40, 15).code, 132);
    EXPECT_EQ(CellOf(screen, 57, 9).code, 133);
}

TEST(ScreenBox, IsCutAtTheGridsEdge) {
    CConsoleWin screen;
    EXPECT_EQ(screen.DrawBox(75, 20, 10, 10, kBlue), 1);
    EXPECT_EQ(TextOf(screen, 74, 19, 6, 6),
              Screen({"", " ╔═══╗", " ║   ║", " ║   ║", " ║   ║", " ╚═══╝"}));
    EXPECT_EQ(TextOf(screen, 0, 21, 5, 4), Screen({"", "", "", ""}));
}

TEST(ScreenBox, DrawsNothingWithoutAValidCornerOrSize) {
    const struct {
        int column, row, width, height;
    } rows[] = {{-1, 0, 5, 5},           {80, 0, 5, 5},
                {0, 25, 5, 5},           {0, 0, 0, 5},
                {0, 0, 5, -1},           {INT_MAX, INT_MAX, 5, 5},
                {5, 5, INT_MIN, INT_MIN}};
    for (const auto& row : rows) {
        CConsoleWin screen;
        const ScreenSnapshot before = screen.Snapshot();
        EXPECT_EQ(screen.DrawBox(row.column, row.row, row.width, row.height, 0x0101), 0);
        EXPECT_EQ(screen.Snapshot(), before);
    }
}

TEST(ScreenBox, HugeSizesAreCutToTheGrid) {
    CConsoleWin screen;
    EXPECT_EQ(screen.DrawBox(70, 20, INT_MAX, INT_MAX, kBlue), 1);
    EXPECT_EQ(CellOf(screen, 79, 24).code, 130);
    EXPECT_EQ(screen.StoreCell(2000)->code, 32);
}

// The positions of every piece role in a 9 x 7 table with two bands each way at (3, 2): divider
// columns 3, 7, 11 and divider rows 2, 5, 8.
struct Role {
    const char* name;
    int column;
    int row;
};
constexpr std::array<Role, 15> kRoles{{
    {"left edge", 3, 3},
    {"top edge", 4, 2},
    {"top-left corner", 3, 2},
    {"top-right corner", 11, 2},
    {"bottom-left corner", 3, 8},
    {"bottom-right corner", 11, 8},
    {"crossing", 7, 5},
    {"bottom junction", 7, 8},
    {"left junction", 3, 5},
    {"right junction", 11, 5},
    {"top junction", 7, 2},
    {"right edge", 11, 3},
    {"inner vertical", 7, 3},
    {"bottom edge", 4, 8},
    {"inner horizontal", 4, 5},
}};

using Codes = std::array<int, 15>;
constexpr Codes kBlank{32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32};
constexpr Codes kSingle{179, 196, 218, 191, 192, 217, 197, 193, 195, 180, 194, 179, 179, 196, 196};
constexpr Codes kDouble{186, 205, 201, 187, 200, 188, 206, 202, 204, 185, 203, 186, 186, 205, 205};
constexpr Codes kBevelA{2048, 2051, 2054, 2055, 2057, 2058, 2060, 2059,
                        2061, 2062, 2056, 2049, 2050, 2052, 2053};
constexpr Codes kBevelB{2112, 2115, 2118, 2119, 2121, 2122, 2124, 2123,
                        2125, 2126, 2120, 2113, 2114, 2116, 2117};
constexpr Codes kNone{};

TEST(ScreenTable, EveryStyleDrawsItsPieces) {
    const struct {
        int style;
        const Codes& codes;
    } rows[] = {{0, kBlank},   {1, kSingle},  {2, kDouble},  {3, kSingle},  {4, kSingle},
                {5, kBevelA},  {6, kBevelB},  {7, kNone},    {8, kNone},    {9, kNone},
                {10, kBlank},  {11, kSingle}, {12, kDouble}, {13, kSingle}, {14, kSingle},
                {15, kDouble}, {16, kDouble}, {17, kNone},   {-1, kNone}};
    for (const auto& row : rows) {
        CConsoleWin screen;
        ASSERT_EQ(screen.DrawTable(2, 3, 9, 7, 2, 2, 0x12, 0x34, row.style), 1);
        for (std::size_t i = 0; i < kRoles.size(); ++i) {
            EXPECT_EQ(CellOf(screen, kRoles[i].column, kRoles[i].row).code, row.codes[i])
                << "style " << row.style << ", " << kRoles[i].name;
        }
    }
}

TEST(ScreenTable, BevelLinesTakeTheForegroundAsBackground) {
    const struct {
        int style;
        int line;
    } rows[] = {{1, 0x1234}, {2, 0x1234}, {5, 0x3434}, {6, 0x3434}, {7, 0x1234}};
    for (const auto& row : rows) {
        CConsoleWin screen;
        screen.DrawTable(2, 3, 9, 7, 2, 2, 0x12, 0x34, row.style);
        const ScreenSnapshot shown = screen.Snapshot();
        for (const Role& role : kRoles) {
            EXPECT_EQ(shown.At(role.column, role.row).attribute, row.line)
                << "style " << row.style << ", " << role.name;
        }
        EXPECT_EQ(shown.At(5, 3).attribute, 0x1234) << "inside, style " << row.style;
    }
}

TEST(ScreenTable, SharesOutTheSpaceFirstBandsFirst) {
    CConsoleWin screen;
    screen.DrawTable(3, 10, 12, 10, 3, 2, 210, 0, 1);
    // Ten rows over two bands: dividers on rows 3, 8 and 12. Twelve columns over three bands:
    // dividers on columns 10, 14, 18 and 21.
    EXPECT_EQ(TextOf(screen, 10, 3, 12, 10), Screen({
                                                 "┌───┬───┬──┐",
                                                 "│   │   │  │",
                                                 "│   │   │  │",
                                                 "│   │   │  │",
                                                 "│   │   │  │",
                                                 "├───┼───┼──┤",
                                                 "│   │   │  │",
                                                 "│   │   │  │",
                                                 "│   │   │  │",
                                                 "└───┴───┴──┘",
                                             }));
}

TEST(ScreenTable, BevelTableShowsEdgesAndInnerLines) {
    CConsoleWin screen;
    screen.DrawTable(0, 0, 7, 5, 2, 2, 0, 215, 5);
    EXPECT_EQ(TextOf(screen, 0, 0, 7, 5), Screen({
                                              "┏━━┳━━┓",
                                              "┃  ┃  ┃",
                                              "┣━━╋━━┫",
                                              "┃  ┃  ┃",
                                              "┗━━┻━━┛",
                                          }));
    EXPECT_EQ(CellOf(screen, 1, 0).code, 2051);
    EXPECT_EQ(CellOf(screen, 1, 2).code, 2053);
    EXPECT_EQ(CellOf(screen, 1, 4).code, 2052);
    EXPECT_EQ(CellOf(screen, 0, 1).code, 2048);
    EXPECT_EQ(CellOf(screen, 3, 1).code, 2050);
    EXPECT_EQ(CellOf(screen, 6, 1).code, 2049);
}

TEST(ScreenTable, PiecesOffTheGridAreSkippedWhileTheFillWraps) {
    CConsoleWin screen;
    screen.PutText(5, 21, Bytes("X"), kBlue);
    EXPECT_EQ(screen.DrawTable(20, 70, 20, 10, 2, 2, 0x12, 0x34, 1), 1);
    EXPECT_EQ(TextOf(screen, 70, 20, 10, 5), Screen({
                                                 "┌─────────",
                                                 "│",
                                                 "│",
                                                 "│",
                                                 "│",
                                             }));
    // The background fill is clipped to the store, so its rows continue at the start of the
    // next grid rows; the lines are clipped to the grid and never appear there.
    EXPECT_EQ(TextOf(screen, 0, 21, 10, 4), Screen({"", "", "", ""}));
    EXPECT_EQ(ScreenDump::Attributes(screen.Snapshot(), 0, 21, 12, 1), "1234*10 D200*2\n");
}

TEST(ScreenTable, DrawsNothingWithoutBands) {
    const struct {
        const char* what;
        int top, left, width, height, columnBands, rowBands;
    } rows[] = {
        {"no row bands", 2, 3, 9, 7, 2, 0},
        {"no column bands", 2, 3, 9, 7, 0, 2},
        {"negative bands", 2, 3, 9, 7, -1, -1},
        {"more bands than a host can send", 2, 3, 9, 7, 256, 2},
        {"huge band counts", 2, 3, 9, 7, INT_MAX, INT_MAX},
        {"corner right of the grid", 2, 80, 9, 7, 2, 2},
        {"corner below the grid", 25, 3, 9, 7, 2, 2},
        {"corner above the grid", -1, 3, 9, 7, 2, 2},
    };
    for (const auto& row : rows) {
        CConsoleWin screen;
        const ScreenSnapshot before = screen.Snapshot();
        EXPECT_EQ(screen.DrawTable(row.top, row.left, row.width, row.height, row.columnBands,
                                   row.rowBands, 0x12, 0x34, 1),
                  0)
            << row.what;
        EXPECT_EQ(screen.Snapshot(), before) << row.what;
    }
}

TEST(ScreenTable, OverfullTableDrawsItsDividersWhereTheFormulaPutsThem) {
    // Height 3 with 3 row bands: the dividers come out on rows 1 to 4, one above the table and
    // one below it, as on a station.
    CConsoleWin screen;
    ASSERT_EQ(screen.DrawTable(2, 10, 5, 3, 1, 3, 0x12, 0x34, 1), 1);
    const ScreenSnapshot snapshot = screen.Snapshot();
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(snapshot.At(12, row).code, 196) << row;
    }
    EXPECT_EQ(snapshot.At(12, 0).code, 32);
    EXPECT_EQ(snapshot.At(12, 5).code, 32);
}

TEST(ScreenTable, HugeTablesStayWithinTheStore) {
    CConsoleWin screen;
    EXPECT_EQ(screen.DrawTable(0, 0, INT_MAX, INT_MAX, 2, 2, 0x12, 0x34, 1), 1);
    EXPECT_EQ(TextOf(screen, 0, 0, 3, 3), Screen({"┌──", "│", "│"}));
}

TEST(ScreenTable, NarrowestTableHasAdjacentDividers) {
    CConsoleWin screen;
    screen.DrawTable(0, 0, 3, 3, 2, 2, 0x12, 0x34, 2);
    EXPECT_EQ(TextOf(screen, 0, 0, 3, 3), Screen({"╔╦╗", "╠╬╣", "╚╩╝"}));
}

} // namespace

} // namespace qx44
