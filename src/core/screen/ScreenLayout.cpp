#include "core/screen/ScreenLayout.h"

namespace qx44 {

ScreenLayout::ScreenLayout(int capacityColumns, int capacityRows)
    : edges_(layout_, capacityColumns, capacityRows),
      rects_(static_cast<std::size_t>(capacityColumns) * static_cast<std::size_t>(capacityRows)) {}

void ScreenLayout::LayOut(const PixelRect& client, const CellGrid& grid) {
    if (!layout_.LayOut(client, grid.columns, grid.rows)) {
        return;
    }
    edges_.Update(layout_);
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            rects_[static_cast<std::size_t>(grid.CellNumber(column, row))] =
                layout_.CellRect(column, row);
        }
    }
}

} // namespace qx44
