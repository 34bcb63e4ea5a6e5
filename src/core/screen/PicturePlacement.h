#pragma once

#include "core/common/PixelRect.h"
#include "core/screen/CellLayout.h"

namespace qx44 {

// Where a picture from the host lands. Positions use the base cell size, without the pixels the
// layout hands out to the rightmost columns and bottom rows, so a picture's corner can sit a few
// pixels left of or above its cell's corner.
class PicturePlacement {
public:
    PicturePlacement() = delete;

    // At the cell's corner, at the picture's natural size.
    static PixelRect OnTextScreen(const CellLayout& layout, int column, int row, int width,
                                  int height);
    // On the status line the row is ignored and the width is stretched to whole cells, one for
    // every 8 pixels of picture (rounded up); the height stays natural.
    static PixelRect OnStatusLine(const CellLayout& layout, int column, int width, int height);
};

} // namespace qx44
