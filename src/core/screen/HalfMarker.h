#pragma once

#include <cstdint>

namespace qx44 {

// How a cell takes part in a character that covers two cells: the first half holds the
// character's high byte, the second half its low byte.
enum class HalfMarker : std::uint8_t {
    Whole = 0,
    First = 1,
    Second = 2,
};

} // namespace qx44
