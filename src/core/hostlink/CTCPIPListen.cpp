#include "core/hostlink/CTCPIPListen.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace qx44 {

bool CTCPIPListen::Listen(std::uint16_t port) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        return false;
    }
    const int on = 1;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
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
