#include "core/screen/ScreenDumpComparison.h"

#include "core/screen/ScreenDump.h"
#include "core/screen/ScreenDumpParser.h"

#include <algorithm>

namespace qx44 {

namespace {

std::string AttributeText(const ScreenSnapshot& screen, int column, int row) {
    std::string text = ScreenDump::Attributes(screen, column, row, 1, 1);
    text.pop_back();
    return text;
}

// What a cell shows depends on its neighbours (the halves of a two-cell character), so a cell
// needs a look at what it shows only where it or a neighbour differs.
bool AroundDiffers(const ScreenSnapshot& a, const ScreenSnapshot& b, int column, int row) {
    for (int c = std::max(column - 1, 0); c <= std::min(column + 1, a.columns - 1); ++c) {
        const ScreenSnapshot::Cell& one = a.At(c, row);
        const ScreenSnapshot::Cell& other = b.At(c, row);
        if (one.code != other.code || one.half != other.half) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<std::string> ScreenDumpComparison::Differences(std::string_view expected,
                                                           std::string_view actual,
                                                           std::size_t limit) {
    std::string error;
    const auto want = ScreenDumpParser::Parse(expected, error);
    if (!want) {
        return {"the expected dump cannot be read: " + error};
    }
    const auto have = ScreenDumpParser::Parse(actual, error);
    if (!have) {
        return {"the actual dump cannot be read: " + error};
    }
    const auto named = [](const std::vector<DumpedScreen>& screens, const std::string& name) {
        const auto found = std::ranges::find(screens, name, &DumpedScreen::name);
        return found == screens.end() ? nullptr : &found->screen;
    };
    std::vector<std::string> out;
    std::size_t more = 0;
    const auto add = [&](std::string line) {
        if (out.size() < limit) {
            out.push_back(std::move(line));
        } else {
            ++more;
        }
    };
    for (const auto& [name, grid] : *want) {
        const ScreenSnapshot* other = named(*have, name);
        if (other == nullptr) {
            add(name + ": expected, but the dump has no such screen");
            continue;
        }
        if (other->columns != grid.columns || other->rows != grid.rows) {
            add(name + ": expected " + std::to_string(grid.columns) + "x" +
                std::to_string(grid.rows) + ", actual " + std::to_string(other->columns) + "x" +
                std::to_string(other->rows));
            continue;
        }
        for (int row = 0; row < grid.rows; ++row) {
            for (int column = 0; column < grid.columns; ++column) {
                const std::string where =
                    name + " row " + std::to_string(row) + " column " + std::to_string(column);
                const std::string shown = AroundDiffers(grid, *other, column, row)
                                              ? ScreenDump::CellText(grid, column, row)
                                              : std::string();
                const std::string otherShown =
                    shown.empty() ? std::string() : ScreenDump::CellText(*other, column, row);
                if (shown != otherShown) {
                    add(where + ": expected \"" + shown + "\", actual \"" + otherShown + "\"");
                } else if (grid.At(column, row).attribute != other->At(column, row).attribute) {
                    add(where + ": attribute expected " + AttributeText(grid, column, row) +
                        ", actual " + AttributeText(*other, column, row));
                }
            }
        }
    }
    for (const auto& [name, grid] : *have) {
        if (named(*want, name) == nullptr) {
            add(name + ": not expected, but the dump has it");
        }
    }
    if (more > 0) {
        out.push_back("... and " + std::to_string(more) + " more differences");
    }
    return out;
}

} // namespace qx44
