#pragma once

#include "core/screen/CellStore.h"

#include <cstdint>
#include <optional>

namespace qx44 {

// Framed boxes and tables: their piece sets and the divider formula, written through the cell
// store's writers, which record the damage. Both work on the store's grid and draw nothing when
// their corner is off the grid, the box has no size, or the table has no bands.
class FrameDrawer {
public:
    static constexpr int kMaxTableBands = 255;

    // The cells a drawing covers, as far as the grid shows them.
    struct Area {
        std::int64_t column = 0;
        std::int64_t row = 0;
        std::int64_t width = 0;
        std::int64_t height = 0;
    };

    // A double frame with a cleared inside, cut at the grid's edge.
    static std::optional<Area> DrawBox(CellStore& store, int column, int row, int width, int height,
                                       int attribute);
    // A filled table with dividers; true when it drew.
    static bool DrawTable(CellStore& store, int top, int left, int width, int height,
                          int columnBands, int rowBands, int background, int foreground, int style);
};

} // namespace qx44
