#pragma once

namespace qx44 {

// A point in window pixels.
struct PixelPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

} // namespace qx44
