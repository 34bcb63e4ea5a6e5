#pragma once

#include "core/common/UniqueFd.h"

#include <cstdint>
#include <sys/socket.h>

namespace qx44 {

// The station's listening socket: any local IPv4 address, the configured port. The backlog is
// the system's largest rather than the station's 5: a host that reconnects back to back would
// otherwise find it full and wait a second for its connection to be retried.
class CTCPIPListen {
public:
    static constexpr int kBacklog = SOMAXCONN;

    // Port 0 lets the system choose (tests); Port() tells which.
    bool Listen(std::uint16_t port);
    // A pending host's socket, non-blocking; invalid when none is pending or the accept failed.
    // A host that cannot be taken for want of descriptors is let go: left in the queue, it would
    // keep the listener readable and its watcher accepting in a loop.
    UniqueFd Accept();
    void Close() { socket_.Reset(); }

    bool IsListening() const { return socket_.Valid(); }
    int Fd() const { return socket_.Get(); }
    std::uint16_t Port() const;

private:
    UniqueFd socket_;
    // Closed to make room for taking that host off the queue.
    UniqueFd reserve_;
};

} // namespace qx44
