#include "core/screen/ScreenDump.h"

#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenDumpComparison.h"
#include "core/screen/ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {

using screentest::Bytes;
using screentest::Repeat;
using screentest::Screen;
using screentest::TextOf;

namespace {

TEST(ScreenDump, BlankScreenIsEmptyLines) {
    const CConsoleWin screen;
    EXPECT_EQ(ScreenDump::Text(screen.Snapshot()), Repeat("\n", 25));
    EXPECT_EQ(ScreenDump::Attributes(screen.Snapshot()), Repeat("D200*80\n", 25));
}

TEST(ScreenDump, ShowsWhatEachCellDraws) {
    const struct {
        const char* what;
        std::u16string units;
        std::string shown;
    } rows[] = {
        {"plain text", u"Hi there", "Hi there"},
        {"Latin-1 byte values", u"\xE9\xC4", "é─"},
        {"code page 437 lines", u"\xDA\xC4\xBF", "┌─┐"},
        {"a code page 437 byte the painter does not draw as a line", u"\xB5", "µ"},
        {"controls as their pictures", u"\x0D\x7F", "␍␡"},
        {"C1 controls as replacements", u"\x86\x9F", "��"},
        {"frame codes among the C1 range are lines", u"\x85", "║"},
        {"code 0 as a space", std::u16string(u"a\0b", 3), "a b"},
        {"wide character over two cells", u"\x4E2D|", "中|"},
        {"narrow character from two halves keeps its column", u"\x0110|", "Đ |"},
        {"lone high surrogate as a replacement", u"\xD83D|", "�|"},
    };
    for (const auto& row : rows) {
        CConsoleWin screen;
        screen.PutString(0, 0, row.units, 0xD200);
        EXPECT_EQ(TextOf(screen, 0, 0, 80, 1), row.shown + "\n") << row.what;
    }
}

TEST(ScreenDump, ShowsPiecesThatOnlyCellsHold) {
    CConsoleWin screen;
    const std::uint16_t codes[] = {129, 132, 131, 133, 2054, 2124, 0x263A};
    for (int i = 0; i < 7; ++i) {
        screen.SetCell(i, 0, codes[i], 0xD200);
    }
    EXPECT_EQ(TextOf(screen, 0, 0, 7, 1), "╔═╗║┏╋☺\n");
}

TEST(ScreenDump, HalvesWithoutPartnersShowAsThePainterDrawsThem) {
    CConsoleWin screen;
    screen.PutString(0, 0, u"\x4E2D\x4E2D", 0xD200);
    screen.PutString(1, 0, u"x", 0xD200); // first pair broken: its first half stands alone
    EXPECT_EQ(TextOf(screen, 0, 0, 80, 1), "Nx中\n");
}

TEST(ScreenDump, RegionsKeepTheirColumns) {
    CConsoleWin screen;
    screen.PutText(3, 2,
                   Bytes("\xE4\xB8\xAD"
                         "ab"),
                   0x0102);
    EXPECT_EQ(TextOf(screen, 4, 2, 3, 1), " ab\n");
    EXPECT_EQ(TextOf(screen, 2, 1, 5, 3), Screen({"", " 中ab", ""}));
    EXPECT_EQ(TextOf(screen, 78, 24, 10, 10), "\n");
    EXPECT_EQ(TextOf(screen, 0, 30, 10, 10), "");
    EXPECT_EQ(ScreenDump::Attributes(screen.Snapshot(), 2, 2, 6, 1), "D200 0102*4 D200\n");
}

// The dump file of both screens, and its comparison: each change a person would see is named by
// its screen, row and column, past a two-cell character too, and nothing else is.
TEST(ScreenDump, DocumentsDifferCellByCell) {
    const auto document = [](auto change) {
        CConsoleWin screen;
        CVantorBar bar;
        screen.PutText(2, 1,
                       Bytes("\xE4\xB8\xAD"
                             "ab"),
                       0xD70F);
        bar.PutText(0, 0, Bytes("Till 3"), 0xEA00);
        change(screen, bar);
        return ScreenDump::Document(screen.Snapshot(), bar.Snapshot());
    };
    const std::string expected = document([](CDosScreen&, CDosScreen&) {});
    EXPECT_EQ(expected.substr(0, expected.find("status 80x1")),
              "text 80x25\n\n  中ab\n" + Repeat("\n", 23));
    EXPECT_NE(
        expected.find("attributes text fill D200\n1 2: D70F*4\nattributes status fill EA00\n"),
        std::string::npos)
        << expected;

    const struct {
        const char* what;
        void (*change)(CDosScreen& screen, CDosScreen& bar);
        std::vector<std::string> differences;
    } rows[] = {
        {"same screens", [](CDosScreen&, CDosScreen&) {}, {}},
        {"a character after a two-cell one",
         [](CDosScreen& screen, CDosScreen&) { screen.PutText(5, 1, Bytes("x"), 0xD70F); },
         {"text row 1 column 5: expected \"b\", actual \"x\""}},
        {"an attribute alone",
         [](CDosScreen& screen, CDosScreen&) { screen.FillArea(0, 24, 1, 1, 0, 0x0102); },
         {"text row 24 column 0: attribute expected D200, actual 0102"}},
        {"the status line",
         [](CDosScreen&, CDosScreen& bar) { bar.PutText(5, 0, Bytes("4"), 0xEA00); },
         {"status row 0 column 5: expected \"3\", actual \"4\""}},
        {"the grid's size",
         [](CDosScreen& screen, CDosScreen&) { screen.SetGridMode(2); },
         {"text: expected 80x25, actual 64x25"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ScreenDumpComparison::Differences(expected, document(row.change)),
                  row.differences)
            << row.what;
    }
    const auto many =
        ScreenDumpComparison::Differences(expected, document([](CDosScreen& screen, CDosScreen&) {
                                              screen.FillArea(0, 10, 80, 1, 'z', 0xD200);
                                          }),
                                          3);
    ASSERT_EQ(many.size(), 4u);
    EXPECT_EQ(many.back(), "... and 77 more differences");
}

} // namespace

} // namespace qx44
