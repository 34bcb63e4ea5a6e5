#pragma once

#include <cstdint>

namespace qx44 {

// The grid laid over a cell store: the cell at (column, row) is store cell row × columns +
// column, so a run of cells continues on the next grid row and a grid change re-maps every shown
// cell without moving anything. Only the first columns × rows cells of the store are shown.
struct CellGrid {
    int columns = 0;
    int rows = 0;

    std::int64_t CellNumber(std::int64_t column, std::int64_t row) const {
        return row * columns + column;
    }
    std::int64_t CellCount() const { return static_cast<std::int64_t>(columns) * rows; }
    bool IsValidPosition(std::int64_t column, std::int64_t row) const {
        return column >= 0 && column < columns && row >= 0 && row < rows;
    }

    friend bool operator==(const CellGrid&, const CellGrid&) = default;
};

} // namespace qx44
