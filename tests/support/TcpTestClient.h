#pragma once

#include "core/common/UniqueFd.h"
#include "support/Bytes.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <span>
#include <stdexcept>
#include <sys/socket.h>

namespace qx44::test {

// A host on 127.0.0.1 (or another local address), as a real host application would connect to
// the station.
class TcpTestClient {
public:
    explicit TcpTestClient(std::uint16_t port, const char* to = "127.0.0.1")
        : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        ::inet_pton(AF_INET, to, &address.sin_addr);
        if (::connect(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) !=
            0) {
            throw std::runtime_error("connect failed");
        }
    }

    // Every send leaves as a segment of its own, as a host writing byte by byte would send it.
    void SetNoDelay() {
        const int on = 1;
        ::setsockopt(fd_.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }

    void Send(std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) {
                throw std::runtime_error("send failed");
            }
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        }
    }

    // As much of `bytes` as the station takes before it stops taking any for `stall`.
    std::size_t SendUntilHeldBack(std::span<const std::uint8_t> bytes,
                                  std::chrono::milliseconds stall) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            pollfd pfd{fd_.Get(), POLLOUT, 0};
            if (::poll(&pfd, 1, static_cast<int>(stall.count())) <= 0) {
                break;
            }
            const ssize_t n = ::send(fd_.Get(), bytes.data() + sent, bytes.size() - sent,
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN) {
                break;
            }
            sent += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        return sent;
    }

    // The host says it sends no more, and goes on reading.
    void ShutdownSending() { ::shutdown(fd_.Get(), SHUT_WR); }

    // Whatever arrives within the timeout, up to `max` bytes; stops early once `max` arrived.
    Bytes Receive(std::size_t max, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        Bytes received;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (received.size() < max) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !WaitReadable(left)) {
                break;
            }
            std::uint8_t chunk[4096];
            const ssize_t n =
                ::recv(fd_.Get(), chunk, std::min(sizeof(chunk), max - received.size()), 0);
            if (n <= 0) {
                closed_ = true;
                break;
            }
            received.insert(received.end(), chunk, chunk + n);
        }
        return received;
    }

    // True when the station closed the connection within the timeout.
    bool WaitClosed(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!closed_ && std::chrono::steady_clock::now() < deadline) {
            Receive(1 << 20, std::chrono::duration_cast<std::chrono::milliseconds>(
                                 deadline - std::chrono::steady_clock::now()));
        }
        return closed_;
    }

    void Close() { fd_.Reset(); }

private:
    bool WaitReadable(std::chrono::milliseconds timeout) {
        pollfd pfd{fd_.Get(), POLLIN, 0};
        return ::poll(&pfd, 1, static_cast<int>(timeout.count())) > 0;
    }

    UniqueFd fd_;
    bool closed_ = false;
};

} // namespace qx44::test
