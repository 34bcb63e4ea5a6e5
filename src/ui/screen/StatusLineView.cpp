#include "ui/screen/StatusLineView.h"

#include "core/screen/CDosScreen.h"
#include "core/screen/PicturePlacement.h"
#include "ui/widgets/CPicture.h"

#include <QPainter>

namespace qx44 {

PixelRect StatusLineView::PictureArea(const CellLayout& layout, int column, int, int width,
                                      int height) const {
    return PicturePlacement::OnStatusLine(layout, column, width, height);
}

void StatusLineView::paintEvent(QPaintEvent* event) {
    ScreenView::paintEvent(event);
    if (indicators_ == nullptr) {
        return;
    }
    // The icons go onto the window over the painted cells, not into the backing image, so the
    // cells under them are never lost. A host picture came after them and stays on top.
    QPainter painter(this);
    painter.setClipRegion(QRegion(rect()) - Pictures());
    for (const auto& icon : indicators_->Icons(Screen().Layout(), Screen().Rows())) {
        CPicture picture(Messages());
        if (picture.LoadFromResource(icon.picture, "Bmp")) {
            picture.Render(&painter, icon.rect.left, icon.rect.top, icon.rect.Width(),
                           icon.rect.Height(), 0, 0);
        }
    }
}

} // namespace qx44
