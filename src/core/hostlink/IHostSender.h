#pragma once

#include <cstdint>
#include <span>

namespace qx44 {

// The one path by which the station sends bytes to the host; callable from any thread.
class IHostSender {
public:
    virtual ~IHostSender() = default;
    // Queues the bytes for the current host; with no host connected they are dropped.
    virtual void SendToHost(std::span<const std::uint8_t> bytes) = 0;
};

} // namespace qx44
