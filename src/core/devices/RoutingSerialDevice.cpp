#include "core/devices/RoutingSerialDevice.h"

#include "core/devices/SerialDeviceRouter.h"
#include "core/hostlink/CSerialException.h"

#include <cerrno>

namespace qx44 {

void RoutingSerialDevice::Open(int port, const SerialLineSettings& line) {
    Close();
    SerialDeviceRouter::Route route = router_.RouteFor(port);
    if (route.standing && !route.standing->TryHold()) {
        throw CSerialException(EBUSY);
    }
    held_ = std::move(route.standing);
    device_ = std::move(route.device);
    try {
        device_->Open(port, line);
    } catch (const CSerialException&) {
        // One that opened but refused its line settings stays open, as a port does.
        if (!device_->IsOpen()) {
            Close();
        }
        throw;
    }
}

void RoutingSerialDevice::Close() {
    if (device_) {
        device_->Close();
        device_.reset();
    }
    if (held_) {
        held_->Release();
        held_.reset();
    }
}

std::size_t RoutingSerialDevice::Read(std::span<std::uint8_t> buffer) {
    return Opened().Read(buffer);
}

std::size_t RoutingSerialDevice::Write(std::span<const std::uint8_t> bytes) {
    return Opened().Write(bytes);
}

SerialQueueStatus RoutingSerialDevice::QueryStatus() {
    return device_ ? device_->QueryStatus() : SerialQueueStatus{};
}

void RoutingSerialDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    Opened().SetTimeouts(timeouts);
}

ISerialDevice& RoutingSerialDevice::Opened() const {
    if (!device_) {
        throw CSerialException(EBADF);
    }
    return *device_;
}

} // namespace qx44
