#pragma once

#include "core/common/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <poll.h>
#include <pty.h>
#include <span>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace qx44::test {

// A pseudo-terminal pair standing in for a COM port: the station opens the slave by its path, the
// test plays the device on the master end. The test keeps its own slave descriptor, so the line's
// settings can be read back even while the station holds the slave exclusively.
class PseudoTerminal {
public:
    PseudoTerminal() {
        int master = -1;
        int slave = -1;
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        master_.Reset(master);
        slave_.Reset(slave);
        slavePath_ = ::ttyname(slave);
        termios raw = SlaveSettings();
        ::cfmakeraw(&raw);
        ::tcsetattr(master, TCSANOW, &raw);
    }

    const std::string& SlavePath() const { return slavePath_; }

    termios SlaveSettings() const {
        termios settings{};
        if (::tcgetattr(slave_.Get(), &settings) != 0) {
            throw std::runtime_error("tcgetattr failed");
        }
        return settings;
    }
    void SetSlaveSettings(const termios& settings) const {
        if (::tcsetattr(slave_.Get(), TCSANOW, &settings) != 0) {
            throw std::runtime_error("tcsetattr failed");
        }
    }

    void Type(std::span<const std::uint8_t> bytes) const {
        if (::write(master_.Get(), bytes.data(), bytes.size()) !=
            static_cast<ssize_t>(bytes.size())) {
            throw std::runtime_error("write to master failed");
        }
    }

    // What the station sent, once `count` bytes have arrived or after five seconds.
    std::vector<std::uint8_t> Received(std::size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::vector<std::uint8_t> bytes;
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{master_.Get(), POLLIN, 0};
            std::uint8_t piece[256];
            const ssize_t n =
                ::poll(&ready, 1, 10) > 0 ? ::read(master_.Get(), piece, sizeof(piece)) : 0;
            if (n > 0) {
                bytes.insert(bytes.end(), piece, piece + n);
            }
        }
        return bytes;
    }

    void CloseMaster() { master_.Reset(); }

private:
    UniqueFd master_;
    UniqueFd slave_;
    std::string slavePath_;
};

} // namespace qx44::test
