#include "core/devices/InProcessStationEnd.h"

#include "core/devices/InProcessDevice.h"
#include "core/hostlink/CSerialException.h"

#include <cerrno>

namespace qx44 {

void InProcessStationEnd::Open(int, const SerialLineSettings&) {
    open_ = true;
}

std::size_t InProcessStationEnd::Read(std::span<std::uint8_t> buffer) {
    ThrowIfClosed();
    return device_.Read(buffer);
}

std::size_t InProcessStationEnd::Write(std::span<const std::uint8_t> bytes) {
    ThrowIfClosed();
    device_.TakeWritten(bytes);
    return bytes.size();
}

SerialQueueStatus InProcessStationEnd::QueryStatus() {
    return {.input = open_ ? device_.Waiting() : 0, .output = 0};
}

void InProcessStationEnd::SetTimeouts(const SerialTimeouts&) {
    ThrowIfClosed();
}

void InProcessStationEnd::ThrowIfClosed() const {
    if (!open_) {
        throw CSerialException(EBADF);
    }
}

} // namespace qx44
