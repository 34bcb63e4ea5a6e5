#pragma once

#include "core/screen/ScreenSnapshot.h"
#include "ui/screen/GlyphCache.h"

#include <QImage>
#include <QRegion>

namespace qx44 {

class CDosScreen;

// Paints a screen's cells into an image the size of its window: lays the grid out over the
// image, keeps the screen font matched to the cell size and paints the part of the screen that
// an area needs. The screen is read once, as one consistent copy, for each paint.
class ScreenRenderer {
public:
    // Pixels outside `area` are left as they are.
    void Render(CDosScreen& screen, QImage& target, const QRegion& area);
    // Paints a copy of a screen (a dump read back) over the whole image; the copy's layout is
    // laid out anew for the image.
    void Render(ScreenSnapshot screen, QImage& target);

    const QFont& Font() const { return glyphs_.Font(); }

private:
    void MatchFont(int cellWidth, int cellHeight);

    GlyphCache glyphs_;
    // The cell size the font was made for; the font is remade only when it changes, not on
    // every layout.
    int fontCellWidth_ = -1;
    int fontCellHeight_ = -1;
};

} // namespace qx44
