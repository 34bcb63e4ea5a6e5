#pragma once

#include "core/devices/SerialPortKind.h"
#include "core/hostlink/ISerialDevice.h"

#include <atomic>
#include <memory>
#include <string>

namespace qx44 {

// One of the program's own devices behind a COM number. It lives as long as the program, not as
// long as the station holds the port open, so what it recorded survives the port being closed
// and opened again. Like a real port it is held by one opener at a time.
class StandingDevice {
public:
    StandingDevice() = default;
    StandingDevice(const StandingDevice&) = delete;
    StandingDevice& operator=(const StandingDevice&) = delete;
    virtual ~StandingDevice() = default;

    virtual SerialPortKind Kind() const = 0;
    // The station's end of the device, still closed; its Open raises as a port's would.
    virtual std::unique_ptr<ISerialDevice> MakeStationEnd() = 0;
    // Where another program attaches to the device; empty when it has no such place.
    virtual std::string Path() const { return {}; }

    // False while another opener holds the device.
    bool TryHold() { return !held_.exchange(true); }
    void Release() { held_ = false; }
    bool IsHeld() const { return held_.load(); }

private:
    std::atomic<bool> held_{false};
};

} // namespace qx44
