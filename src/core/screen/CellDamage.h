#pragma once

#include "core/common/PixelRect.h"
#include "core/screen/CellEdges.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace qx44 {

// The cells of a grid that changed since the damage was last taken, kept as the one rectangle of
// cells that holds them all: taking the damage unites it into a single repaint rectangle anyway,
// so recording it costs a few comparisons per write. Changes are reported as store cell numbers,
// so a write that runs on into the next row damages both rows, and a cell beyond the grid
// damages nothing.
class CellDamage {
public:
    // The grid that cell numbers refer to. What was recorded for the old grid no longer says
    // where anything is, so the whole new grid counts as damaged.
    void SetGrid(int columns, int rows);

    void Add(std::int64_t cellNumber) { AddRange(cellNumber, cellNumber + 1); }
    // Columns left up to, not including, right of one grid row, all of which must lie in the
    // grid; no division needed.
    void AddSpan(int row, int left, int right) { Widen(row, row + 1, left, right); }
    // Cells first up to, not including, end.
    void AddRange(std::int64_t first, std::int64_t end);
    void AddAll();
    void Clear();

    // Unites the pixels that the damaged cells cover in the layout of `edges` into `area` and
    // forgets the damage. Runs once per host message, so it hands back no optional, which would
    // go through memory.
    void TakeInto(PixelRect& area, const CellEdges& edges);

private:
    static constexpr int kNone = std::numeric_limits<int>::max();

    // Without a branch: no damage is an inverted rectangle, which any change replaces.
    void Widen(int firstRow, int endRow, int left, int right) {
        firstRow_ = std::min(firstRow_, firstRow);
        endRow_ = std::max(endRow_, endRow);
        left_ = std::min(left_, left);
        right_ = std::max(right_, right);
    }

    int columns_ = 0;
    int rows_ = 0;
    // Rows firstRow_ up to endRow_, columns left_ up to right_; nothing while endRow_ <= firstRow_.
    int firstRow_ = kNone;
    int endRow_ = -kNone;
    int left_ = kNone;
    int right_ = -kNone;
};

} // namespace qx44
