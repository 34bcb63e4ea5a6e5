#pragma once

#include "core/screen/ScreenSnapshot.h"

#include <cstdint>
#include <string>

namespace qx44 {

// A screen written out as text: how tests state what a screen should show, how golden replays
// compare screens, and how a user sees what a host drew without a display.
//
// Text gives one line per grid row, each ended by '\n' with its trailing spaces dropped, every
// cell as the character it shows, in UTF-8:
//  - codes 0 and 32 as a space; line and frame pieces as box-drawing characters, the bevel
//    pieces of both sets as heavy box-drawing characters;
//  - a character covering two cells once, in its first cell, with nothing for its second cell
//    when it is drawn across both (U+4E00 and up) and a space otherwise, as the painter does;
//  - control codes as their control pictures (U+2400 onwards), and codes that show nothing
//    readable (C1 controls, lone surrogates, U+FFFE and U+FFFF) as U+FFFD.
// Attributes gives one line per row of space-separated runs of equal attributes, each as four
// or more hex digits and, for a run longer than one cell, '*' and its length: "D200*78 EAD7*2".
// The region forms cover the part of (column, row, width, height) that lies on the grid.
//
// Document is the dump file of a whole station (`--dump-screen`, golden tests): a block per
// screen, "text 80x25" or "status 80x1" over its Text, then a block per screen,
// "attributes text fill D200", listing only the rows that hold another attribute than the
// fill (the screen's most common one) as "row column: runs" from the row's first to its last
// cell that differs: "5 10: 00D2*2 D200 EAD7".
class ScreenDump {
public:
    static std::string Document(const ScreenSnapshot& textScreen, const ScreenSnapshot& statusLine);

    static std::string Text(const ScreenSnapshot& screen);
    static std::string Text(const ScreenSnapshot& screen, int column, int row, int width,
                            int height);
    static std::string Attributes(const ScreenSnapshot& screen);
    static std::string Attributes(const ScreenSnapshot& screen, int column, int row, int width,
                                  int height);

    // The UTF-8 form of what a cell holding this code (as a whole cell) shows.
    static std::string Glyph(std::uint16_t code);
    // What the cell at (column, row) shows, as Text gives it, but a blank kept as a space: one
    // character, a space for the second cell of a two-cell one; empty off the grid.
    static std::string CellText(const ScreenSnapshot& screen, int column, int row);
};

} // namespace qx44
