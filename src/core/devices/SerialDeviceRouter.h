#pragma once

#include "core/devices/IDeviceEvents.h"
#include "core/devices/IPseudoTerminalFactory.h"
#include "core/devices/StandingDevice.h"
#include "core/devices/VirtualPrinter.h"
#include "core/hostlink/ISerialDevice.h"

#include <map>
#include <memory>
#include <mutex>

namespace qx44 {

// Picks, each time a port is opened, what stands behind its COM number as [Ports] COM<n> says:
// the machine's device, or the program's virtual serial device, pseudo-terminal or receipt
// printer. The program's devices are made once per COM number and kept for the whole run, so
// the control port can look at them whether or not the station holds them open.
class SerialDeviceRouter : public ISerialDeviceFactory {
public:
    // The devices the ports open behind this router; they hold on to their own, so the router
    // must outlive every port it made.
    // `events` hears what the virtual devices and printers do; it must outlive the router.
    SerialDeviceRouter(ISerialDeviceFactory& machineDevices,
                       IPseudoTerminalFactory& pseudoTerminals, IDeviceEvents* events = nullptr);

    std::unique_ptr<ISerialDevice> CreateDevice() override;

    // Makes the program's devices for COM first..last now, so a pseudo-terminal's path is known
    // from the start.
    void Prepare(int first, int last);

    // What the station opens behind COM `port`: a device of the machine, or the end of one of
    // the program's devices with that device. Raises CSerialException when a pseudo-terminal
    // cannot be had.
    struct Route {
        std::unique_ptr<ISerialDevice> device;
        std::shared_ptr<StandingDevice> standing;
    };
    Route RouteFor(int port);

    // The program's device behind COM `port` as the settings name it now, made if need be;
    // nullptr for a machine's device. Raises as RouteFor does.
    std::shared_ptr<StandingDevice> Standing(int port);
    // The receipt printer with the lowest COM number among those made so far, and its number.
    std::shared_ptr<VirtualPrinter> FirstPrinter(int& port);

private:
    std::shared_ptr<StandingDevice> Make(int port, SerialPortKind kind);

    ISerialDeviceFactory& machineDevices_;
    IPseudoTerminalFactory& pseudoTerminals_;
    IDeviceEvents* events_;
    std::mutex mutex_;
    std::map<int, std::shared_ptr<StandingDevice>> standing_;
};

} // namespace qx44
