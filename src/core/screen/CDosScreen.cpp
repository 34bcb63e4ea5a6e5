#include "core/screen/CDosScreen.h"

#include "core/screen/CGlobalFunction.h"
#include "core/screen/CUnicodeConverter.h"
#include "core/screen/CellBlocks.h"
#include "core/screen/IScreenSurface.h"

#include <algorithm>
#include <array>

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

CDosScreen::CDosScreen(int capacityColumns, int capacityRows, int columns, int rows,
                       int clearAttribute)
    : columns_(columns), rows_(rows), capacityColumns_(capacityColumns),
      capacityRows_(capacityRows),
      codes_(static_cast<std::size_t>(capacityColumns) * static_cast<std::size_t>(capacityRows)),
      attributes_(codes_.size()), halves_(codes_.size()), rects_(codes_.size()),
      edges_(layout_, capacityColumns, capacityRows) {
    damage_.SetGrid(columns_, rows_);
    ClearStore(clearAttribute);
    // A window's first paint covers everything.
    damage_.Clear();
}

template <typename Operation> auto CDosScreen::Change(Operation&& operation) {
    Repaint repaint;
    auto result = [&] {
        std::lock_guard lock(mutex_);
        repaint.surface = surface_;
        auto outcome = operation(repaint);
        if (repaint.area) {
            damage_.TakeInto(*repaint.area, edges_);
        } else if (repaint.cells) {
            damage_.Clear();
        }
        return outcome;
    }();
    Deliver(repaint);
    return result;
}

void CDosScreen::Deliver(const Repaint& repaint) {
    if (repaint.surface == nullptr || (!repaint.area && !repaint.window) ||
        !repaint.surface->WindowExists()) {
        return;
    }
    if (repaint.area) {
        repaint.surface->InvalidateRect(*repaint.area);
    }
    if (repaint.window) {
        repaint.surface->RepaintHeld();
    }
}

std::optional<PixelRect> CDosScreen::ClientIfWindowExists() const {
    IScreenSurface* surface = nullptr;
    {
        std::lock_guard lock(mutex_);
        surface = surface_;
    }
    if (surface == nullptr || !surface->WindowExists()) {
        return std::nullopt;
    }
    return surface->ClientRect();
}

void CDosScreen::SetSurface(IScreenSurface* surface) {
    std::lock_guard lock(mutex_);
    surface_ = surface;
}

std::int64_t CDosScreen::StoreSize() const {
    return static_cast<std::int64_t>(codes_.size());
}

bool CDosScreen::InStore(std::int64_t cellNumber) const {
    return cellNumber >= 0 && cellNumber < StoreSize();
}

void CDosScreen::StoreWholeLocked(std::size_t cellNumber, std::uint16_t code, int attribute) {
    codes_[cellNumber] = code;
    attributes_[cellNumber] = attribute;
    halves_[cellNumber] = HalfMarker::Whole;
}

void CDosScreen::SetWholeCellLocked(int column, int row, std::uint16_t code, int attribute) {
    StoreWholeLocked(static_cast<std::size_t>(CellNumber(column, row)), code, attribute);
    damage_.AddSpan(row, column, column + 1);
}

void CDosScreen::FillRunLocked(std::int64_t first, std::int64_t end, std::uint16_t code,
                               int attribute) {
    damage_.AddRange(first, end);
    const auto at = static_cast<std::size_t>(first);
    const auto count = static_cast<std::size_t>(end - first);
    CellBlocks::Fill(codes_.data() + at, count, code);
    CellBlocks::Fill(attributes_.data() + at, count, attribute);
    CellBlocks::Fill(halves_.data() + at, count, HalfMarker::Whole);
}

// A half whose partner was overwritten shows as a character of its own.
void CDosScreen::MakeWholeLocked(std::int64_t cellNumber, HalfMarker half) {
    if (InStore(cellNumber) && halves_[static_cast<std::size_t>(cellNumber)] == half) {
        halves_[static_cast<std::size_t>(cellNumber)] = HalfMarker::Whole;
        damage_.Add(cellNumber);
    }
}

std::int64_t CDosScreen::CellNumber(std::int64_t column, std::int64_t row) const {
    return row * columns_ + column;
}

bool CDosScreen::IsValidPosition(std::int64_t column, std::int64_t row) const {
    return column >= 0 && column < columns_ && row >= 0 && row < rows_;
}

bool CDosScreen::GridFits(int columns, int rows) const {
    return columns >= 1 && rows >= 1 && columns <= capacityColumns_ &&
           static_cast<std::int64_t>(columns) * rows <= StoreSize();
}

template <typename Write>
std::int64_t CDosScreen::WriteTextLocked(std::int64_t start, Write&& write) {
    // A character that used to cover the cells being written loses its other half, which then
    // shows as a character of its own instead of pairing with a stranger.
    if (start > 0) {
        MakeWholeLocked(start - 1, HalfMarker::First);
    }
    std::int64_t n = start;
    if (InStore(start)) {
        n = start + static_cast<std::int64_t>(write(static_cast<std::size_t>(start)));
    }
    MakeWholeLocked(n, HalfMarker::Second);
    return n;
}

std::int64_t CDosScreen::WriteUnitsLocked(std::int64_t start, std::span<const char16_t> units,
                                          int attribute) {
    return WriteTextLocked(start, [&](std::size_t first) {
        // A unit above 0xFF takes two cells, its high byte first; a first half in the last cell
        // of the store stays without its partner.
        const std::size_t room = codes_.size() - first;
        const auto write = [&](std::size_t i, std::uint16_t code, HalfMarker half) {
            codes_[first + i] = code;
            halves_[first + i] = half;
            if (attribute != kKeepAttribute) {
                attributes_[first + i] = attribute;
            }
        };
        std::size_t i = 0;
        std::size_t changed = 0;
        for (const char16_t unit : units) {
            if (i >= room) {
                break;
            }
            if ((unit >> 8) == 0) {
                write(i, unit, HalfMarker::Whole);
                changed = ++i;
                continue;
            }
            write(i, static_cast<std::uint16_t>(unit >> 8), HalfMarker::First);
            changed = i + 1;
            if (i + 1 >= room) {
                break;
            }
            write(i + 1, static_cast<std::uint16_t>(unit & 0xFF), HalfMarker::Second);
            i += 2;
            changed = i;
        }
        // How many cells a text covers shows only as it is written, so its run is recorded
        // here, once, rather than through FillRunLocked.
        const auto at = static_cast<std::int64_t>(first);
        damage_.AddRange(at, at + static_cast<std::int64_t>(changed));
        return i;
    });
}

void CDosScreen::WriteBytesLocked(std::int64_t start, std::span<const std::uint8_t> bytes,
                                  int attribute) {
    WriteTextLocked(start, [&](std::size_t first) {
        const std::size_t count = std::min(bytes.size(), codes_.size() - first);
        CellBlocks::Widen(codes_.data() + first, bytes.data(), count);
        CellBlocks::Fill(halves_.data() + first, count, HalfMarker::Whole);
        if (attribute != kKeepAttribute) {
            CellBlocks::Fill(attributes_.data() + first, count, attribute);
        }
        const auto at = static_cast<std::int64_t>(first);
        damage_.AddRange(at, at + static_cast<std::int64_t>(count));
        return count;
    });
}

void CDosScreen::SetRunLocked(std::int64_t column, std::int64_t row, std::uint8_t character,
                              int attribute, std::int64_t count) {
    const std::int64_t start = CellNumber(column, row);
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    const std::int64_t last =
        std::min<std::int64_t>(start + std::max<std::int64_t>(count, 0), StoreSize());
    if (first >= last) {
        return;
    }
    // Character 0 recolours a region without touching what it shows.
    if (character == 0) {
        damage_.AddRange(first, last);
        CellBlocks::Fill(attributes_.data() + first, static_cast<std::size_t>(last - first),
                         attribute);
        return;
    }
    FillRunLocked(first, last, character, attribute);
}

bool CDosScreen::SetCellLocked(std::int64_t column, std::int64_t row, std::uint16_t code,
                               int attribute) {
    if (!IsValidPosition(column, row)) {
        return false;
    }
    const std::int64_t n = CellNumber(column, row);
    SetWholeCellLocked(static_cast<int>(column), static_cast<int>(row), code, attribute);
    MakeWholeLocked(n - 1, HalfMarker::First);
    MakeWholeLocked(n + 1, HalfMarker::Second);
    return true;
}

void CDosScreen::PutTableCellLocked(std::int64_t column, std::int64_t row, std::uint16_t code,
                                    int attribute) {
    if (!IsValidPosition(column, row)) {
        return;
    }
    SetWholeCellLocked(static_cast<int>(column), static_cast<int>(row), code, attribute);
}

void CDosScreen::FillAreaLocked(std::int64_t column, std::int64_t row, std::int64_t width,
                                std::int64_t height, std::uint8_t character, int attribute,
                                Repaint& repaint) {
    // Clipped against the store, not the grid: on a grid narrower than the store a rectangle
    // that passes the right edge continues on the next grid row, as it does on the station.
    if (row + height > capacityRows_) {
        height = capacityRows_ - row;
    }
    if (column + width > capacityColumns_) {
        width = capacityColumns_ - column;
    }
    // After clipping a run ends at most capacity columns past the start of its row, so rows
    // further up than that cannot reach the store and need not be visited.
    const std::int64_t firstRow = std::max<std::int64_t>(row, -capacityColumns_);
    for (std::int64_t r = firstRow; r < row + height; ++r) {
        SetRunLocked(column, r, character, attribute, width);
    }
    InvalidateCellsLocked(0, 0, columns_, rows_, repaint);
}

int CDosScreen::DrawTableLocked(int top, int left, int width, int height, int columnBands,
                                int rowBands, int background, int foreground, int style,
                                Repaint& repaint) {
    // Without bands the divider formula has nothing to divide by; a host sends at most 255.
    if (!IsValidPosition(left, top) || rowBands < 1 || columnBands < 1 ||
        rowBands > kMaxTableBands || columnBands > kMaxTableBands) {
        return 0;
    }
    const PieceSet& pieces = PiecesForStyle(style);
    const bool bevel = IsBevelStyle(style);
    const int fill = CGlobalFunction::MakeAttr(background, foreground);
    const int line = bevel ? CGlobalFunction::MakeAttr(foreground, foreground) : fill;

    FillAreaLocked(left, top, width, height, kSpace, fill, repaint);

    const auto rowLine = [&](std::int64_t i) { return DividerLine(top, height, rowBands, i); };
    const auto colLine = [&](std::int64_t j) { return DividerLine(left, width, columnBands, j); };
    const std::int64_t right = static_cast<std::int64_t>(left) + width - 1;
    const std::int64_t bottom = static_cast<std::int64_t>(top) + height - 1;
    const std::int64_t lastColumn = std::min<std::int64_t>(right, columns_ - 1);
    const std::int64_t lastRow = std::min<std::int64_t>(bottom, rows_ - 1);

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
        if (y >= 0 && y < rows_ && left <= lastColumn) {
            FillRunLocked(CellNumber(left, y), CellNumber(lastColumn, y) + 1, code, line);
        }
    }
    // Vertical dividers row by row, so that cells written one after another lie close together
    // in the store; where two dividers fall on one column the later one still wins. A row's
    // divider cells are damaged as the one span that recording them one by one would widen to.
    const auto bandCount = static_cast<std::size_t>(columnBands) + 1;
    std::array<std::int64_t, kMaxTableBands + 1> dividerColumns{};
    // The distinct divider columns on the grid, each with the code of the last divider there.
    std::array<std::int64_t, kMaxTableBands + 1> shownColumns{};
    std::array<std::uint16_t, kMaxTableBands + 1> shownCodes{};
    std::size_t shownCount = 0;
    std::int64_t firstShown = columns_;
    std::int64_t lastShown = -1;
    for (std::size_t j = 0; j < bandCount; ++j) {
        const auto band = static_cast<std::int64_t>(j);
        const std::int64_t x = colLine(band);
        dividerColumns[j] = x;
        const std::uint16_t code = !bevel || band == 0   ? pieces[kVertical]
                                   : band == columnBands ? pieces[kRightEdge]
                                                         : pieces[kInnerVertical];
        if (x >= 0 && x < columns_) {
            if (shownCount == 0 || shownColumns[shownCount - 1] != x) {
                shownColumns[shownCount++] = x;
            }
            shownCodes[shownCount - 1] = code;
            firstShown = std::min(firstShown, x);
            lastShown = std::max(lastShown, x);
        }
    }
    for (std::int64_t y = top; y <= lastRow && shownCount > 0; ++y) {
        for (std::size_t k = 0; k < shownCount; ++k) {
            StoreWholeLocked(static_cast<std::size_t>(CellNumber(shownColumns[k], y)),
                             shownCodes[k], line);
        }
        damage_.AddSpan(static_cast<int>(y), static_cast<int>(firstShown),
                        static_cast<int>(lastShown) + 1);
    }

    PutTableCellLocked(left, top, pieces[kTopLeft], line);
    PutTableCellLocked(right, top, pieces[kTopRight], line);
    PutTableCellLocked(left, bottom, pieces[kBottomLeft], line);
    PutTableCellLocked(right, bottom, pieces[kBottomRight], line);
    for (std::size_t j = 1; j + 1 < bandCount; ++j) {
        PutTableCellLocked(dividerColumns[j], top, pieces[kTopJunction], line);
        PutTableCellLocked(dividerColumns[j], bottom, pieces[kBottomJunction], line);
    }
    for (std::int64_t i = 1; i < rowBands; ++i) {
        PutTableCellLocked(left, rowLine(i), pieces[kLeftJunction], line);
        PutTableCellLocked(right, rowLine(i), pieces[kRightJunction], line);
    }
    for (std::int64_t i = 1; i < rowBands; ++i) {
        const std::int64_t y = rowLine(i);
        if (i > 1 && rowLine(i - 1) == y) {
            continue;
        }
        for (std::size_t j = 1; j + 1 < bandCount && y >= 0 && y < rows_; ++j) {
            if (j == 1 || dividerColumns[j - 1] != dividerColumns[j]) {
                PutTableCellLocked(dividerColumns[j], y, pieces[kCross], line);
            }
        }
    }

    InvalidateCellsLocked(left, top, width, height, repaint);
    return 1;
}

void CDosScreen::SetGridSizeLocked(int columns, int rows, const std::optional<PixelRect>& client,
                                   Repaint& repaint) {
    if (!GridFits(columns, rows)) {
        return;
    }
    layout_.MarkStale();
    FillAreaLocked(0, 0, columns_, rows_, kSpace, kClearedGridAttribute, repaint);
    columns_ = columns;
    rows_ = rows;
    damage_.SetGrid(columns_, rows_);
    if (client) {
        LayOutLocked(*client);
        // The window may still be resized before it paints; the stale mark makes that paint lay
        // the new grid out again whatever size it finds.
        layout_.MarkStale();
    }
}

void CDosScreen::InvalidateCellsLocked(std::int64_t column, std::int64_t row, std::int64_t width,
                                       std::int64_t height, Repaint& repaint) const {
    repaint.cells = true;
    if (repaint.surface == nullptr) {
        return;
    }
    const std::int64_t endColumn = column + width;
    const std::int64_t endRow = row + height;
    repaint.Add(PixelRect::FromEdges(edges_.Left(column), edges_.Top(row), edges_.Right(endColumn),
                                     edges_.Bottom(endRow)));
}

void CDosScreen::LayOutLocked(const PixelRect& client) {
    if (!layout_.LayOut(client, columns_, rows_)) {
        return;
    }
    edges_.Update(layout_);
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < columns_; ++column) {
            rects_[static_cast<std::size_t>(CellNumber(column, row))] =
                layout_.CellRect(column, row);
        }
    }
}

ScreenSnapshot CDosScreen::SnapshotLocked() const {
    ScreenSnapshot snapshot;
    snapshot.columns = columns_;
    snapshot.rows = rows_;
    snapshot.layout = layout_;
    const auto visible = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    snapshot.cells.reserve(visible);
    for (std::size_t n = 0; n < visible; ++n) {
        snapshot.cells.push_back({codes_[n], attributes_[n], halves_[n]});
    }
    return snapshot;
}

int CDosScreen::PutText(int column, int row, std::span<const std::uint8_t> bytes, int attribute) {
    const std::span<const std::uint8_t> text = bytes.first(std::min(bytes.size(), kMaxTextBytes));
    // Only the decoded units are read; clearing the area first would cost as much as decoding.
    std::array<char16_t, kMaxTextBytes> units;
    const bool decodesToItself = CUnicodeConverter::DecodesToItself(text);
    const std::size_t count = decodesToItself ? 0 : CUnicodeConverter::DecodeText(units, text);
    return Change([&](Repaint& repaint) {
        const std::int64_t start = CellNumber(column, row);
        if (decodesToItself) {
            WriteBytesLocked(start, text, attribute);
        } else {
            WriteUnitsLocked(start, std::span<const char16_t>(units).first(count), attribute);
        }
        const std::int64_t gridCells = static_cast<std::int64_t>(columns_) * rows_;
        const std::int64_t cellsLeft = std::max<std::int64_t>(gridCells - start, 0);
        const std::int64_t width = std::min<std::int64_t>(text.size(), cellsLeft);
        InvalidateCellsLocked(column, row, width, 1, repaint);
        return 1;
    });
}

void CDosScreen::PutString(int column, int row, std::u16string_view text, int attribute) {
    Change([&](Repaint& repaint) {
        const std::int64_t start = CellNumber(column, row);
        const std::int64_t written =
            WriteUnitsLocked(start, std::span<const char16_t>(text.data(), text.size()),
                             attribute) -
            start;
        InvalidateCellsLocked(column, row, written + 1, 1, repaint);
        return 0;
    });
}

int CDosScreen::FillArea(int column, int row, int width, int height, std::uint8_t character,
                         int attribute) {
    return Change([&](Repaint& repaint) {
        FillAreaLocked(column, row, width, height, character, attribute, repaint);
        return 1;
    });
}

int CDosScreen::DrawBox(int column, int row, int width, int height, int attribute) {
    return Change([&](Repaint& repaint) {
        if (!IsValidPosition(column, row)) {
            return 0;
        }
        const std::int64_t w = std::min<std::int64_t>(width, columns_ - column);
        const std::int64_t h = std::min<std::int64_t>(height, rows_ - row);
        if (w <= 0 || h <= 0) {
            return 0;
        }
        const std::int64_t right = column + w - 1;
        const std::int64_t bottom = row + h - 1;
        SetCellLocked(column, row, kFrameTopLeft, attribute);
        SetCellLocked(right, row, kFrameTopRight, attribute);
        SetCellLocked(column, bottom, kFrameBottomLeft, attribute);
        SetCellLocked(right, bottom, kFrameBottomRight, attribute);
        SetRunLocked(column + 1, row, kFrameHorizontal, attribute, w - 2);
        SetRunLocked(column + 1, bottom, kFrameHorizontal, attribute, w - 2);
        for (std::int64_t r = row + 1; r < bottom; ++r) {
            SetCellLocked(column, r, kFrameVertical, attribute);
            SetCellLocked(right, r, kFrameVertical, attribute);
            SetRunLocked(column + 1, r, kSpace, attribute, w - 2);
        }
        InvalidateCellsLocked(column, row, w, h, repaint);
        return 1;
    });
}

int CDosScreen::DrawTable(int top, int left, int width, int height, int columnBands, int rowBands,
                          int background, int foreground, int style) {
    return Change([&](Repaint& repaint) {
        return DrawTableLocked(top, left, width, height, columnBands, rowBands, background,
                               foreground, style, repaint);
    });
}

int CDosScreen::SetCell(int column, int row, std::uint16_t code, int attribute) {
    std::lock_guard lock(mutex_);
    return SetCellLocked(column, row, code, attribute) ? 1 : 0;
}

void CDosScreen::SetRun(int column, int row, std::uint8_t character, int attribute, int count) {
    std::lock_guard lock(mutex_);
    SetRunLocked(column, row, character, attribute, count);
}

void CDosScreen::ClearStore(int attribute) {
    std::lock_guard lock(mutex_);
    FillRunLocked(0, StoreSize(), kSpace, attribute);
    fillAttribute_ = attribute;
}

bool CDosScreen::SetGridMode(int mode) {
    static constexpr std::array<CellPosition, 6> kModes{
        {{40, 25}, {64, 25}, {80, 25}, {106, 31}, {129, 41}, {169, 51}}};
    if (mode == 0) {
        return true;
    }
    const CellPosition size = mode >= 1 && mode <= static_cast<int>(kModes.size())
                                  ? kModes[static_cast<std::size_t>(mode - 1)]
                                  : CellPosition{mode, mode};
    SetGridSize(size.column, size.row);
    return true;
}

int CDosScreen::SetGridSize(int columns, int rows) {
    const std::optional<PixelRect> client = ClientIfWindowExists();
    return Change([&](Repaint& repaint) {
        SetGridSizeLocked(columns, rows, client, repaint);
        return 1;
    });
}

void CDosScreen::HoldPaint(bool hold) {
    Change([&](Repaint& repaint) {
        paintHeld_ = hold;
        if (!hold && heldPaints_ > 0) {
            repaint.window = true;
            heldPaints_ = 0;
        }
        return 0;
    });
}

bool CDosScreen::RequestPaint() {
    std::lock_guard lock(mutex_);
    if (!paintHeld_) {
        return true;
    }
    heldPaints_ = heldPaints_ >= kMaxHeldPaints ? 1 : heldPaints_ + 1;
    return false;
}

int CDosScreen::InvalidateCells(int column, int row, int width, int height) {
    return Change([&](Repaint& repaint) {
        InvalidateCellsLocked(column, row, width, height, repaint);
        return 1;
    });
}

bool CDosScreen::InvalidateAll() {
    return Change([&](Repaint& repaint) {
        InvalidateCellsLocked(0, 0, columns_, rows_, repaint);
        return true;
    });
}

void CDosScreen::LayOut(const PixelRect& client) {
    std::lock_guard lock(mutex_);
    LayOutLocked(client);
}

PixelRect CDosScreen::CellRect(int column, int row) const {
    std::lock_guard lock(mutex_);
    return layout_.CellRect(column, row);
}

std::optional<CellPosition> CDosScreen::HitTest(int x, int y) const {
    std::lock_guard lock(mutex_);
    return layout_.HitTest(x, y, columns_, rows_);
}

ScreenSnapshot CDosScreen::Snapshot() const {
    std::lock_guard lock(mutex_);
    return SnapshotLocked();
}

ScreenSnapshot CDosScreen::LayOutAndSnapshot(const PixelRect& client) {
    std::lock_guard lock(mutex_);
    LayOutLocked(client);
    return SnapshotLocked();
}

int CDosScreen::Columns() const {
    std::lock_guard lock(mutex_);
    return columns_;
}

int CDosScreen::Rows() const {
    std::lock_guard lock(mutex_);
    return rows_;
}

int CDosScreen::FillAttribute() const {
    std::lock_guard lock(mutex_);
    return fillAttribute_;
}

bool CDosScreen::IsPaintHeld() const {
    std::lock_guard lock(mutex_);
    return paintHeld_;
}

int CDosScreen::HeldPaintCount() const {
    std::lock_guard lock(mutex_);
    return heldPaints_;
}

CellLayout CDosScreen::Layout() const {
    std::lock_guard lock(mutex_);
    return layout_;
}

std::optional<CCellChar> CDosScreen::StoreCell(int cellNumber) const {
    std::lock_guard lock(mutex_);
    if (!InStore(cellNumber)) {
        return std::nullopt;
    }
    const auto n = static_cast<std::size_t>(cellNumber);
    return CCellChar{codes_[n], attributes_[n], halves_[n], rects_[n]};
}

} // namespace qx44
