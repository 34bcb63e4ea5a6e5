#pragma once

#include "core/common/PixelRect.h"
#include "core/screen/HalfMarker.h"

#include <cstdint>

namespace qx44 {

// One cell of a screen's store. The rectangle is where the last layout placed the cell; cells
// beyond the current grid keep the rectangle of the grid that last showed them.
struct CCellChar {
    std::uint16_t code = 0;
    std::int32_t attribute = 0;
    HalfMarker half = HalfMarker::Whole;
    PixelRect rect;

    friend bool operator==(const CCellChar&, const CCellChar&) = default;
};

} // namespace qx44
