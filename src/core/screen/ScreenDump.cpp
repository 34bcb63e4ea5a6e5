#include "core/screen/ScreenDump.h"

#include "core/text/CUnicodeConverter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

namespace qx44 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr int kFirstWideCode = 0x4E00;

struct Region {
    int firstColumn = 0;
    int endColumn = 0;
    int firstRow = 0;
    int endRow = 0;
};

Region Clip(const ScreenSnapshot& screen, int column, int row, int width, int height) {
    const auto clip = [](std::int64_t start, std::int64_t length, int limit) {
        const std::int64_t first = std::clamp<std::int64_t>(start, 0, limit);
        const std::int64_t end = std::clamp<std::int64_t>(start + length, first, limit);
        return std::array<int, 2>{static_cast<int>(first), static_cast<int>(end)};
    };
    const auto [firstColumn, endColumn] = clip(column, width, screen.columns);
    const auto [firstRow, endRow] = clip(row, height, screen.rows);
    return {firstColumn, endColumn, firstRow, endRow};
}

// The characters the painter's line pieces look like.
constexpr std::array<std::pair<std::uint16_t, char32_t>, 28> kLinePieces{{
    {128, U'╚'}, {129, U'╔'}, {130, U'╝'}, {131, U'╗'}, {132, U'═'}, {133, U'║'}, {179, U'│'},
    {180, U'┤'}, {185, U'╣'}, {186, U'║'}, {187, U'╗'}, {188, U'╝'}, {191, U'┐'}, {192, U'└'},
    {193, U'┴'}, {194, U'┬'}, {195, U'├'}, {196, U'─'}, {197, U'┼'}, {200, U'╚'}, {201, U'╔'},
    {202, U'╩'}, {203, U'╦'}, {204, U'╠'}, {205, U'═'}, {206, U'╬'}, {217, U'┘'}, {218, U'┌'},
}};

// Bevel pieces in code order: left, right and inner vertical, top, bottom and inner horizontal,
// then the corners and junctions.
constexpr std::array<char32_t, 15> kBevelPieces{U'┃', U'┃', U'┃', U'━', U'━', U'━', U'┏', U'┓',
                                                U'┳', U'┗', U'┛', U'┻', U'╋', U'┣', U'┫'};

char32_t Shown(std::uint16_t code) {
    if (code == 0 || code == 32) {
        return U' ';
    }
    const auto line = std::find_if(kLinePieces.begin(), kLinePieces.end(),
                                   [code](const auto& piece) { return piece.first == code; });
    if (line != kLinePieces.end()) {
        return line->second;
    }
    for (const std::uint16_t first : {std::uint16_t{2048}, std::uint16_t{2112}}) {
        if (code >= first && code < first + kBevelPieces.size()) {
            return kBevelPieces[code - first];
        }
    }
    if (code < 32) {
        return 0x2400 + code;
    }
    if (code == 0x7F) {
        return 0x2421;
    }
    if ((code >= 0x80 && code <= 0x9F) || (code >= 0xD800 && code <= 0xDFFF) || code >= 0xFFFE) {
        return kReplacement;
    }
    return code;
}

// What each cell of a row contributes to the text, looking at its neighbours in the store
// order as the painter does to pair the halves of a two-cell character.
std::vector<std::string> RowPieces(const ScreenSnapshot& screen, int row) {
    std::vector<std::string> pieces;
    pieces.reserve(static_cast<std::size_t>(screen.columns));
    const std::size_t rowStart =
        static_cast<std::size_t>(row) * static_cast<std::size_t>(screen.columns);
    for (int column = 0; column < screen.columns; ++column) {
        const std::size_t n = rowStart + static_cast<std::size_t>(column);
        const ScreenSnapshot::Cell& cell = screen.cells.at(n);
        std::string piece;
        if (cell.half == HalfMarker::Second) {
            const ScreenSnapshot::Cell* first = column > 0 ? &screen.cells.at(n - 1) : nullptr;
            const bool drawnAcross = first != nullptr && first->half == HalfMarker::First &&
                                     ((first->code << 8) | cell.code) >= kFirstWideCode;
            piece = drawnAcross ? "" : " ";
        } else if (cell.half == HalfMarker::First && n + 1 < screen.cells.size() &&
                   screen.cells[n + 1].half == HalfMarker::Second) {
            piece = ScreenDump::Glyph(
                static_cast<std::uint16_t>((cell.code << 8) | screen.cells.at(n + 1).code));
        } else {
            piece = ScreenDump::Glyph(cell.code);
        }
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

// A cell's piece where a region of the dump begins or goes on: a region that starts inside a
// two-cell character still keeps its columns.
std::string PieceIn(const std::vector<std::string>& pieces, int column, bool startsRegion) {
    const std::string& piece = pieces.at(static_cast<std::size_t>(column));
    return piece.empty() && startsRegion ? std::string(" ") : piece;
}

std::string AttributeText(std::int32_t attribute) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%04X", static_cast<unsigned>(attribute));
    return text.data();
}

// The attribute most cells hold.
std::int32_t FillAttribute(const ScreenSnapshot& screen) {
    std::map<std::int32_t, std::size_t> counts;
    for (const ScreenSnapshot::Cell& cell : screen.cells) {
        ++counts[cell.attribute];
    }
    const auto most =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.end() ? 0 : most->first;
}

std::string GridHeader(std::string_view name, const ScreenSnapshot& screen) {
    return std::string(name) + ' ' + std::to_string(screen.columns) + 'x' +
           std::to_string(screen.rows) + '\n';
}

std::string DifferingAttributes(std::string_view name, const ScreenSnapshot& screen) {
    const std::int32_t fill = FillAttribute(screen);
    std::string out = "attributes " + std::string(name) + " fill " + AttributeText(fill) + '\n';
    for (int row = 0; row < screen.rows; ++row) {
        int first = -1;
        int last = -1;
        for (int column = 0; column < screen.columns; ++column) {
            if (screen.At(column, row).attribute != fill) {
                first = first < 0 ? column : first;
                last = column;
            }
        }
        if (first >= 0) {
            out += std::to_string(row) + ' ' + std::to_string(first) + ": " +
                   ScreenDump::Attributes(screen, first, row, last - first + 1, 1);
        }
    }
    return out;
}

} // namespace

std::string ScreenDump::Document(const ScreenSnapshot& textScreen,
                                 const ScreenSnapshot& statusLine) {
    return GridHeader("text", textScreen) + Text(textScreen) + GridHeader("status", statusLine) +
           Text(statusLine) + DifferingAttributes("text", textScreen) +
           DifferingAttributes("status", statusLine);
}

std::string ScreenDump::Glyph(std::uint16_t code) {
    std::string out;
    CUnicodeConverter::AppendUtf8(out, static_cast<char16_t>(Shown(code)));
    return out;
}

std::string ScreenDump::CellText(const ScreenSnapshot& screen, int column, int row) {
    if (column < 0 || column >= screen.columns || row < 0 || row >= screen.rows) {
        return {};
    }
    return PieceIn(RowPieces(screen, row), column, true);
}

std::string ScreenDump::Text(const ScreenSnapshot& screen) {
    return Text(screen, 0, 0, screen.columns, screen.rows);
}

std::string ScreenDump::Text(const ScreenSnapshot& screen, int column, int row, int width,
                             int height) {
    const Region region = Clip(screen, column, row, width, height);
    std::string out;
    for (int r = region.firstRow; r < region.endRow; ++r) {
        const std::vector<std::string> pieces = RowPieces(screen, r);
        std::string line;
        for (int c = region.firstColumn; c < region.endColumn; ++c) {
            line += PieceIn(pieces, c, c == region.firstColumn);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line;
        out += '\n';
    }
    return out;
}

std::string ScreenDump::Attributes(const ScreenSnapshot& screen) {
    return Attributes(screen, 0, 0, screen.columns, screen.rows);
}

std::string ScreenDump::Attributes(const ScreenSnapshot& screen, int column, int row, int width,
                                   int height) {
    const Region region = Clip(screen, column, row, width, height);
    std::string out;
    for (int r = region.firstRow; r < region.endRow; ++r) {
        std::string line;
        int c = region.firstColumn;
        while (c < region.endColumn) {
            const std::int32_t attribute = screen.At(c, r).attribute;
            int end = c + 1;
            while (end < region.endColumn && screen.At(end, r).attribute == attribute) {
                ++end;
            }
            if (!line.empty()) {
                line += ' ';
            }
            line += AttributeText(attribute);
            if (end - c > 1) {
                line += '*' + std::to_string(end - c);
            }
            c = end;
        }
        out += line;
        out += '\n';
    }
    return out;
}

} // namespace qx44
