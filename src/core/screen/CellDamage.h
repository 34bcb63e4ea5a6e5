#pragma once

#include "core/screen/CellEdges.h"
#include "core/screen/PixelRect.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qx44 {

// The cells of a grid that changed since the damage was last taken: one span of columns per
// grid row, widened by every change. Changes are reported as store cell numbers, so a write that
// runs on into the next row damages both rows, and a cell beyond the grid damages nothing.
class CellDamage {
public:
    // The grid that cell numbers refer to. What was recorded for the old grid no longer says
    // where anything is, so the whole new grid counts as damaged.
    void SetGrid(int columns, int rows);

    void Add(std::int64_t cellNumber);
    // Columns left up to, not including, right of one grid row, all of which must lie in the
    // grid; no division needed.
    void AddSpan(int row, int left, int right) {
        Widen(static_cast<std::size_t>(row), left, right);
    }
    // Cells first up to, not including, end.
    void AddRange(std::int64_t first, std::int64_t end);
    void AddAll();
    void Clear();

    // Unites the pixels that the damaged rows' spans cover in the layout of `edges` into `area`
    // and forgets the damage. Runs once per host message, so it costs nothing on the heap and
    // hands back no optional, which would go through memory.
    void TakeInto(PixelRect& area, const CellEdges& edges);

private:
    struct Span {
        int left = 0;
        int right = 0; // exclusive; no damage while right <= left
    };

    // In the header, because every single changed cell comes through here.
    void Widen(std::size_t row, int left, int right) {
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

    int columns_ = 0;
    std::vector<Span> rows_;
    // The rows that may hold damage, so taking it visits only those.
    std::size_t firstRow_ = 0;
    std::size_t endRow_ = 0;
};

} // namespace qx44
