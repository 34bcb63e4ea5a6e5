#pragma once

#include "core/keyboard/PcKeyTable.h"

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace qx44 {

// A Qt key event as the station's key handling wants it: the virtual-key code and the key flags
// word (scan code, extended flag, Alt context, previous state, release).
struct TranslatedKey {
    PcKey key;
    std::uint8_t virtualKey = 0;
    std::uint32_t flags = 0;
    bool release = false;
};

class QtKeyTranslator {
public:
    static constexpr std::uint32_t kAltContextBit = 1u << 13;
    static constexpr std::uint32_t kPreviousStateBit = 1u << 14;
    static constexpr std::uint32_t kReleaseBit = 1u << 15;

    // Nothing for a key the PC keyboard does not have, or an event without a native scan code.
    static std::optional<TranslatedKey> Translate(const QKeyEvent& event, bool altHeld);
    // The same for the key the caller has already found for the event's scan code.
    static TranslatedKey Translate(const QKeyEvent& event, bool altHeld, const PcKey& key);
};

} // namespace qx44
