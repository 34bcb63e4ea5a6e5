#include "core/screen/CellEdges.h"

namespace qx44 {

CellEdges::CellEdges(const CellLayout& layout, int columns, int rows)
    : left_(static_cast<std::size_t>(columns) + 1), right_(left_.size()),
      top_(static_cast<std::size_t>(rows) + 1), bottom_(top_.size()) {
    Update(layout);
}

void CellEdges::Update(const CellLayout& layout) {
    layout_ = layout;
    for (std::size_t i = 0; i < left_.size(); ++i) {
        const auto column = static_cast<std::int64_t>(i);
        left_[i] = layout_.X(column);
        right_[i] = layout_.X(column) + layout_.CellWidth(column);
    }
    for (std::size_t i = 0; i < top_.size(); ++i) {
        const auto row = static_cast<std::int64_t>(i);
        top_[i] = layout_.Y(row);
        bottom_[i] = layout_.Y(row) + layout_.CellHeight(row);
    }
}

} // namespace qx44
