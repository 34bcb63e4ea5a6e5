#include "core/devices/VirtualSerialDevice.h"

namespace qx44 {

VirtualSerialDevice::Record VirtualSerialDevice::WrittenSoFar() const {
    std::lock_guard lock(mutex_);
    return {log_.Contents(), log_.Dropped()};
}

void VirtualSerialDevice::Written(std::span<const std::uint8_t> bytes) {
    log_.Append(bytes);
    if (events_ != nullptr) {
        events_->SerialWritten(port_, bytes);
    }
}

} // namespace qx44
