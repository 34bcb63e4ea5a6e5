#pragma once

#include "core/devices/ByteLog.h"
#include "core/devices/InProcessDevice.h"

#include <cstdint>
#include <string>

namespace qx44 {

// A serial device for testing a host's serial code: it records what the station writes to it
// (the last kLogBytes) and sends what it is given.
class VirtualSerialDevice : public InProcessDevice {
public:
    static constexpr std::size_t kLogBytes = 1 << 20;

    struct Record {
        std::string bytes;
        std::uint64_t dropped = 0;
    };

    SerialPortKind Kind() const override { return SerialPortKind::Virtual; }
    Record WrittenSoFar() const;

private:
    void Written(std::span<const std::uint8_t> bytes) override;

    ByteLog log_{kLogBytes};
};

} // namespace qx44
