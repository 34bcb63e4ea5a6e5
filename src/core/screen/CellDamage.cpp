#include "core/screen/CellDamage.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace qx44 {

void CellDamage::SetGrid(int columns, int rows) {
    columns_ = std::max(columns, 0);
    rows_.assign(static_cast<std::size_t>(std::max(rows, 0)), Span{});
    AddAll();
}

void CellDamage::Add(std::int64_t cellNumber) {
    AddRange(cellNumber, cellNumber + 1);
}

void CellDamage::AddRange(std::int64_t first, std::int64_t end) {
    if (columns_ == 0) {
        return;
    }
    const std::int64_t gridCells = columns_ * static_cast<std::int64_t>(rows_.size());
    first = std::max<std::int64_t>(first, 0);
    end = std::min(end, gridCells);
    if (first >= end) {
        return;
    }
    const auto widenRows = [&](auto firstCell, auto lastCell, auto columns) {
        const auto firstRow = firstCell / columns;
        const auto lastRow = lastCell / columns;
        const auto firstColumn = static_cast<int>(firstCell - firstRow * columns);
        const auto endColumn = static_cast<int>(lastCell - lastRow * columns) + 1;
        for (auto row = firstRow; row <= lastRow; ++row) {
            Widen(static_cast<std::size_t>(row), row == firstRow ? firstColumn : 0,
                  row == lastRow ? endColumn : columns_);
        }
    };
    // A screen's grid is small enough for the narrower division, which is several times faster.
    if (gridCells <= std::numeric_limits<std::uint32_t>::max()) {
        widenRows(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(end - 1),
                  static_cast<std::uint32_t>(columns_));
    } else {
        widenRows(first, end - 1, static_cast<std::int64_t>(columns_));
    }
}

void CellDamage::AddAll() {
    std::fill(rows_.begin(), rows_.end(), Span{0, columns_});
    firstRow_ = 0;
    endRow_ = columns_ > 0 ? rows_.size() : 0;
}

void CellDamage::Clear() {
    std::fill(rows_.begin(), rows_.end(), Span{});
    firstRow_ = 0;
    endRow_ = 0;
}

void CellDamage::TakeInto(PixelRect& area, const CellEdges& edges) {
    for (std::size_t row = firstRow_; row < endRow_; ++row) {
        const Span span = std::exchange(rows_[row], Span{});
        if (span.right > span.left) {
            const auto y = static_cast<std::int64_t>(row);
            const PixelRect rect = PixelRect::FromEdges(edges.Left(span.left), edges.Top(y),
                                                        edges.Left(span.right), edges.Bottom(y));
            area = area.United(rect);
        }
    }
    firstRow_ = 0;
    endRow_ = 0;
}

} // namespace qx44
