#pragma once

#include "core/devices/StandingDevice.h"
#include "core/hostlink/ISerialDevice.h"

#include <memory>

namespace qx44 {

class SerialDeviceRouter;

// A port's device that becomes, at each Open, whatever its router puts behind that COM number,
// holding one of the program's devices exclusively while open as a real port would be held.
class RoutingSerialDevice : public ISerialDevice {
public:
    explicit RoutingSerialDevice(SerialDeviceRouter& router) : router_(router) {}
    RoutingSerialDevice(const RoutingSerialDevice&) = delete;
    RoutingSerialDevice& operator=(const RoutingSerialDevice&) = delete;
    ~RoutingSerialDevice() override { Close(); }

    void Open(int port, const SerialLineSettings& line) override;
    void Close() override;
    bool IsOpen() const override { return device_ && device_->IsOpen(); }
    std::size_t Read(std::span<std::uint8_t> buffer) override;
    std::size_t Write(std::span<const std::uint8_t> bytes) override;
    SerialQueueStatus QueryStatus() override;
    void SetTimeouts(const SerialTimeouts& timeouts) override;

private:
    ISerialDevice& Opened() const;

    SerialDeviceRouter& router_;
    // Declared first so the device's end, which may refer to it, goes before it.
    std::shared_ptr<StandingDevice> held_;
    std::unique_ptr<ISerialDevice> device_;
};

} // namespace qx44
