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
    if (cellNumber < 0 || columns_ == 0) {
        return;
    }
    const std::int64_t row = cellNumber / columns_;
    if (row >= static_cast<std::int64_t>(rows_.size())) {
        return;
    }
    const int column = static_cast<int>(cellNumber % columns_);
    Span& span = rows_[static_cast<std::size_t>(row)];
    if (span.right <= span.left) {
        span = {column, column + 1};
    } else {
        span = {std::min(span.left, column), std::max(span.right, column + 1)};
    }
}

void CellDamage::AddAll() {
    std::fill(rows_.begin(), rows_.end(), Span{0, columns_});
}

void CellDamage::Clear() {
    std::fill(rows_.begin(), rows_.end(), Span{});
}

std::vector<PixelRect> CellDamage::Take(const CellLayout& layout) {
    std::vector<PixelRect> rects;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const Span span = std::exchange(rows_[row], Span{});
        if (span.right > span.left) {
            const auto y = static_cast<std::int64_t>(row);
            rects.push_back(PixelRect::FromEdges(layout.X(span.left), layout.Y(y),
                                                 layout.X(span.right),
                                                 layout.Y(y) + layout.CellHeight(y)));
        }
    }
    return rects;
}

} // namespace qx44
