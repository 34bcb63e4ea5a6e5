#pragma once

#include "support/Bytes.h"
#include "support/TcpTestClient.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <thread>

namespace qx44::test {

// Connects to the program under test once it listens.
inline std::unique_ptr<TcpTestClient> ConnectWhenListening(std::uint16_t port) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        try {
            return std::make_unique<TcpTestClient>(port);
        } catch (const std::runtime_error&) {
            if (std::chrono::steady_clock::now() > deadline) {
                throw;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

// Asks the identity query and waits for the answer, which proves the host is served. The first
// start on a machine may spend seconds building the font cache before it answers.
inline void ExpectAnswered(TcpTestClient& host) {
    host.Send(Bytes{0x02, 0x01, 0x11, 0x03});
    EXPECT_EQ(host.Receive(5, std::chrono::seconds(30)), (Bytes{0x02, 0x01, 0x14, 0x10, 0x03}));
}

} // namespace qx44::test
