#pragma once

#include "core/common/UniqueFd.h"

#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/socket.h>

namespace qx44 {

// The station's listening socket: every local IPv4 address (or the one configured), the
// configured port. The backlog is
// the system's largest rather than the station's 5: a host that reconnects back to back would
// otherwise find it full and wait a second for its connection to be retried.
class CTCPIPListen {
public:
    static constexpr int kBacklog = SOMAXCONN;

    // The empty text means every local address; otherwise a dotted IPv4 address. nullopt when the
    // text is neither.
    static std::optional<in_addr> ParseAddress(std::string_view text);

    // Port 0 lets the system choose (tests); Port() tells which. The default address is every
    // local one.
    bool Listen(std::uint16_t port, in_addr address = {});
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
