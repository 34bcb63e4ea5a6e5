#pragma once

#include "core/common/UniqueFd.h"
#include "core/hostlink/ISerialDevice.h"

#include <string>
#include <termios.h>

namespace qx44 {

// Turns `tio` (the device's current settings) into raw 8-bit-clean I/O with the line settings,
// the receiver on and the modem lines ignored. Returns 0, or EINVAL with `tio` untouched when a
// value has no termios form: a rate outside 110..115200, data bits outside 5..8, an unknown
// parity, stop-bit or flow value.
int ApplyLineSettings(const SerialLineSettings& line, termios& tio);

// A COM port as a termios device. Reads never block (VMIN = VTIME = 0); every wait is a poll()
// bounded by the port's timeouts.
class TermiosSerialDevice : public ISerialDevice {
public:
    // COM n is /dev/ttyS<n-1> unless the settings' [Ports] section maps COM<n> to another device,
    // which is how a USB adapter or, in tests, a pseudo-terminal stands in for a port.
    static std::string DevicePath(int port);

    void Open(int port, const SerialLineSettings& line) override;
    void Close() override;
    bool IsOpen() const override { return fd_.Valid(); }
    std::size_t Read(std::span<std::uint8_t> buffer) override;
    std::size_t Write(std::span<const std::uint8_t> bytes) override;
    SerialQueueStatus QueryStatus() override;
    void SetTimeouts(const SerialTimeouts& timeouts) override;

protected:
    // The descriptor Open sets up for COM `port`, invalid with errno set when there is none.
    virtual UniqueFd OpenDescriptor(int port);

private:
    UniqueFd fd_;
    SerialTimeouts timeouts_;
};

} // namespace qx44
