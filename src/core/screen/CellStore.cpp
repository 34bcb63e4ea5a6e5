#include "core/screen/CellStore.h"

#include "core/screen/CellBlocks.h"

#include <algorithm>

namespace qx44 {

namespace {

constexpr std::uint16_t kSpace = 32;

} // namespace

CellStore::CellStore(int capacityColumns, int capacityRows, CellGrid grid, int clearAttribute)
    : capacityColumns_(capacityColumns), capacityRows_(capacityRows), grid_(grid),
      codes_(static_cast<std::size_t>(capacityColumns) * static_cast<std::size_t>(capacityRows)),
      attributes_(codes_.size()), halves_(codes_.size()) {
    damage_.SetGrid(grid_.columns, grid_.rows);
    Clear(clearAttribute);
    damage_.Clear();
}

bool CellStore::Fits(int columns, int rows) const {
    return columns >= 1 && rows >= 1 && columns <= capacityColumns_ &&
           static_cast<std::int64_t>(columns) * rows <= Size();
}

void CellStore::SetGrid(CellGrid grid) {
    grid_ = grid;
    damage_.SetGrid(grid_.columns, grid_.rows);
}

void CellStore::StoreWhole(std::size_t cellNumber, std::uint16_t code, int attribute) {
    codes_[cellNumber] = code;
    attributes_[cellNumber] = attribute;
    halves_[cellNumber] = HalfMarker::Whole;
}

void CellStore::FillRun(std::int64_t first, std::int64_t end, std::uint16_t code, int attribute) {
    damage_.AddRange(first, end);
    const auto at = static_cast<std::size_t>(first);
    const auto count = static_cast<std::size_t>(end - first);
    CellBlocks::Fill(codes_.data() + at, count, code);
    CellBlocks::Fill(attributes_.data() + at, count, attribute);
    CellBlocks::Fill(halves_.data() + at, count, HalfMarker::Whole);
}

void CellStore::SetWholeCell(std::int64_t column, std::int64_t row, std::uint16_t code,
                             int attribute) {
    StoreWhole(static_cast<std::size_t>(grid_.CellNumber(column, row)), code, attribute);
    damage_.AddSpan(static_cast<int>(row), static_cast<int>(column), static_cast<int>(column) + 1);
}

// A half whose partner was overwritten shows as a character of its own.
void CellStore::MakeWhole(std::int64_t cellNumber, HalfMarker half) {
    if (InStore(cellNumber) && halves_[static_cast<std::size_t>(cellNumber)] == half) {
        halves_[static_cast<std::size_t>(cellNumber)] = HalfMarker::Whole;
        damage_.Add(cellNumber);
    }
}

template <typename Write> std::int64_t CellStore::WriteText(std::int64_t start, Write&& write) {
    // A character that used to cover the cells being written loses its other half, which then
    // shows as a character of its own instead of pairing with a stranger.
    if (start > 0) {
        MakeWhole(start - 1, HalfMarker::First);
    }
    std::int64_t n = start;
    if (InStore(start)) {
        n = start + static_cast<std::int64_t>(write(static_cast<std::size_t>(start)));
    }
    MakeWhole(n, HalfMarker::Second);
    return n;
}

std::int64_t CellStore::PutUnits(std::int64_t start, std::span<const char16_t> units,
                                 int attribute) {
    return WriteText(start, [&](std::size_t first) {
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
        // here, once, rather than through FillRun.
        const auto at = static_cast<std::int64_t>(first);
        damage_.AddRange(at, at + static_cast<std::int64_t>(changed));
        return i;
    });
}

std::int64_t CellStore::PutBytes(std::int64_t start, std::span<const std::uint8_t> bytes,
                                 int attribute) {
    return WriteText(start, [&](std::size_t first) {
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

void CellStore::SetRun(std::int64_t column, std::int64_t row, std::uint8_t character, int attribute,
                       std::int64_t count) {
    const std::int64_t start = grid_.CellNumber(column, row);
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    const std::int64_t last =
        std::min<std::int64_t>(start + std::max<std::int64_t>(count, 0), Size());
    if (first >= last) {
        return;
    }
    if (character == 0) {
        damage_.AddRange(first, last);
        CellBlocks::Fill(attributes_.data() + first, static_cast<std::size_t>(last - first),
                         attribute);
        return;
    }
    FillRun(first, last, character, attribute);
}

bool CellStore::SetCell(std::int64_t column, std::int64_t row, std::uint16_t code, int attribute) {
    if (!grid_.IsValidPosition(column, row)) {
        return false;
    }
    const std::int64_t n = grid_.CellNumber(column, row);
    SetWholeCell(column, row, code, attribute);
    MakeWhole(n - 1, HalfMarker::First);
    MakeWhole(n + 1, HalfMarker::Second);
    return true;
}

void CellStore::PutTableCell(std::int64_t column, std::int64_t row, std::uint16_t code,
                             int attribute) {
    if (grid_.IsValidPosition(column, row)) {
        SetWholeCell(column, row, code, attribute);
    }
}

void CellStore::FillRow(std::int64_t row, std::int64_t left, std::int64_t end, std::uint16_t code,
                        int attribute) {
    FillRun(grid_.CellNumber(left, row), grid_.CellNumber(end, row), code, attribute);
}

void CellStore::PutColumns(std::int64_t top, std::int64_t last,
                           std::span<const std::int64_t> columns,
                           std::span<const std::uint16_t> codes, int attribute) {
    if (columns.empty()) {
        return;
    }
    const auto [leftmost, rightmost] = std::minmax_element(columns.begin(), columns.end());
    // Row by row, so that cells written one after another lie close together in the store.
    for (std::int64_t y = top; y <= last; ++y) {
        for (std::size_t k = 0; k < columns.size(); ++k) {
            StoreWhole(static_cast<std::size_t>(grid_.CellNumber(columns[k], y)), codes[k],
                       attribute);
        }
        damage_.AddSpan(static_cast<int>(y), static_cast<int>(*leftmost),
                        static_cast<int>(*rightmost) + 1);
    }
}

void CellStore::FillArea(std::int64_t column, std::int64_t row, std::int64_t width,
                         std::int64_t height, std::uint8_t character, int attribute) {
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
        SetRun(column, r, character, attribute, width);
    }
}

void CellStore::Clear(int attribute) {
    FillRun(0, Size(), kSpace, attribute);
    fillAttribute_ = attribute;
}

std::vector<ScreenSnapshot::Cell> CellStore::ShownCells() const {
    const auto shown = static_cast<std::size_t>(grid_.CellCount());
    std::vector<ScreenSnapshot::Cell> cells;
    cells.reserve(shown);
    for (std::size_t n = 0; n < shown; ++n) {
        cells.push_back(Cell(n));
    }
    return cells;
}

} // namespace qx44
