#pragma once

#include <cstdint>
#include <string>

namespace qx44 {

// The operating system's view of the keyboards attached, for the keyboard icon of the status line.
class IKeyboardDevices {
public:
    virtual ~IKeyboardDevices() = default;

    // The input device list in the format of /proc/bus/input/devices; "" when it cannot be read.
    virtual std::string ReadDeviceList() = 0;
    // Writes one command byte to the POS keyboard device; false when there is no such device or
    // it refuses the byte.
    virtual bool WriteEchoDevice(std::uint8_t command) = 0;
};

} // namespace qx44
