#pragma once

#include "core/devices/IDeviceEvents.h"
#include "core/devices/StandingDevice.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>

namespace qx44 {

// A device that lives inside the program: what the station writes goes to the device's own
// handling, and the bytes it sends wait in a bounded queue until the station reads them. The
// station's threads and the control port use it at once, so every call holds its lock.
class InProcessDevice : public StandingDevice {
public:
    // How many bytes may wait for the station; a device sending more loses the rest.
    static constexpr std::size_t kMaxWaiting = 1 << 20;

    std::unique_ptr<ISerialDevice> MakeStationEnd() override;

    // Bytes as if the device had sent them; returns how many fitted in the queue.
    std::size_t Send(std::span<const std::uint8_t> bytes);

    // The station's end: what it wrote, what it reads, how much waits for it.
    void TakeWritten(std::span<const std::uint8_t> bytes);
    std::size_t Read(std::span<std::uint8_t> buffer);
    std::size_t Waiting() const;

    // Who hears of what the device does, as the device behind COM `port`; none until set, and
    // set once, before the station opens the device.
    void SetEvents(int port, IDeviceEvents* events) {
        port_ = port;
        events_ = events;
    }

protected:
    // Called under the lock with each write of the station.
    virtual void Written(std::span<const std::uint8_t> bytes) = 0;
    // Send for a device answering inside Written, which already holds the lock.
    std::size_t SendLocked(std::span<const std::uint8_t> bytes);

    mutable std::mutex mutex_;
    int port_ = 0;
    IDeviceEvents* events_ = nullptr;

private:
    std::deque<std::uint8_t> waiting_;
};

} // namespace qx44
