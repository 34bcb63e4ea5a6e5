// Any bytes as a screen dump (an expected.txt a person edited): the parser takes them or names
// the line it refuses, a station's document of what it took reads back as the same cells, and
// the comparison of the bytes with themselves and with their first half runs without harm.
#include "core/screen/ScreenDump.h"
#include "core/screen/ScreenDumpComparison.h"
#include "core/screen/ScreenDumpParser.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qx44;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto screens = ScreenDumpParser::Parse(text, error);
    if (!screens) {
        Check(error.starts_with("line "));
    } else {
        for (const DumpedScreen& screen : *screens) {
            Check(screen.screen.cells.size() == static_cast<std::size_t>(screen.screen.columns) *
                                                    static_cast<std::size_t>(screen.screen.rows));
        }
        Check(ScreenDumpComparison::Differences(text, text).empty());
        if (screens->size() == 2 && (*screens)[0].name == "text" &&
            (*screens)[1].name == "status") {
            const std::string document =
                ScreenDump::Document((*screens)[0].screen, (*screens)[1].screen);
            const auto again = ScreenDumpParser::Parse(document, error);
            Check(again && (*again)[0].screen.cells == (*screens)[0].screen.cells &&
                  (*again)[1].screen.cells == (*screens)[1].screen.cells);
        }
    }
    ScreenDumpComparison::Differences(text, text.substr(0, size / 2));
    return 0;
}
