#pragma once

#include <cstdint>

namespace qx44 {

// How the length of a host message is read from its header: base + 256 × byte[highAt] +
// byte[lowAt], a byte with scale 0 left out, once the first `header` bytes have arrived. A play
// list runs to its first ETX after its header instead; a picture transfer is streamed by the
// framer and never cut by length.
struct LengthRule {
    std::uint16_t base = 4;
    std::uint8_t header = 4;
    std::uint8_t lowAt = 0;
    std::uint8_t lowScale = 0;
    std::uint8_t highAt = 0;
    std::uint16_t highScale = 0;
    bool playList = false;
    bool pictureTransfer = false;

    static constexpr LengthRule Fixed(std::uint16_t length) { return {.base = length}; }
    // base + byte[at].
    static constexpr LengthRule Counted(std::uint16_t base, std::uint8_t at) {
        return {
            .base = base, .header = static_cast<std::uint8_t>(at + 1), .lowAt = at, .lowScale = 1};
    }
    // base + a 16-bit count, high byte first, at byte[at].
    static constexpr LengthRule Counted16(std::uint16_t base, std::uint8_t at) {
        return {.base = base,
                .header = static_cast<std::uint8_t>(at + 2),
                .lowAt = static_cast<std::uint8_t>(at + 1),
                .lowScale = 1,
                .highAt = at,
                .highScale = 256};
    }
    static constexpr LengthRule PlayList() { return {.playList = true}; }
    static constexpr LengthRule PictureTransfer() { return {.pictureTransfer = true}; }
};

} // namespace qx44
