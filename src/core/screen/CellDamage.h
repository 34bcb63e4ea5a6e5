#pragma once

#include "core/screen/CellEdges.h"
#include "core/screen/PixelRect.h"

#include <cstdint>
#include <optional>
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
    // A cell given by its place on the grid, which must be valid; no division needed.
    void AddCell(int column, int row) { Widen(static_cast<std::size_t>(row), column, column + 1); }
    // Cells first up to, not including, end.
    void AddRange(std::int64_t first, std::int64_t end);
    void AddAll();
    void Clear();

    // The pixels that the damaged rows' spans cover in the layout of `edges`, united into one
    // rectangle; the damage is forgotten. Costs nothing on the heap, since it runs once per host
    // message.
    std::optional<PixelRect> Take(const CellEdges& edges);

private:
    struct Span {
        int left = 0;
        int right = 0; // exclusive; no damage while right <= left
    };

    void Widen(std::size_t row, int left, int right);

    int columns_ = 0;
    std::vector<Span> rows_;
    // The rows that may hold damage, so taking it visits only those.
    std::size_t firstRow_ = 0;
    std::size_t endRow_ = 0;
};

} // namespace qx44
