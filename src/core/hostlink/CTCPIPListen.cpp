#include "core/hostlink/CTCPIPListen.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace qx44 {

std::optional<in_addr> CTCPIPListen::ParseAddress(std::string_view text) {
    in_addr address{};
    if (text.empty()) {
        return address;
    }
    if (::inet_pton(AF_INET, std::string(text).c_str(), &address) != 1) {
        return std::nullopt;
    }
    return address;
}

bool CTCPIPListen::Listen(std::uint16_t port, in_addr address) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        return false;
    }
    const int on = 1;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    local.sin_port = htons(port);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0 ||
        ::listen(fd.Get(), kBacklog) != 0) {
        return false;
    }
    socket_ = std::move(fd);
    reserve_.Reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    return true;
}

UniqueFd CTCPIPListen::Accept() {
    if (!socket_.Valid()) {
        return {};
    }
    UniqueFd host(::accept4(socket_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!host.Valid() && (errno == EMFILE || errno == ENFILE) && reserve_.Valid()) {
        const int error = errno;
        reserve_.Reset();
        UniqueFd(::accept4(socket_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        reserve_.Reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        errno = error;
    }
    return host;
}

std::uint16_t CTCPIPListen::Port() const {
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    if (!socket_.Valid() ||
        ::getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

} // namespace qx44
