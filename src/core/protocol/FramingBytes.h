#pragma once

#include <cstdint>

namespace qx44 {

// Every message either way starts with STX and ends with ETX.
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;

} // namespace qx44
