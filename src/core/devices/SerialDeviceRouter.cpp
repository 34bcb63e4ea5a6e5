#include "core/devices/SerialDeviceRouter.h"

#include "core/devices/RoutingSerialDevice.h"
#include "core/devices/VirtualSerialDevice.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>

namespace qx44 {

SerialDeviceRouter::SerialDeviceRouter(ISerialDeviceFactory& machineDevices,
                                       IPseudoTerminalFactory& pseudoTerminals,
                                       IDeviceEvents* events)
    : machineDevices_(machineDevices), pseudoTerminals_(pseudoTerminals), events_(events) {}

std::unique_ptr<ISerialDevice> SerialDeviceRouter::CreateDevice() {
    return std::make_unique<RoutingSerialDevice>(*this);
}

void SerialDeviceRouter::Prepare(int first, int last) {
    for (int port = first; port <= last; ++port) {
        try {
            Standing(port);
        } catch (const std::exception&) {
            // Tried again when the station opens the port.
        }
    }
}

SerialDeviceRouter::Route SerialDeviceRouter::RouteFor(int port) {
    if (auto standing = Standing(port)) {
        auto end = standing->MakeStationEnd();
        return {std::move(end), std::move(standing)};
    }
    return {machineDevices_.CreateDevice(), nullptr};
}

std::shared_ptr<StandingDevice> SerialDeviceRouter::Standing(int port) {
    const SerialPortKind kind = ConfiguredPortKind(port);
    if (kind == SerialPortKind::Device) {
        return nullptr;
    }
    std::lock_guard lock(mutex_);
    auto& device = standing_[port];
    // A port given another kind gets a new device; one still open keeps the old one until closed.
    if (!device || device->Kind() != kind) {
        device = Make(port, kind);
    }
    return device;
}

std::shared_ptr<VirtualPrinter> SerialDeviceRouter::FirstPrinter(int& port) {
    std::lock_guard lock(mutex_);
    for (const auto& [number, device] : standing_) {
        if (device && device->Kind() == SerialPortKind::Printer) {
            port = number;
            return std::static_pointer_cast<VirtualPrinter>(device);
        }
    }
    return nullptr;
}

std::shared_ptr<StandingDevice> SerialDeviceRouter::Make(int port, SerialPortKind kind) {
    switch (kind) {
    case SerialPortKind::Virtual: {
        auto device = std::make_shared<VirtualSerialDevice>();
        device->SetEvents(port, events_);
        return device;
    }
    case SerialPortKind::Printer: {
        const CQX44Setting settings;
        // Settings below the least bound still save one receipt.
        const ReceiptFolder::Bound bound{
            .files = static_cast<std::size_t>(std::max(settings.GetPrinterDirMaxFiles(), 1)),
            .bytes = std::uint64_t{1024} *
                     static_cast<std::uint64_t>(std::max(settings.GetPrinterDirMaxKiB(), 1))};
        auto printer = std::make_shared<VirtualPrinter>(settings.GetPrinterDir(), bound);
        printer->SetEvents(port, events_);
        return printer;
    }
    case SerialPortKind::Pty:
        return pseudoTerminals_.OpenPseudoTerminal(port);
    case SerialPortKind::Device:
        break;
    }
    return nullptr;
}

} // namespace qx44
