#pragma once

#include "core/keyboard/IKeyboardState.h"

#include <cstdint>
#include <string>

namespace qx44 {

// A shortcut of one or two virtual-key codes (0 = no key) that fires on the release of one of its
// keys, never on a press.
class CKeySet {
public:
    static constexpr int kSingle = 1;
    static constexpr int kPair = 2;

    CKeySet() = default;
    CKeySet(std::uint32_t key1, std::uint32_t key2) : key1_(key1), key2_(key2) {}

    void Set(std::uint32_t key1, std::uint32_t key2) {
        key1_ = key1;
        key2_ = key2;
    }
    std::uint32_t Key1() const { return key1_; }
    std::uint32_t Key2() const { return key2_; }

    bool IsSingle() const { return key1_ == 0 || key2_ == 0; }
    int Kind() const { return IsSingle() ? kSingle : kPair; }

    // An empty slot holds 0, so a single set also contains the code 0.
    bool Contains(std::uint32_t vk) const { return vk == key1_ || vk == key2_; }
    // Whether releasing `vk` fires the set: a pair fires while its other key is still held, a
    // single set only while no other key is held (so Shift + 0 does not fire the set "0").
    bool Matches(std::uint32_t vk, const IKeyboardState& keyboard) const;
    // "Ctrl + 4", "0", or "" when neither key has a name.
    std::string Name() const;

    bool operator==(const CKeySet&) const = default;

private:
    bool FiresWith(std::uint32_t released, std::uint32_t other,
                   const IKeyboardState& keyboard) const;

    std::uint32_t key1_ = 0;
    std::uint32_t key2_ = 0;
};

} // namespace qx44
