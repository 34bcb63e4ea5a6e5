#pragma once

#include "core/control/ControlReply.h"

#include <string_view>

namespace qx44 {

class SerialDeviceRouter;

// The control port's `serial` and `printer` commands, which look at and drive the program's own
// devices. Each takes the rest of the command line after the command word.
class DeviceControlCommands {
public:
    static constexpr std::string_view kSerialUsage = "serial N [send TEXT | sendhex HEX]";
    static constexpr std::string_view kPrinterUsage =
        "printer [take | set ready|offline|cover-open|paper-near-end|paper-end]";

    explicit DeviceControlCommands(SerialDeviceRouter& router) : router_(router) {}

    // `N`: what stands behind COM N and, for a virtual device, what the station wrote to it
    // (text and hex, the last MiB, with the count of earlier bytes dropped); `N send TEXT` and
    // `N sendhex HEX` hand bytes to the station as if the virtual device had sent them.
    ControlReply Serial(std::string_view arguments);
    // The receipt printer's state, receipts and the receipt being printed; `take` also forgets
    // the receipts; `set STATE` changes the state it reports.
    ControlReply Printer(std::string_view arguments);

private:
    SerialDeviceRouter& router_;
};

} // namespace qx44
