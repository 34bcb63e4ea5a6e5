#pragma once

#include "core/hostlink/HostLink.h"
#include "support/Bytes.h"
#include "support/TcpTestClient.h"

#include <chrono>

namespace qx44::test {

// Gives the host link its send opportunities, as timer 1 does, until `host` has `count` bytes or
// 50 ticks have passed.
inline Bytes ReceiveOverTicks(HostLink& link, TcpTestClient& host, std::size_t count,
                              std::chrono::milliseconds tick = std::chrono::milliseconds(100)) {
    Bytes received;
    for (int n = 0; n < 50 && received.size() < count; ++n) {
        link.OnTimer1Tick();
        const Bytes more = host.Receive(count - received.size(), tick);
        received.insert(received.end(), more.begin(), more.end());
    }
    return received;
}

} // namespace qx44::test
