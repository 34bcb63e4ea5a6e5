#pragma once

#include <string>

namespace qx44 {

class CQX44Setting;

// The screen font a window should use for its current cell size, from the Font settings. The
// font fills the cell less the margins: its height is the whole character cell of the font
// (ascent plus descent), its width the average character width, the glyphs being scaled
// horizontally to reach it.
struct FontRequest {
    std::string face;
    int height = 0;
    int averageWidth = 0;
    int weight = 0;

    // Reads Font/Name, Font/MarginH, Font/MarginW and Font/Weight.
    static FontRequest FromSettings(const CQX44Setting& settings, int cellWidth, int cellHeight);

    friend bool operator==(const FontRequest&, const FontRequest&) = default;
};

} // namespace qx44
