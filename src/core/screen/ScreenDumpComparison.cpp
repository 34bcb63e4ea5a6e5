#include "core/screen/ScreenDumpComparison.h"

#include <charconv>
#include <map>
#include <optional>
#include <sstream>

namespace qx44 {

namespace {

constexpr char32_t kFirstWideCode = 0x4E00;

// One screen of a document: what each cell shows and its attribute, row by row.
struct Grid {
    int columns = 0;
    int rows = 0;
    std::vector<std::string> shown;
    std::vector<std::string> attributes;
};

using Screens = std::map<std::string, Grid>;

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::size_t Utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

char32_t CodePoint(std::string_view piece) {
    const auto lead = static_cast<unsigned char>(piece[0]);
    if (piece.size() == 1) {
        return lead;
    }
    char32_t code = lead & (0x7F >> piece.size());
    for (std::size_t i = 1; i < piece.size(); ++i) {
        code = (code << 6) | (static_cast<unsigned char>(piece[i]) & 0x3F);
    }
    return code;
}

// A text line's characters spread over the cells, a wide character over two.
void FillRow(Grid& grid, int row, std::string_view line) {
    int column = 0;
    for (std::size_t i = 0; i < line.size() && column < grid.columns;) {
        const std::size_t length =
            std::min(Utf8Length(static_cast<unsigned char>(line[i])), line.size() - i);
        const std::string_view piece = line.substr(i, length);
        grid.shown[static_cast<std::size_t>(row * grid.columns + column)] = piece;
        column += CodePoint(piece) >= kFirstWideCode ? 2 : 1;
        i += length;
    }
}

std::optional<std::pair<int, int>> Size(std::string_view text) {
    const auto x = text.find('x');
    int columns = 0;
    int rows = 0;
    if (x == std::string_view::npos ||
        std::from_chars(text.data(), text.data() + x, columns).ec != std::errc() ||
        std::from_chars(text.data() + x + 1, text.data() + text.size(), rows).ec != std::errc() ||
        columns <= 0 || rows <= 0 || columns > 1000 || rows > 1000) {
        return std::nullopt;
    }
    return std::pair{columns, rows};
}

// "5 10: 00D2*2 D200" into the row's cells from column 10 on.
void FillAttributes(Grid& grid, std::string_view line) {
    std::istringstream in{std::string(line)};
    int row = -1;
    int column = -1;
    char colon = 0;
    if (!(in >> row >> column >> colon) || colon != ':' || row < 0 || row >= grid.rows ||
        column < 0) {
        return;
    }
    for (std::string run; in >> run;) {
        const auto star = run.find('*');
        int count = 1;
        if (star != std::string::npos) {
            std::from_chars(run.data() + star + 1, run.data() + run.size(), count);
        }
        for (int i = 0; i < count && column < grid.columns; ++i, ++column) {
            grid.attributes[static_cast<std::size_t>(row * grid.columns + column)] =
                run.substr(0, star);
        }
    }
}

Screens Parse(std::string_view document) {
    Screens screens;
    const std::vector<std::string> lines = Lines(document);
    Grid* attributes = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::istringstream in(lines[i]);
        std::string word;
        std::string second;
        in >> word >> second;
        if (word == "attributes") {
            std::string fill;
            std::string value;
            in >> fill >> value;
            attributes = screens.contains(second) ? &screens[second] : nullptr;
            if (attributes != nullptr) {
                std::fill(attributes->attributes.begin(), attributes->attributes.end(), value);
            }
            continue;
        }
        if (attributes != nullptr) {
            FillAttributes(*attributes, lines[i]);
            continue;
        }
        const auto size = Size(second);
        if (!size || !in.eof()) {
            continue;
        }
        Grid& grid = screens[word];
        grid.columns = size->first;
        grid.rows = size->second;
        const auto cells = static_cast<std::size_t>(grid.columns * grid.rows);
        grid.shown.assign(cells, " ");
        grid.attributes.assign(cells, "");
        for (int row = 0; row < grid.rows && i + 1 < lines.size(); ++row) {
            FillRow(grid, row, lines[++i]);
        }
    }
    return screens;
}

} // namespace

std::vector<std::string> ScreenDumpComparison::Differences(std::string_view expected,
                                                           std::string_view actual,
                                                           std::size_t limit) {
    const Screens want = Parse(expected);
    const Screens have = Parse(actual);
    std::vector<std::string> out;
    std::size_t more = 0;
    const auto add = [&](std::string line) {
        if (out.size() < limit) {
            out.push_back(std::move(line));
        } else {
            ++more;
        }
    };
    for (const auto& [name, grid] : want) {
        const auto found = have.find(name);
        if (found == have.end()) {
            add(name + ": expected, but the dump has no such screen");
            continue;
        }
        const Grid& other = found->second;
        if (other.columns != grid.columns || other.rows != grid.rows) {
            add(name + ": expected " + std::to_string(grid.columns) + "x" +
                std::to_string(grid.rows) + ", actual " + std::to_string(other.columns) + "x" +
                std::to_string(other.rows));
            continue;
        }
        for (int row = 0; row < grid.rows; ++row) {
            for (int column = 0; column < grid.columns; ++column) {
                const auto n = static_cast<std::size_t>(row * grid.columns + column);
                const std::string where =
                    name + " row " + std::to_string(row) + " column " + std::to_string(column);
                if (grid.shown[n] != other.shown[n]) {
                    add(where + ": expected \"" + grid.shown[n] + "\", actual \"" + other.shown[n] +
                        "\"");
                } else if (grid.attributes[n] != other.attributes[n]) {
                    add(where + ": attribute expected " + grid.attributes[n] + ", actual " +
                        other.attributes[n]);
                }
            }
        }
    }
    for (const auto& [name, grid] : have) {
        if (!want.contains(name)) {
            add(name + ": not expected, but the dump has it");
        }
    }
    if (more > 0) {
        out.push_back("... and " + std::to_string(more) + " more differences");
    }
    return out;
}

} // namespace qx44
