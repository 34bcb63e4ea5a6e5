#include "core/devices/VirtualSerialDevice.h"

namespace qx44 {

VirtualSerialDevice::Record VirtualSerialDevice::WrittenSoFar() const {
    std::lock_guard lock(mutex_);
    return {log_.Contents(), log_.Dropped()};
}

} // namespace qx44
