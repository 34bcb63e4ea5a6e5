#include "ui/screen/ScreenRenderer.h"

#include "core/screen/CDosScreen.h"
#include "core/screen/FontRequest.h"
#include "core/screen/ScreenPainter.h"
#include "core/settings/CQX44Setting.h"
#include "ui/screen/QtScreenPainter.h"
#include "ui/screen/ScreenFont.h"

#include <QPainter>
#include <span>

namespace qx44 {

void ScreenRenderer::Render(CDosScreen& screen, QImage& target, const QRegion& area) {
    const QRect bounds = area.boundingRect() & target.rect();
    if (bounds.isEmpty()) {
        return;
    }
    const ScreenSnapshot snapshot =
        screen.LayOutAndSnapshot({0, 0, target.width(), target.height()});
    MatchFont(snapshot.layout.BaseWidth(), snapshot.layout.BaseHeight());

    QPainter painter(&target);
    std::span<const QRect> clip;
    if (area != QRegion(target.rect())) {
        painter.setClipRegion(area);
        clip = std::span<const QRect>(area.begin(), area.end());
    }
    QtScreenPainter surface(painter, glyphs_, target, clip);
    ScreenPainter::Paint(snapshot, surface,
                         {bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1});
}

void ScreenRenderer::Render(ScreenSnapshot screen, QImage& target) {
    screen.layout.LayOut({0, 0, target.width(), target.height()}, screen.columns, screen.rows);
    MatchFont(screen.layout.BaseWidth(), screen.layout.BaseHeight());
    QPainter painter(&target);
    QtScreenPainter surface(painter, glyphs_, target, {});
    ScreenPainter::Paint(screen, surface);
}

void ScreenRenderer::MatchFont(int cellWidth, int cellHeight) {
    if (cellWidth == fontCellWidth_ && cellHeight == fontCellHeight_) {
        return;
    }
    fontCellWidth_ = cellWidth;
    fontCellHeight_ = cellHeight;
    glyphs_.SetFont(
        ScreenFont::Make(FontRequest::FromSettings(CQX44Setting(), cellWidth, cellHeight)));
}

} // namespace qx44
