#pragma once

#include "core/keyboard/IKeyboardDevices.h"

#include <string>

namespace qx44 {

// The kernel's input device list and, when one is configured, the POS keyboard's echo device.
class LinuxKeyboardDevices : public IKeyboardDevices {
public:
    static constexpr const char* kDefaultDeviceList = "/proc/bus/input/devices";

    // An empty echo device path means no POS keyboard is attached that way.
    explicit LinuxKeyboardDevices(std::string echoDevicePath = {},
                                  std::string deviceListPath = kDefaultDeviceList);

    std::string ReadDeviceList() override;
    // Opens the device for each write, so a keyboard plugged in later is found.
    bool WriteEchoDevice(std::uint8_t command) override;

private:
    std::string echoDevicePath_;
    std::string deviceListPath_;
};

} // namespace qx44
