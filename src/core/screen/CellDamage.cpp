#include "core/screen/CellDamage.h"

#include <algorithm>
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
    const std::int64_t firstRow = first / columns_;
    const std::int64_t lastRow = (end - 1) / columns_;
    const int firstColumn = static_cast<int>(first - firstRow * columns_);
    const int endColumn = static_cast<int>(end - 1 - lastRow * columns_) + 1;
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        Widen(static_cast<std::size_t>(row), row == firstRow ? firstColumn : 0,
              row == lastRow ? endColumn : columns_);
    }
}

void CellDamage::Widen(std::size_t row, int left, int right) {
    Span& span = rows_[row];
    if (span.right <= span.left) {
        span = {left, right};
    } else {
        span = {std::min(span.left, left), std::max(span.right, right)};
    }
    if (endRow_ <= firstRow_) {
        firstRow_ = row;
        endRow_ = row + 1;
    } else {
        firstRow_ = std::min(firstRow_, row);
        endRow_ = std::max(endRow_, row + 1);
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

std::optional<PixelRect> CellDamage::Take(const CellLayout& layout) {
    std::optional<PixelRect> united;
    for (std::size_t row = firstRow_; row < endRow_; ++row) {
        const Span span = std::exchange(rows_[row], Span{});
        if (span.right > span.left) {
            const auto y = static_cast<std::int64_t>(row);
            const PixelRect rect =
                PixelRect::FromEdges(layout.X(span.left), layout.Y(y), layout.X(span.right),
                                     layout.Y(y) + layout.CellHeight(y));
            united = united ? united->United(rect) : rect;
        }
    }
    firstRow_ = 0;
    endRow_ = 0;
    return united;
}

} // namespace qx44
