#pragma once

#include "core/common/UniqueFd.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>

namespace qx44::test {

// A script on the control port: sends lines, reads one reply line at a time. Connecting or
// sending gives up after 10 s, so a station that takes no clients fails a test, never hangs it.
class ControlClient {
public:
    explicit ControlClient(std::uint16_t port, bool overIpv6 = false)
        : fd_(::socket(overIpv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0)) {
        const timeval patience{10, 0};
        ::setsockopt(fd_.Get(), SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
        int connected = -1;
        if (overIpv6) {
            sockaddr_in6 address{};
            address.sin6_family = AF_INET6;
            address.sin6_port = htons(port);
            address.sin6_addr = in6addr_loopback;
            connected = ::connect(fd_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        } else {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            connected = ::connect(fd_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        if (connected != 0) {
            throw std::runtime_error("cannot connect to the control port");
        }
    }

    void Send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }

    // The next reply line without its line feed; nothing at the deadline or once closed.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (const auto end = pending_.find('\n'); end != std::string::npos) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd pfd{fd_.Get(), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char chunk[65536];
            const ssize_t n = ::recv(fd_.Get(), chunk, sizeof chunk, 0);
            if (n <= 0) {
                closed_ = true;
                return std::nullopt;
            }
            pending_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    std::string Ask(std::string_view line,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        Send(std::string(line) + "\n");
        return ReadLine(timeout).value_or("(no reply)");
    }

    // True when the station closed this connection within the timeout.
    bool WaitClosed(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!closed_ && std::chrono::steady_clock::now() < deadline) {
            ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()));
        }
        return closed_;
    }

    void Close() { fd_.Reset(); }
    void ShutdownSending() { ::shutdown(fd_.Get(), SHUT_WR); }

private:
    UniqueFd fd_;
    std::string pending_;
    bool closed_ = false;
};

// Connects to the control port of a program under test once it listens.
inline std::unique_ptr<ControlClient> ConnectControl(std::uint16_t port) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        try {
            return std::make_unique<ControlClient>(port);
        } catch (const std::runtime_error&) {
            if (std::chrono::steady_clock::now() > deadline) {
                throw;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

} // namespace qx44::test
