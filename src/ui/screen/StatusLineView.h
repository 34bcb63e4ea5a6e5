#pragma once

#include "ui/screen/ScreenView.h"

namespace qx44 {

// The status line's window. It differs from the text screen's only in where host pictures go:
// on the one row, stretched to whole cells.
class StatusLineView : public ScreenView {
    Q_OBJECT

public:
    using ScreenView::ScreenView;

protected:
    PixelRect PictureArea(const CellLayout& layout, int column, int row, int width,
                          int height) const override;
};

} // namespace qx44
