#include "ui/screen/StatusLineView.h"

#include "core/screen/PicturePlacement.h"

namespace qx44 {

PixelRect StatusLineView::PictureArea(const CellLayout& layout, int column, int, int width,
                                      int height) const {
    return PicturePlacement::OnStatusLine(layout, column, width, height);
}

} // namespace qx44
