#pragma once

#include "core/keyboard/PcKeyTable.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qx44 {

// The PC keyboard's keys that are down, each as its press read it. A key whose meaning depends
// on Ctrl (Pause is Break while Ctrl is held) keeps the meaning it went down with until it comes
// up, whichever of the two is let go first, so its release always matches its press.
class PressedKeys {
public:
    // The key pressed at native scan code `native` (evdev + 8), read with Ctrl as it is now; a
    // key already down (a repeat) stays the key it went down as. Nothing for a key the PC
    // keyboard does not have.
    std::optional<PcKey> Press(std::uint32_t native, bool ctrlHeld);
    // The key as it went down, or as it reads with Ctrl up when its press was not seen here.
    std::optional<PcKey> Release(std::uint32_t native);
    // The keyboard went elsewhere: no key counts as down any more.
    void Clear() { down_.clear(); }

private:
    struct Down {
        std::uint32_t native = 0;
        PcKey key;
    };

    std::vector<Down> down_;
};

} // namespace qx44
