#pragma once

namespace qx44 {

// A cell of the grid, 0-based.
struct CellPosition {
    int column = 0;
    int row = 0;

    friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

} // namespace qx44
