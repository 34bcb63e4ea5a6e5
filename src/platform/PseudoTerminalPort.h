#pragma once

#include "core/common/UniqueFd.h"
#include "core/devices/StandingDevice.h"

#include <memory>
#include <string>

namespace qx44 {

// A pseudo-terminal standing in for a COM port: the station uses the master side, and a device
// simulator attaches to the slave path with any serial tool. The program keeps the slave open
// too, so the line stays up while no tool is attached.
class PseudoTerminalPort : public StandingDevice {
public:
    // Raises CSerialException when the system gives no pseudo-terminal.
    PseudoTerminalPort();

    SerialPortKind Kind() const override { return SerialPortKind::Pty; }
    std::unique_ptr<ISerialDevice> MakeStationEnd() override;
    std::string Path() const override { return slavePath_; }

private:
    UniqueFd master_;
    UniqueFd slave_;
    std::string slavePath_;
};

} // namespace qx44
