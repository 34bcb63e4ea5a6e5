#pragma once

#include "core/hostlink/ISerialDevice.h"

namespace qx44 {

// Serial ports of a station that has none: every port fails to open as a missing device does.
class AbsentSerialPorts : public ISerialDeviceFactory {
public:
    std::unique_ptr<ISerialDevice> CreateDevice() override;
};

} // namespace qx44
