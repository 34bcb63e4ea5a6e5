#include "core/devices/InProcessDevice.h"

#include "core/devices/InProcessStationEnd.h"

#include <algorithm>

namespace qx44 {

std::unique_ptr<ISerialDevice> InProcessDevice::MakeStationEnd() {
    return std::make_unique<InProcessStationEnd>(*this);
}

std::size_t InProcessDevice::Send(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    return SendLocked(bytes);
}

std::size_t InProcessDevice::SendLocked(std::span<const std::uint8_t> bytes) {
    const std::size_t room = kMaxWaiting - std::min(kMaxWaiting, waiting_.size());
    const auto fitting = bytes.first(std::min(room, bytes.size()));
    waiting_.insert(waiting_.end(), fitting.begin(), fitting.end());
    return fitting.size();
}

void InProcessDevice::TakeWritten(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    Written(bytes);
}

std::size_t InProcessDevice::Read(std::span<std::uint8_t> buffer) {
    std::lock_guard lock(mutex_);
    const std::size_t count = std::min(buffer.size(), waiting_.size());
    std::copy_n(waiting_.begin(), count, buffer.begin());
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

std::size_t InProcessDevice::Waiting() const {
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

} // namespace qx44
