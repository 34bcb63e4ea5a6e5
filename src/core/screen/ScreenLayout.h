#pragma once

#include "core/common/PixelRect.h"
#include "core/screen/CellEdges.h"
#include "core/screen/CellGrid.h"
#include "core/screen/CellLayout.h"
#include "core/screen/CellPosition.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qx44 {

// Where a screen's cells lie in its window: the grid's layout over the client area, its edge
// tables for the repaint request of every write, and the rectangle of each store cell as the
// last layout placed it (cells beyond the current grid keep the one of the grid that last
// showed them).
class ScreenLayout {
public:
    ScreenLayout(int capacityColumns, int capacityRows);

    // Makes the next LayOut run in full, whatever client area it is given; a new grid needs it,
    // since LayOut skips the client area it laid out last.
    void MarkStale() { layout_.MarkStale(); }
    void LayOut(const PixelRect& client, const CellGrid& grid);

    const CellLayout& Layout() const { return layout_; }
    const CellEdges& Edges() const { return edges_; }
    // The pixels from the top-left corner of cell (column, row) to the bottom-right corner of
    // cell (column + width, row + height).
    PixelRect AreaRect(std::int64_t column, std::int64_t row, std::int64_t width,
                       std::int64_t height) const {
        return PixelRect::FromEdges(edges_.Left(column), edges_.Top(row),
                                    edges_.Right(column + width), edges_.Bottom(row + height));
    }
    PixelRect CellRect(int column, int row) const { return layout_.CellRect(column, row); }
    std::optional<CellPosition> HitTest(int x, int y, const CellGrid& grid) const {
        return layout_.HitTest(x, y, grid.columns, grid.rows);
    }
    // `cellNumber` must lie in the store.
    const PixelRect& StoreCellRect(std::size_t cellNumber) const { return rects_[cellNumber]; }

private:
    CellLayout layout_;
    CellEdges edges_;
    std::vector<PixelRect> rects_;
};

} // namespace qx44
