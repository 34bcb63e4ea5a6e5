#pragma once

#include "core/common/UniqueFd.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>

namespace qx44::test {

// One answer of the station's web server, as a script using curl would see it.
struct HttpAnswer {
    int status = 0;
    std::string head;
    std::string body;
};

// One HTTP/1.1 request on a connection of its own to 127.0.0.1:`port`;
// gives up after 20 s, so a server that never answers fails a test rather than hanging it.
inline HttpAnswer HttpRequest(std::uint16_t port, std::string_view method, std::string_view path,
                              std::string_view body = {}, std::string_view headers = {}) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
    const timeval patience{20, 0};
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("cannot connect to the web server");
    }
    std::string request =
        std::string(method) + " " + std::string(path) +
        " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
        "\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
        std::string(headers) + "\r\n" + std::string(body);
    for (std::string_view rest = request; !rest.empty();) {
        const ssize_t n = ::send(fd.Get(), rest.data(), rest.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    // The server may keep the connection open: the answer ends where its Content-Length says.
    std::string received;
    HttpAnswer answer;
    std::size_t length = std::string::npos;
    char chunk[65536];
    for (ssize_t n; (n = ::recv(fd.Get(), chunk, sizeof chunk, 0)) > 0;) {
        received.append(chunk, static_cast<std::size_t>(n));
        const std::size_t end = received.find("\r\n\r\n");
        if (end == std::string::npos || !received.starts_with("HTTP/1.1 ")) {
            continue;
        }
        if (length == std::string::npos) {
            answer.status = std::stoi(received.substr(9, 3));
            answer.head = received.substr(0, end);
            const std::size_t field = answer.head.find("Content-Length: ");
            length = field == std::string::npos ? 0 : std::stoul(answer.head.substr(field + 16));
        }
        if (received.size() >= end + 4 + length) {
            answer.body = received.substr(end + 4, length);
            break;
        }
    }
    return answer;
}

// The first answer once the server listens.
inline HttpAnswer HttpWhenListening(std::uint16_t port, std::string_view path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        try {
            return HttpRequest(port, "GET", path);
        } catch (const std::runtime_error&) {
            if (std::chrono::steady_clock::now() > deadline) {
                throw;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

} // namespace qx44::test
