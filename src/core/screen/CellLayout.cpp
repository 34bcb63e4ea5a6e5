#include "core/screen/CellLayout.h"

#include <algorithm>
#include <limits>

namespace qx44 {

namespace {

// Callers may ask for edges far outside the grid; within the int range the products below stay
// inside 64 bits whatever the base size.
std::int64_t ClampIndex(std::int64_t index) {
    return std::clamp<std::int64_t>(index, std::numeric_limits<int>::min(),
                                    std::numeric_limits<int>::max());
}

// One axis of the split: cells before `first` have the base size, the rest one pixel more.
std::int64_t Edge(std::int64_t index, std::int64_t base, std::int64_t first) {
    index = ClampIndex(index);
    return index <= first ? index * base : first * base + (base + 1) * (index - first);
}

std::int64_t Extent(std::int64_t index, std::int64_t base, std::int64_t first) {
    return ClampIndex(index) >= first ? base + 1 : base;
}

std::int64_t IndexAt(std::int64_t pixel, std::int64_t base, std::int64_t first) {
    return pixel < base * first ? pixel / base : first + (pixel - base * first) / (base + 1);
}

} // namespace

bool CellLayout::LayOut(const PixelRect& client, int columns, int rows) {
    if (columns < 1 || rows < 1) {
        return false;
    }
    if (client == remembered_ && !IsStale()) {
        return false;
    }
    remembered_ = client;
    const int width = std::max(client.Width(), 0);
    const int height = std::max(client.Height(), 0);
    baseWidth_ = width / columns;
    baseHeight_ = height / rows;
    firstWideColumn_ = columns - width % columns;
    firstTallRow_ = rows - height % rows;
    return true;
}

std::int64_t CellLayout::X(std::int64_t column) const {
    return Edge(column, baseWidth_, firstWideColumn_);
}

std::int64_t CellLayout::CellWidth(std::int64_t column) const {
    return Extent(column, baseWidth_, firstWideColumn_);
}

std::int64_t CellLayout::Y(std::int64_t row) const {
    return Edge(row, baseHeight_, firstTallRow_);
}

std::int64_t CellLayout::CellHeight(std::int64_t row) const {
    return Extent(row, baseHeight_, firstTallRow_);
}

PixelRect CellLayout::CellRect(int column, int row) const {
    const std::int64_t x = X(column);
    const std::int64_t y = Y(row);
    return PixelRect::FromEdges(x, y, x + CellWidth(column), y + CellHeight(row));
}

std::optional<CellPosition> CellLayout::HitTest(int x, int y, int columns, int rows) const {
    // Client coordinates are never negative; refusing them also keeps a zero base size from
    // reaching the division.
    if (x < 0 || y < 0) {
        return std::nullopt;
    }
    const std::int64_t column = IndexAt(x, baseWidth_, firstWideColumn_);
    const std::int64_t row = IndexAt(y, baseHeight_, firstTallRow_);
    if (column >= columns || row >= rows) {
        return std::nullopt;
    }
    return CellPosition{static_cast<int>(column), static_cast<int>(row)};
}

} // namespace qx44
