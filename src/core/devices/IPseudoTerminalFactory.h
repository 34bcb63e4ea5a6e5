#pragma once

#include "core/devices/StandingDevice.h"

#include <memory>

namespace qx44 {

// Makes the pseudo-terminal behind COM `port`, an operating-system device that core cannot open.
class IPseudoTerminalFactory {
public:
    virtual ~IPseudoTerminalFactory() = default;
    // Raises CSerialException when the system has no pseudo-terminal to give.
    virtual std::shared_ptr<StandingDevice> OpenPseudoTerminal(int port) = 0;
};

} // namespace qx44
