#include "core/keyboard/KeyStateTable.h"

namespace qx44 {

void KeyStateTable::Update(const PcKey& key, std::uint8_t virtualKey, bool down) {
    if (key.sideKey == 0) {
        down_[virtualKey] = down;
        return;
    }
    down_[key.sideKey] = down;
    // The generic code stays down while the other side's key is still held.
    const std::uint8_t otherSide = key.sideKey ^ 1;
    down_[virtualKey] = down || down_[otherSide];
}

} // namespace qx44
