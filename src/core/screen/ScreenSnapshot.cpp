#include "core/screen/ScreenSnapshot.h"

#include <stdexcept>
#include <string>

namespace qx44 {

const ScreenSnapshot::Cell& ScreenSnapshot::At(int column, int row) const {
    if (column < 0 || column >= columns || row < 0 || row >= rows) {
        throw std::out_of_range("cell (" + std::to_string(column) + ", " + std::to_string(row) +
                                ") is outside the " + std::to_string(columns) + " x " +
                                std::to_string(rows) + " grid");
    }
    return cells.at(static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                    static_cast<std::size_t>(column));
}

} // namespace qx44
