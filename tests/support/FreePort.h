#pragma once

#include "core/common/UniqueFd.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

namespace qx44::test {

// A TCP port nobody listens on right now, for a station that takes its port from the settings.
inline std::uint16_t FreePort() {
    UniqueFd probe(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(probe.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

} // namespace qx44::test
