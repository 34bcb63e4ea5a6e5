#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qx44 {

// A key of the 105-key PC keyboard by the name scripts use for it, and its evdev code, which is
// how the window system reports the real key.
struct NamedKey {
    std::string_view name;
    std::uint16_t evdev = 0;
    // For the keypad's digits and point, what the key types with Num Lock on; 0 otherwise.
    char keypadCharacter = 0;
};

// What a character takes on the US layout: one key, with or without Shift.
struct TypedCharacter {
    const NamedKey* key = nullptr;
    bool shift = false;
};

class KeyNames {
public:
    // Every key, in keyboard order.
    static std::span<const NamedKey> All();
    // Names are matched without regard to case.
    static const NamedKey* Find(std::string_view name);
    // Nothing for a character the US layout has no key for.
    static std::optional<TypedCharacter> ForCharacter(char character);
};

} // namespace qx44
