#include "core/screen/FrameDrawer.h"

#include "core/screen/CGlobalFunction.h"

#include <algorithm>
#include <array>
#include <span>

namespace qx44 {

namespace {

constexpr std::uint16_t kSpace = 32;

// Frame pieces of DrawBox; the painter draws them as double lines.
constexpr std::uint16_t kFrameTopLeft = 129;
constexpr std::uint16_t kFrameTopRight = 131;
constexpr std::uint16_t kFrameBottomLeft = 128;
constexpr std::uint16_t kFrameBottomRight = 130;
constexpr std::uint16_t kFrameHorizontal = 132;
constexpr std::uint16_t kFrameVertical = 133;

// Table pieces by role. The bevel sets need four more roles, because a raised or sunken look
// draws the outer and inner lines differently.
enum Piece : std::size_t {
    kVertical,
    kHorizontal,
    kTopLeft,
    kTopRight,
    kBottomLeft,
    kBottomRight,
    kCross,
    kBottomJunction,
    kLeftJunction,
    kRightJunction,
    kTopJunction,
    kRightEdge,
    kInnerVertical,
    kBottomEdge,
    kInnerHorizontal,
    kPieceCount
};

using PieceSet = std::array<std::uint16_t, kPieceCount>;

constexpr PieceSet kBlankPieces{32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 0, 0, 0, 0};
constexpr PieceSet kSinglePieces{179, 196, 218, 191, 192, 217, 197, 193, 195, 180, 194, 0, 0, 0, 0};
constexpr PieceSet kDoublePieces{186, 205, 201, 187, 200, 188, 206, 202, 204, 185, 203, 0, 0, 0, 0};
constexpr PieceSet kBevelPiecesA{2048, 2051, 2054, 2055, 2057, 2058, 2060, 2059,
                                 2061, 2062, 2056, 2049, 2050, 2052, 2053};
constexpr PieceSet kBevelPiecesB{2112, 2115, 2118, 2119, 2121, 2122, 2124, 2123,
                                 2125, 2126, 2120, 2113, 2114, 2116, 2117};
constexpr PieceSet kNoPieces{};

bool IsBevelStyle(int style) {
    return style == 5 || style == 6;
}

const PieceSet& PiecesForStyle(int style) {
    switch (style) {
    case 0:
    case 10:
        return kBlankPieces;
    case 1:
    case 3:
    case 4:
    case 11:
    case 13:
    case 14:
        return kSinglePieces;
    case 2:
    case 12:
    case 15:
    case 16:
        return kDoublePieces;
    case 5:
        return kBevelPiecesA;
    case 6:
        return kBevelPiecesB;
    default:
        return kNoPieces;
    }
}

// Where divider `index` of a table lies: the space between the dividers is shared out as evenly
// as possible, the first bands getting one line more. With more bands than the extent has room
// for, lines fall outside the table just as they do on a station; the cell writer skips those
// outside the grid.
std::int64_t DividerLine(std::int64_t origin, std::int64_t extent, std::int64_t bands,
                         std::int64_t index) {
    const std::int64_t inner = extent - bands - 1;
    const std::int64_t quotient = inner / bands;
    const std::int64_t remainder = inner % bands;
    return index <= remainder ? origin + index * (quotient + 2)
                              : origin + remainder + index * (quotient + 1);
}

} // namespace

std::optional<FrameDrawer::Area> FrameDrawer::DrawBox(CellStore& store, int column, int row,
                                                      int width, int height, int attribute) {
    const CellGrid grid = store.Grid();
    if (!grid.IsValidPosition(column, row)) {
        return std::nullopt;
    }
    const std::int64_t w = std::min<std::int64_t>(width, grid.columns - column);
    const std::int64_t h = std::min<std::int64_t>(height, grid.rows - row);
    if (w <= 0 || h <= 0) {
        return std::nullopt;
    }
    const std::int64_t right = column + w - 1;
    const std::int64_t bottom = row + h - 1;
    store.SetCell(column, row, kFrameTopLeft, attribute);
    store.SetCell(right, row, kFrameTopRight, attribute);
    store.SetCell(column, bottom, kFrameBottomLeft, attribute);
    store.SetCell(right, bottom, kFrameBottomRight, attribute);
    store.SetRun(column + 1, row, kFrameHorizontal, attribute, w - 2);
    store.SetRun(column + 1, bottom, kFrameHorizontal, attribute, w - 2);
    for (std::int64_t r = row + 1; r < bottom; ++r) {
        store.SetCell(column, r, kFrameVertical, attribute);
        store.SetCell(right, r, kFrameVertical, attribute);
        store.SetRun(column + 1, r, kSpace, attribute, w - 2);
    }
    return Area{column, row, w, h};
}

bool FrameDrawer::DrawTable(CellStore& store, int top, int left, int width, int height,
                            int columnBands, int rowBands, int background, int foreground,
                            int style) {
    const CellGrid grid = store.Grid();
    // Without bands the divider formula has nothing to divide by; a host sends at most 255.
    if (!grid.IsValidPosition(left, top) || rowBands < 1 || columnBands < 1 ||
        rowBands > kMaxTableBands || columnBands > kMaxTableBands) {
        return false;
    }
    const PieceSet& pieces = PiecesForStyle(style);
    const bool bevel = IsBevelStyle(style);
    const int fill = CGlobalFunction::MakeAttr(background, foreground);
    const int line = bevel ? CGlobalFunction::MakeAttr(foreground, foreground) : fill;

    store.FillArea(left, top, width, height, kSpace, fill);

    const auto rowLine = [&](std::int64_t i) { return DividerLine(top, height, rowBands, i); };
    const auto colLine = [&](std::int64_t j) { return DividerLine(left, width, columnBands, j); };
    const std::int64_t right = static_cast<std::int64_t>(left) + width - 1;
    const std::int64_t bottom = static_cast<std::int64_t>(top) + height - 1;
    const std::int64_t lastColumn = std::min<std::int64_t>(right, grid.columns - 1);
    const std::int64_t lastRow = std::min<std::int64_t>(bottom, grid.rows - 1);

    // A divider that falls outside the grid writes nothing, so its run is not walked. With more
    // bands than the extent has room for, neighbouring dividers fall on one line: each line and
    // cell is then written once, by the divider that would have written it last.
    for (std::int64_t i = 0; i <= rowBands; ++i) {
        const std::uint16_t code = !bevel || i == 0 ? pieces[kHorizontal]
                                   : i == rowBands  ? pieces[kBottomEdge]
                                                    : pieces[kInnerHorizontal];
        const std::int64_t y = rowLine(i);
        if (i < rowBands && rowLine(i + 1) == y) {
            continue;
        }
        if (y >= 0 && y < grid.rows && left <= lastColumn) {
            store.FillRow(y, left, lastColumn + 1, code, line);
        }
    }
    // Vertical dividers, where two dividers fall on one column the later one still wins.
    const auto bandCount = static_cast<std::size_t>(columnBands) + 1;
    std::array<std::int64_t, kMaxTableBands + 1> dividerColumns{};
    // The distinct divider columns on the grid, each with the code of the last divider there.
    std::array<std::int64_t, kMaxTableBands + 1> shownColumns{};
    std::array<std::uint16_t, kMaxTableBands + 1> shownCodes{};
    std::size_t shownCount = 0;
    for (std::size_t j = 0; j < bandCount; ++j) {
        const auto band = static_cast<std::int64_t>(j);
        const std::int64_t x = colLine(band);
        dividerColumns[j] = x;
        const std::uint16_t code = !bevel || band == 0   ? pieces[kVertical]
                                   : band == columnBands ? pieces[kRightEdge]
                                                         : pieces[kInnerVertical];
        if (x >= 0 && x < grid.columns) {
            if (shownCount == 0 || shownColumns[shownCount - 1] != x) {
                shownColumns[shownCount++] = x;
            }
            shownCodes[shownCount - 1] = code;
        }
    }
    store.PutColumns(top, lastRow, std::span(shownColumns).first(shownCount),
                     std::span(shownCodes).first(shownCount), line);

    store.PutTableCell(left, top, pieces[kTopLeft], line);
    store.PutTableCell(right, top, pieces[kTopRight], line);
    store.PutTableCell(left, bottom, pieces[kBottomLeft], line);
    store.PutTableCell(right, bottom, pieces[kBottomRight], line);
    for (std::size_t j = 1; j + 1 < bandCount; ++j) {
        store.PutTableCell(dividerColumns[j], top, pieces[kTopJunction], line);
        store.PutTableCell(dividerColumns[j], bottom, pieces[kBottomJunction], line);
    }
    for (std::int64_t i = 1; i < rowBands; ++i) {
        store.PutTableCell(left, rowLine(i), pieces[kLeftJunction], line);
        store.PutTableCell(right, rowLine(i), pieces[kRightJunction], line);
    }
    for (std::int64_t i = 1; i < rowBands; ++i) {
        const std::int64_t y = rowLine(i);
        if (i > 1 && rowLine(i - 1) == y) {
            continue;
        }
        for (std::size_t j = 1; j + 1 < bandCount && y >= 0 && y < grid.rows; ++j) {
            if (j == 1 || dividerColumns[j - 1] != dividerColumns[j]) {
                store.PutTableCell(dividerColumns[j], y, pieces[kCross], line);
            }
        }
    }
    return true;
}

} // namespace qx44
