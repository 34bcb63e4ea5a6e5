#include "core/screen/CellDamage.h"

#include <algorithm>

namespace qx44 {

void CellDamage::SetGrid(int columns, int rows) {
    columns_ = std::max(columns, 0);
    rows_ = std::max(rows, 0);
    AddAll();
}

void CellDamage::AddRange(std::int64_t first, std::int64_t end) {
    const std::int64_t gridCells = columns_ * static_cast<std::int64_t>(rows_);
    first = std::max<std::int64_t>(first, 0);
    end = std::min(end, gridCells);
    if (first >= end) {
        return;
    }
    // A grid fits the store, so its cell numbers fit the narrower division, which is several
    // times faster.
    const auto firstCell = static_cast<std::uint32_t>(first);
    const auto lastCell = static_cast<std::uint32_t>(end - 1);
    const auto columns = static_cast<std::uint32_t>(columns_);
    const std::uint32_t firstRow = firstCell / columns;
    const std::uint32_t rowStart = firstRow * columns;
    // One division for a run within one row, the usual case.
    if (lastCell - rowStart < columns) {
        Widen(static_cast<int>(firstRow), static_cast<int>(firstRow) + 1,
              static_cast<int>(firstCell - rowStart), static_cast<int>(lastCell - rowStart) + 1);
    } else {
        // The end of the first row and the start of the last one between them span every column.
        Widen(static_cast<int>(firstRow), static_cast<int>(lastCell / columns) + 1, 0, columns_);
    }
}

void CellDamage::AddAll() {
    Clear();
    if (columns_ > 0 && rows_ > 0) {
        Widen(0, rows_, 0, columns_);
    }
}

void CellDamage::Clear() {
    firstRow_ = kNone;
    endRow_ = -kNone;
    left_ = kNone;
    right_ = -kNone;
}

void CellDamage::TakeInto(PixelRect& area, const CellEdges& edges) {
    if (firstRow_ < endRow_) {
        area = area.United(PixelRect::FromEdges(edges.Left(left_), edges.Top(firstRow_),
                                                edges.Left(right_), edges.Bottom(endRow_ - 1)));
    }
    Clear();
}

} // namespace qx44
