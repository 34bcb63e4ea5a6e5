#pragma once

#include "core/keyboard/IKeyboardState.h"
#include "core/keyboard/PcKeyTable.h"

#include <array>
#include <cstdint>

namespace qx44 {

// The 256 virtual keys and which of them are held, kept up to date from the key events the
// window receives, as the platform's own keyboard state would be.
class KeyStateTable : public IKeyboardState {
public:
    static constexpr std::uint8_t kCtrl = 0x11;
    static constexpr std::uint8_t kAlt = 0x12;
    static constexpr std::uint8_t kF10 = 0x79;

    // Marks the key (and, for a modifier, its left or right code) down or up.
    void Update(const PcKey& key, std::uint8_t virtualKey, bool down);
    bool IsKeyDown(std::uint8_t vk) const override { return down_[vk]; }

    // Alt, F10 and anything pressed while Alt is held belong to the window system, not to the
    // terminal; call after Update for the event.
    bool IsSystemKey(std::uint8_t virtualKey) const {
        return virtualKey == kAlt || virtualKey == kF10 || down_[kAlt];
    }

    void Clear() { down_.fill(false); }

private:
    std::array<bool, 256> down_{};
};

} // namespace qx44
