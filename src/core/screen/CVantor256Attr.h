#pragma once

#include "core/screen/RgbColor.h"

#include <array>

namespace qx44 {

// The station's 256-colour palette: a 6 × 6 × 6 colour cube running from white down to black,
// a grey ramp and the sixteen colours of a PC text screen.
class CVantor256Attr {
public:
    CVantor256Attr() = delete;

    // Only the low byte of the index counts, as it does for the indexes packed in an attribute.
    static RgbColor PaletteColor(int index);
    static RgbColor BackColor(int attribute);
    static RgbColor ForeColor(int attribute);

private:
    static const std::array<RgbColor, 256> kPalette;
};

} // namespace qx44
