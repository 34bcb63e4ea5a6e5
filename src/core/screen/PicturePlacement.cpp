#include "core/screen/PicturePlacement.h"

#include <cstdint>

namespace qx44 {

PixelRect PicturePlacement::OnTextScreen(const CellLayout& layout, int column, int row, int width,
                                         int height) {
    const std::int64_t x = std::int64_t{column} * layout.BaseWidth();
    const std::int64_t y = std::int64_t{row} * layout.BaseHeight();
    return PixelRect::FromEdges(x, y, x + width, y + height);
}

PixelRect PicturePlacement::OnStatusLine(const CellLayout& layout, int column, int width,
                                         int height) {
    const std::int64_t x = std::int64_t{column} * layout.BaseWidth();
    const std::int64_t cells = (std::int64_t{width} + 7) / 8;
    return PixelRect::FromEdges(x, 0, x + cells * layout.BaseWidth(), height);
}

} // namespace qx44
