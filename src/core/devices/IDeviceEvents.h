#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qx44 {

// What the program's own devices tell whoever watches them (a web view's live stream). Calls
// come on the thread that wrote to the device, under its lock: an observer only copies and hands
// over. Methods do nothing by default.
class IDeviceEvents {
public:
    virtual ~IDeviceEvents() = default;

    // The receipt printer behind COM `port` cut a receipt.
    virtual void ReceiptPrinted(int /*port*/, std::string_view /*text*/) {}
    // The station wrote `bytes` to the virtual device behind COM `port`.
    virtual void SerialWritten(int /*port*/, std::span<const std::uint8_t> /*bytes*/) {}
};

} // namespace qx44
