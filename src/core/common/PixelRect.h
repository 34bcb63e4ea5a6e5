#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace qx44 {

// A rectangle in window pixels; right and bottom are exclusive, as the painter and the surface
// expect them.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }

    // Edges computed in 64 bits from caller-supplied cell numbers are brought back into range
    // here, so a huge request yields a huge but valid rectangle instead of a wrapped one.
    static PixelRect FromEdges(std::int64_t left, std::int64_t top, std::int64_t right,
                               std::int64_t bottom) {
        return {Clamp(left), Clamp(top), Clamp(right), Clamp(bottom)};
    }

    PixelRect United(const PixelRect& other) const {
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }

    // Empty (IsEmpty) where the two do not overlap.
    PixelRect Intersected(const PixelRect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }

    friend bool operator==(const PixelRect&, const PixelRect&) = default;

private:
    static int Clamp(std::int64_t value) {
        return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                         std::numeric_limits<int>::max()));
    }
};

} // namespace qx44
