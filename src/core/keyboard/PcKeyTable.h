#pragma once

#include <cstdint>
#include <optional>

namespace qx44 {

// One key of a 104/105-key PC keyboard as the station's key code expects it: the set-1 scan
// code with its extended flag, and the virtual-key code the key reports in key messages.
struct PcKey {
    std::uint8_t scanCode = 0;
    bool extended = false;
    // Generic for Shift, Ctrl and Alt (0x10, 0x11, 0x12), as key messages carry them.
    std::uint8_t virtualKey = 0;
    // The left or right code the key-state table also marks for a modifier; 0 for other keys.
    std::uint8_t sideKey = 0;
    // The keypad's other virtual key, reported when Num Lock does not turn it into a digit.
    std::uint8_t navigationKey = 0;
};

// Linux reports every key by its evdev code (X11 and Wayland hand it on plus 8).
class PcKeyTable {
public:
    static constexpr int kX11Offset = 8;

    // `ctrlHeld`: the key as it arrives while Ctrl is down (Pause is then Break).
    static std::optional<PcKey> FromEvdev(std::uint32_t evdevCode, bool ctrlHeld = false);
    static std::optional<PcKey> FromNative(std::uint32_t nativeScanCode, bool ctrlHeld = false) {
        if (nativeScanCode < kX11Offset) {
            return std::nullopt;
        }
        return FromEvdev(nativeScanCode - kX11Offset, ctrlHeld);
    }
};

} // namespace qx44
