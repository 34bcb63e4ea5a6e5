#pragma once

#include <cstdint>

namespace qx44 {

// A colour as the station's palette gives it: 8 bits per channel.
struct RgbColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

} // namespace qx44
