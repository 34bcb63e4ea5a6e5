#include "core/screen/ScreenPainter.h"

#include "RecordingPainter.h"
#include "ScreenTestSupport.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CGlobalFunction.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using screentest::Bytes;
using screentest::RecordingPainter;

// The text screen on 1,000 × 500 pixels: 80 × 25 cells of 12 × 20, 13 pixels wide from column
// 40 on (X(79) = 987).
class ScreenPainterTest : public ::testing::Test {
protected:
    RecordingPainter Paint() {
        RecordingPainter painter;
        ScreenPainter::Paint(screen.LayOutAndSnapshot({0, 0, 1000, 500}), painter);
        return painter;
    }
    RecordingPainter PaintArea(const PixelRect& area) {
        RecordingPainter painter;
        ScreenPainter::Paint(screen.LayOutAndSnapshot({0, 0, 1000, 500}), painter, area);
        return painter;
    }

    CConsoleWin screen;
};

TEST_F(ScreenPainterTest, ABlankScreenIsOneFillPerRowAndNoGlyphs) {
    const RecordingPainter painter = Paint();
    ASSERT_EQ(painter.calls.size(), 25u);
    EXPECT_EQ(painter.calls.front(), "fill 0,0,1000,20 0000ff");
    EXPECT_EQ(painter.calls.back(), "fill 0,480,1000,500 0000ff");
}

TEST_F(ScreenPainterTest, GlyphsSitInTheirCellsAcrossTheWiderColumns) {
    screen.PutString(38, 0, u"ABCD", 0xD200);
    screen.PutString(78, 24, u"YZ", 0xD200);
    EXPECT_EQ(Paint().Starting("glyph"), (std::vector<std::string>{
                                             "glyph 456,0,468,20 U+0041 ffffff",
                                             "glyph 468,0,480,20 U+0042 ffffff",
                                             "glyph 480,0,493,20 U+0043 ffffff",
                                             "glyph 493,0,506,20 U+0044 ffffff",
                                             "glyph 974,480,987,500 U+0059 ffffff",
                                             "glyph 987,480,1000,500 U+005A ffffff",
                                         }));
}

TEST_F(ScreenPainterTest, BackgroundsAreFilledInRunsOfEqualColour) {
    const struct {
        const char* what;
        void (*write)(CConsoleWin&);
        std::vector<std::string> fills;
    } rows[] = {
        {"foregrounds differ, background the same",
         [](CConsoleWin& s) {
             s.PutString(0, 3, u"abc", CGlobalFunction::MakeAttr(210, 252));
             s.PutString(50, 3, u"def", CGlobalFunction::MakeAttr(210, 234));
         },
         {"fill 0,60,1000,80 0000ff"}},
        {"different indexes of the same colour",
         [](CConsoleWin& s) {
             s.FillArea(0, 3, 20, 1, 0, CGlobalFunction::MakeAttr(215, 0));
             s.FillArea(20, 3, 20, 1, 0, CGlobalFunction::MakeAttr(240, 0));
             s.FillArea(40, 3, 40, 1, 0, CGlobalFunction::MakeAttr(224, 7));
         },
         {"fill 0,60,1000,80 000000"}},
        {"three colours",
         [](CConsoleWin& s) {
             s.FillArea(10, 3, 5, 1, 0, CGlobalFunction::MakeAttr(234, 0));
             s.FillArea(40, 3, 40, 1, 0, CGlobalFunction::MakeAttr(252, 0));
         },
         {"fill 0,60,120,80 0000ff", "fill 120,60,180,80 aaaaaa", "fill 180,60,480,80 0000ff",
          "fill 480,60,1000,80 ff0000"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        screen.ClearStore(0xD200);
        row.write(screen);
        std::vector<std::string> fills;
        for (const std::string& call : Paint().Starting("fill")) {
            if (call.find(",60,") != std::string::npos) {
                fills.push_back(call);
            }
        }
        EXPECT_EQ(fills, row.fills);
    }
}

TEST_F(ScreenPainterTest, EachRowIsBackgroundsThenGlyphsTopToBottom) {
    screen.PutString(1, 0, u"A", 0xD200);
    screen.PutString(2, 1, u"B", 0xD200);
    const std::vector<std::string> calls = Paint().calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(
        std::vector<std::string>(calls.begin(), calls.begin() + 4),
        (std::vector<std::string>{"fill 0,0,1000,20 0000ff", "glyph 12,0,24,20 U+0041 ffffff",
                                  "fill 0,20,1000,40 0000ff", "glyph 24,20,36,40 U+0042 ffffff"}));
}

TEST_F(ScreenPainterTest, AWideCharacterCoversBothItsCells) {
    screen.PutText(10, 5, Bytes("\xE4\xB8\xAD!"), 0xD200);
    EXPECT_EQ(Paint().Starting("glyph"),
              (std::vector<std::string>{"glyph 120,100,144,120 U+4E2D ffffff",
                                        "glyph 144,100,156,120 U+0021 ffffff"}));
}

TEST_F(ScreenPainterTest, ANarrowTwoCellCharacterDrawsInItsFirstCellOnly) {
    screen.PutString(10, 5, u"\u0110!", 0xD200);
    EXPECT_EQ(Paint().Starting("glyph"),
              (std::vector<std::string>{"glyph 120,100,132,120 U+0110 ffffff",
                                        "glyph 144,100,156,120 U+0021 ffffff"}));
}

TEST_F(ScreenPainterTest, AWideCharacterAtTheEndOfARowReachesPastTheWindow) {
    screen.PutString(79, 5, u"\u4E2D", 0xD200);
    EXPECT_EQ(Paint().Starting("glyph"),
              (std::vector<std::string>{"glyph 987,100,1012,120 U+4E2D ffffff"}));
}

// Its second half lies in the store beyond the grid, where nothing is shown.
TEST_F(ScreenPainterTest, ACharacterCutOffByTheEndOfTheGridShowsItsHighByte) {
    screen.PutString(79, 24, u"\u4E2D", 0xD200);
    EXPECT_EQ(Paint().Starting("glyph"),
              (std::vector<std::string>{"glyph 987,480,1000,500 U+004E ffffff"}));
}

TEST_F(ScreenPainterTest, HalvesOfABrokenCharacterShowAsCharactersOfTheirOwn) {
    screen.PutString(10, 5, u"\u4E2D", 0xD200);
    screen.PutString(11, 5, u"x", 0xD200);
    EXPECT_EQ(Paint().Starting("glyph"),
              (std::vector<std::string>{"glyph 120,100,132,120 U+004E ffffff",
                                        "glyph 132,100,144,120 U+0078 ffffff"}));
}

TEST_F(ScreenPainterTest, CodesZeroAndSpaceDrawNothing) {
    screen.SetCell(3, 3, 0, 0xD200);
    screen.SetCell(4, 3, 32, 0xD200);
    screen.SetCell(5, 3, 1, 0xD200);
    EXPECT_EQ(Paint().Starting("glyph"),
              (std::vector<std::string>{"glyph 60,60,72,80 U+0001 ffffff"}));
}

TEST_F(ScreenPainterTest, LineCodesAreDrawnWithStrokesInsteadOfGlyphs) {
    screen.SetCell(1, 0, 196, CGlobalFunction::MakeAttr(215, 0));
    const std::vector<std::string> calls = Paint().calls;
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 5),
              (std::vector<std::string>{"fill 0,0,12,20 0000ff", "fill 12,0,24,20 000000",
                                        "fill 24,0,1000,20 0000ff", "fill 12,0,24,20 000000",
                                        "line 12,10>24,10 ffffff"}));
}

TEST_F(ScreenPainterTest, AnAreaRepaintsTheRowsThatCanDrawIntoIt) {
    // Line pieces reach a few pixels beyond their row, so the rows either side of an area are
    // painted too, and no others.
    const RecordingPainter painter = PaintArea({130, 100, 131, 120});
    EXPECT_EQ(painter.Starting("fill"),
              (std::vector<std::string>{"fill 0,80,1000,100 0000ff", "fill 0,100,1000,120 0000ff",
                                        "fill 0,120,1000,140 0000ff"}));
}

TEST_F(ScreenPainterTest, AWindowSmallerThanTheGridDrawsOnlyItsOnePixelCells) {
    screen.PutString(0, 0, u"AB", 0xD200);
    screen.PutString(78, 0, u"YZ", 0xD200);
    RecordingPainter painter;
    // 50 pixels for 80 columns: base width 0, the last 50 columns one pixel wide.
    ScreenPainter::Paint(screen.LayOutAndSnapshot({0, 0, 50, 500}), painter);
    EXPECT_EQ(painter.Starting("glyph"),
              (std::vector<std::string>{"glyph 48,0,49,20 U+0059 ffffff",
                                        "glyph 49,0,50,20 U+005A ffffff"}));
}

} // namespace
} // namespace qx44
