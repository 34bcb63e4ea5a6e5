#pragma once

#include <cstdint>

namespace qx44 {

// Which keys are held, as the window system sees them while the current key event is handled: a
// key released by that event is already up. Codes are virtual-key codes; like the platform's own
// table, a modifier is down under its generic code and under its left or right code.
class IKeyboardState {
public:
    virtual ~IKeyboardState() = default;
    virtual bool IsKeyDown(std::uint8_t vk) const = 0;
};

} // namespace qx44
