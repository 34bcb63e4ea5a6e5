#pragma once

#include <cstdint>

namespace qx44 {

// The key flags word that comes with every key press and release: bits 0-7 the PC scan code
// (set 1), bit 8 the extended-key flag, bit 15 the release flag. Nothing here reads more than
// bits 0-8, so a sign-extended word gives the same answers.
namespace KeyFlags {

constexpr std::uint32_t kExtendedBit = 0x100;

constexpr std::uint8_t ScanCode(std::uint32_t flags) {
    return static_cast<std::uint8_t>(flags & 0xFF);
}

constexpr bool IsExtended(std::uint32_t flags) {
    return (flags & kExtendedBit) != 0;
}

} // namespace KeyFlags

} // namespace qx44
