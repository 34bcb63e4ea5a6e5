#include "core/screen/ScreenDumpParser.h"

#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {

using screentest::Bytes;
using screentest::Repeat;

namespace {

std::string DocumentOf(const std::vector<DumpedScreen>& screens) {
    return ScreenDump::Document(screens.at(0).screen, screens.at(1).screen);
}

// What a station shows, dumped and read back, dumps as the same document: text, line and bevel
// pieces, control pictures, wide and narrow two-cell characters and attributes.
TEST(ScreenDumpParser, ReadsBackWhatTheStationDumped) {
    CConsoleWin screen;
    CVantorBar bar;
    screen.PutText(2, 1,
                   Bytes("\xE4\xB8\xAD"
                         "ab"),
                   0xD70F);
    screen.PutString(0, 3, u"\x0110|\x86\x0D\x7F", 0x0102);
    for (int i = 0; const std::uint16_t code : {129, 132, 131, 2054, 2124, 196}) {
        screen.SetCell(10 + i++, 4, code, 0xD200);
    }
    screen.PutString(78, 24, u"\x4E2D", 0xD200);
    bar.PutText(0, 0, Bytes("Till 3"), 0xEA00);
    const std::string document = ScreenDump::Document(screen.Snapshot(), bar.Snapshot());

    std::string error;
    const auto screens = ScreenDumpParser::Parse(document, error);
    ASSERT_TRUE(screens) << error;
    ASSERT_EQ(screens->size(), 2u);
    EXPECT_EQ((*screens)[0].name, "text");
    EXPECT_EQ((*screens)[1].name, "status");
    EXPECT_EQ(DocumentOf(*screens), document);
    const ScreenSnapshot& cells = (*screens)[0].screen;
    EXPECT_EQ(cells.At(2, 1), (ScreenSnapshot::Cell{0x4E, 0xD70F, HalfMarker::First}));
    EXPECT_EQ(cells.At(3, 1), (ScreenSnapshot::Cell{0x2D, 0xD70F, HalfMarker::Second}));
    EXPECT_EQ(cells.At(10, 4).code, 129);
}

// A document a person edited wrongly is refused with the line that is wrong, never read past
// its grid.
TEST(ScreenDumpParser, RefusesWhatIsNotADumpNamingTheLine) {
    const std::string status = "status 3x1\nabc\n";
    const struct {
        std::string document;
        std::string error;
    } rows[] = {
        {"text 3x2\nab\n", "line 2: the document ends after 1 of the 2 rows of text"},
        {"text 3x1\nabcd\n", "line 2: the row is wider than the 3 columns of the screen"},
        {"text 3\n", "line 1: expected a screen and its size (\"text 80x25\") or its attributes"},
        {"text 0x25\n", "line 1: a screen of 0x25 cells; each side may be 1 to 1000"},
        {"text 1001x1\n", "line 1: a screen of 1001x1 cells; each side may be 1 to 1000"},
        {status + status, "line 3: the screen status is given twice"},
        {status + "attributes text fill D200\n",
         "line 3: attributes of text, a screen the document has not"},
        {status + "attributes status fill D2\n",
         "line 3: expected \"attributes SCREEN fill ATTRIBUTE\""},
        {status + "attributes status fill D200\n0 1: 0102*3\n",
         "line 4: the runs reach past the 3 columns of status"},
        {status + "attributes status fill D200\n1 0: 0102\n",
         "line 4: row 1 column 0 is outside the 3x1 screen status"},
        {status + "attributes status fill D200\n0 0 0102\n",
         "line 4: expected \"ROW COLUMN: ATTRIBUTE*COUNT ...\""},
        {status + "attributes status fill D200\n0 0: 01G2*2\n",
         "line 4: \"01G2*2\" is not ATTRIBUTE or ATTRIBUTE*COUNT"},
        {status + "attributes status fill D200\n0 0: 0102*0\n",
         "line 4: \"0102*0\" is not ATTRIBUTE or ATTRIBUTE*COUNT"},
        {status + "attributes status fill D200\nattributes status fill D200\n",
         "line 4: the attributes of status are given twice"},
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(ScreenDumpParser::Parse(row.document, error)) << row.document;
        EXPECT_EQ(error, row.error) << row.document;
    }
}

// Bytes that are not UTF-8 show as the replacement character, one cell each.
TEST(ScreenDumpParser, ReadsAnyBytesAsCells) {
    std::string error;
    const auto screens = ScreenDumpParser::Parse("text 4x1\n\xFF\xE4\xB8"
                                                 "a\n",
                                                 error);
    ASSERT_TRUE(screens) << error;
    EXPECT_EQ(ScreenDump::Text((*screens)[0].screen), Repeat("\xEF\xBF\xBD", 3) + "a\n");
}

} // namespace

} // namespace qx44
