#pragma once

#include "core/screen/CellLayout.h"
#include "core/screen/HalfMarker.h"

#include <cstdint>
#include <vector>

namespace qx44 {

// A consistent copy of what a screen shows, taken under the screen's lock, so that a painter or
// a test can read it while another thread keeps writing. Cells are in row order, columns × rows
// of them; the layout is the one in effect when the copy was taken.
struct ScreenSnapshot {
    struct Cell {
        std::uint16_t code = 0;
        std::int32_t attribute = 0;
        HalfMarker half = HalfMarker::Whole;

        friend bool operator==(const Cell&, const Cell&) = default;
    };

    int columns = 0;
    int rows = 0;
    std::vector<Cell> cells;
    CellLayout layout;

    // Throws std::out_of_range for a position outside the grid.
    const Cell& At(int column, int row) const;

    friend bool operator==(const ScreenSnapshot&, const ScreenSnapshot&) = default;
};

} // namespace qx44
