#include "core/keyboard/PressedKeys.h"

#include <algorithm>

namespace qx44 {

std::optional<PcKey> PressedKeys::Press(std::uint32_t native, bool ctrlHeld) {
    const auto held = std::find_if(down_.begin(), down_.end(),
                                   [native](const Down& down) { return down.native == native; });
    if (held != down_.end()) {
        return held->key;
    }
    const auto key = PcKeyTable::FromNative(native, ctrlHeld);
    if (key) {
        down_.push_back(Down{native, *key});
    }
    return key;
}

std::optional<PcKey> PressedKeys::Release(std::uint32_t native) {
    const auto held = std::find_if(down_.begin(), down_.end(),
                                   [native](const Down& down) { return down.native == native; });
    if (held == down_.end()) {
        return PcKeyTable::FromNative(native);
    }
    const PcKey key = held->key;
    down_.erase(held);
    return key;
}

} // namespace qx44
