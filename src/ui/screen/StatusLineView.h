#pragma once

#include "core/screen/StatusIndicators.h"
#include "ui/screen/ScreenView.h"

namespace qx44 {

// The status line's window. It differs from the text screen's only in where host pictures go:
// on the one row, stretched to whole cells.
class StatusLineView : public ScreenView {
    Q_OBJECT

public:
    using ScreenView::ScreenView;

    // The network and keyboard icons drawn over the cells; none until set.
    void SetIndicators(const StatusIndicators* indicators) { indicators_ = indicators; }

protected:
    void paintEvent(QPaintEvent* event) override;

    PixelRect PictureArea(const CellLayout& layout, int column, int row, int width,
                          int height) const override;

private:
    const StatusIndicators* indicators_ = nullptr;
};

} // namespace qx44
