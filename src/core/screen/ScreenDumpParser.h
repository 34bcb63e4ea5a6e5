#pragma once

#include "core/screen/ScreenSnapshot.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// One screen of a ScreenDump document read back: its name ("text", "status") and its cells.
struct DumpedScreen {
    std::string name{};
    ScreenSnapshot screen{};
};

// Reads a ScreenDump document (`--dump-screen`, a golden expected.txt) back into cells, so that
// a dump can be drawn as the station would draw it. Each character becomes the lowest code that
// shows it (a line piece for a box-drawing character, a two-cell pair for a wide one), and
// dumping the cells again gives the same document. Anything that does not fit its grid, or is
// not of the document's form, is refused with the line it is on.
class ScreenDumpParser {
public:
    static constexpr int kMaxSide = 1000;

    ScreenDumpParser() = delete;

    // The screens in the document's order; nullopt with `error` ("line 27: ...") otherwise.
    static std::optional<std::vector<DumpedScreen>> Parse(std::string_view document,
                                                          std::string& error);
};

} // namespace qx44
