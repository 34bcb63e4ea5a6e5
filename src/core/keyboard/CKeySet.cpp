#include "core/keyboard/CKeySet.h"

#include "core/keyboard/CKBHardware.h"
#include "core/keyboard/CVkQX44.h"

namespace qx44 {

namespace {

// Codes above this are OEM and reserved entries of the platform's table, not keys of a set.
constexpr std::uint32_t kLastCountedKey = 0xDE;

bool IsHeld(std::uint32_t vk, const IKeyboardState& keyboard) {
    return vk <= 0xFF && keyboard.IsKeyDown(static_cast<std::uint8_t>(vk));
}

bool AnotherKeyDown(std::uint32_t released, const IKeyboardState& keyboard) {
    for (std::uint32_t vk = 0; vk <= kLastCountedKey; ++vk) {
        if (vk != released && vk != CKBHardware::kEchoVirtualKey && IsHeld(vk, keyboard)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool CKeySet::Matches(std::uint32_t vk, const IKeyboardState& keyboard) const {
    if (key1_ != 0 && vk == key1_) {
        return FiresWith(vk, key2_, keyboard);
    }
    if (key2_ != 0 && vk == key2_) {
        return FiresWith(vk, key1_, keyboard);
    }
    return false;
}

bool CKeySet::FiresWith(std::uint32_t released, std::uint32_t other,
                        const IKeyboardState& keyboard) const {
    if (IsSingle() && AnotherKeyDown(released, keyboard)) {
        return false;
    }
    return other == 0 || IsHeld(other, keyboard);
}

std::string CKeySet::Name() const {
    const std::string_view name1 = CVkQX44::GetNameOfCode(key1_);
    const std::string_view name2 = CVkQX44::GetNameOfCode(key2_);
    if (!name1.empty() && !name2.empty()) {
        std::string name(name1);
        name += " + ";
        name += name2;
        return name;
    }
    return std::string(name1.empty() ? name2 : name1);
}

} // namespace qx44
