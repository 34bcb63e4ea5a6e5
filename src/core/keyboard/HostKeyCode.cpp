#include "core/keyboard/HostKeyCode.h"

#include <array>
#include <cstddef>

namespace qx44 {

namespace {

constexpr std::size_t kHostKeyCount = 183;

// Numbers 32 to 126 are the characters the keys type; the rest name keys the way the host's
// keyboard table does.
constexpr std::array<std::uint32_t, kHostKeyCount> BuildHostKeyTable() {
    std::array<std::uint32_t, kHostKeyCount> table{};
    table[8] = 0x08;
    table[13] = 0x0D;
    table[27] = 0x1B;
    for (std::uint32_t n = 32; n <= 126; ++n) {
        table[n] = n;
    }
    table[42] = 0x6A;
    table[43] = 0x6B;
    table[44] = 0x2C;
    table[45] = 0xBD;
    table[46] = 0x6E;
    table[47] = 0x6F;
    for (std::uint32_t n = 'a'; n <= 'z'; ++n) {
        table[n] = n - 32;
    }
    table[127] = 0x11;
    table[128] = 0x91;
    for (std::uint32_t n = 129; n <= 140; ++n) {
        table[n] = 0x70 + (n - 129);
    }
    constexpr std::array<std::uint32_t, kHostKeyCount - 141> kNamedKeys{
        0x08, 0x09, 0x0D, 0x14, 0x1B, 0x12, 0x10, 0x10, 0x90, 0x6A, // 141-150
        0x6D, 0x6B, 0x65, 0x68, 0x62, 0x66, 0x64, 0x60, 0x6E, 0x67, // 151-160
        0x61, 0x69, 0x63, 0x13, 0x2C, 0xA3, 0x5B, 0x5C, 0x12, 0xA4, // 161-170
        0x26, 0x28, 0x27, 0x25, 0x2D, 0x2E, 0x24, 0x23, 0x21, 0x22, // 171-180
        0x0D, 0x6F,                                                 // 181-182
    };
    for (std::size_t i = 0; i < kNamedKeys.size(); ++i) {
        table[141 + i] = kNamedKeys[i];
    }
    return table;
}

constexpr std::array<std::uint32_t, kHostKeyCount> kHostKeys = BuildHostKeyTable();

} // namespace

std::uint32_t HostKeyCode(int number) {
    if (number < 0 || static_cast<std::size_t>(number) >= kHostKeys.size()) {
        return 0;
    }
    return kHostKeys[static_cast<std::size_t>(number)];
}

} // namespace qx44
