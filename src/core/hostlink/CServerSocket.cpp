#include "core/hostlink/CServerSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace qx44 {

CServerSocket::CServerSocket(UniqueFd socket, IHostMessageSink& sink, std::string transferPath,
                             std::function<void()> peerClosed, IHostTrace& trace)
    : socket_(std::move(socket)), sink_(sink), framer_(*this, std::move(transferPath), trace),
      peerClosed_(std::move(peerClosed)) {}

CServerSocket::~CServerSocket() {
    CloseConnection();
}

void CServerSocket::StartReceiving() {
    receiveThread_ = std::thread([this] { ReceiveLoop(); });
    hangUpThread_ = std::thread([this] { WatchForHangUp(); });
}

void CServerSocket::CloseConnection() {
    // Shutting down (not closing) the descriptor tells the host at once, while the number cannot
    // be reused under the receive thread's poll before the thread has ended.
    if (socket_.Valid()) {
        ::shutdown(socket_.Get(), SHUT_RDWR);
    }
    closing_.Cancel();
    handlerWaits_.Cancel();
    closeWake_.Signal();
    if (receiveThread_.joinable()) {
        receiveThread_.join();
    }
    if (hangUpThread_.joinable()) {
        hangUpThread_.join();
    }
    socket_.Reset();
    sendQueue_.Clear();
    framer_.Reset();
}

void CServerSocket::ReceiveLoop() {
    auto& buffer = framer_.Buffer();
    bool heldBack = false;
    while (!closing_.IsCancelled()) {
        heldBack = IsHeldBack(heldBack);
        if (heldBack && sendFailed_) {
            // A held-back host that went away is not read again; its failed sends tell.
            ReportPeerClosed();
            return;
        }
        if (heldBack) {
            WaitForSocketOrWake(0);
            continue;
        }
        if (WaitForSocketOrWake(POLLIN) == 0) {
            continue;
        }
        const auto space = buffer.FreeSpace();
        if (space.empty()) {
            continue;
        }
        const ssize_t n = ::recv(socket_.Get(), space.data(), space.size(), MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            continue;
        }
        if (n == 0) {
            // The host has only said it sends no more; it may still wait for its answers.
            FinishSending();
        }
        if (n <= 0) {
            ReportPeerClosed();
            return;
        }
        bytesIn_ += static_cast<std::uint64_t>(n);
        buffer.Advance(static_cast<std::size_t>(n));
        if (!framer_.ProcessReceived(closing_, handlerWaits_)) {
            return;
        }
    }
}

bool CServerSocket::IsHeldBack(bool wasHeldBack) const {
    const std::size_t queued = sendQueue_.Size();
    return wasHeldBack ? queued > kSendBound / 2 : queued > kSendBound;
}

void CServerSocket::FinishSending() {
    while (!closing_.IsCancelled() && !sendFailed_ && sendQueue_.Size() > 0) {
        WaitForSocketOrWake(0);
    }
}

short CServerSocket::WaitForSocketOrWake(short events) {
    pollfd fds[] = {
        {closeWake_.Fd(), POLLIN, 0}, {sendWake_.Fd(), POLLIN, 0}, {socket_.Get(), events, 0}};
    // With no socket events asked for, a hang-up must not end the sleep over and over.
    const nfds_t count = events == 0 ? 2 : 3;
    if (::poll(fds, count, -1) <= 0) {
        return 0;
    }
    if (fds[1].revents != 0) {
        sendWake_.Clear();
    }
    return count == 3 ? fds[2].revents : 0;
}

void CServerSocket::ReportPeerClosed() {
    // The UI thread closes the connection, which ends this thread. A close the station started
    // itself needs no report.
    if (peerClosed_ && !closing_.IsCancelled()) {
        peerClosed_();
    }
}

void CServerSocket::WatchForHangUp() {
    // Only a broken connection counts: a host that has just said it sends no more still reads,
    // and a handler's answer must reach it. A host that closed altogether is found out by the
    // reset its kernel answers the station's next bytes with.
    pollfd fds[] = {{closeWake_.Fd(), POLLIN, 0}, {socket_.Get(), 0, 0}};
    while (!closing_.IsCancelled()) {
        if (::poll(fds, 2, -1) > 0 && (fds[1].revents & (POLLHUP | POLLERR))) {
            handlerWaits_.Cancel();
            return;
        }
    }
}

void CServerSocket::DispatchHostMessage(std::uint8_t address, std::uint8_t code,
                                        std::span<const std::uint8_t> message,
                                        const CancelToken& connectionClosing) {
    ++messagesIn_;
    sink_.DispatchHostMessage(address, code, message, connectionClosing);
}

void CServerSocket::ShowHostPicture(int column, int row, const std::string& path) {
    sink_.ShowHostPicture(column, row, path);
}

void CServerSocket::HoldScreenRepaint(bool hold) {
    sink_.HoldScreenRepaint(hold);
}

void CServerSocket::QueueBytes(std::span<const std::uint8_t> bytes) {
    ++messagesOut_;
    sendQueue_.Append(bytes);
}

void CServerSocket::FlushSendQueue() {
    if (sendQueue_.Size() == 0) {
        return;
    }
    sendQueue_.Drain(kSendChunk,
                     [this](std::span<const std::uint8_t> bytes) { return SendNow(bytes); });
    sendWake_.Signal();
}

std::size_t CServerSocket::SendNow(std::span<const std::uint8_t> bytes) {
    if (!socket_.Valid()) {
        return bytes.size();
    }
    const ssize_t n =
        ::send(socket_.Get(), bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n >= 0) {
        bytesOut_ += static_cast<std::uint64_t>(n);
        return static_cast<std::size_t>(n);
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        return 0;
    }
    // The connection is broken; its close is on its way and nobody will read these bytes.
    sendFailed_ = true;
    return bytes.size();
}

CServerSocket::Traffic CServerSocket::GetTraffic() const {
    return {bytesIn_.load(), bytesOut_.load(), messagesIn_.load(), messagesOut_.load()};
}

std::string CServerSocket::GetPeerAddress(bool withPort) const {
    sockaddr_in peer{};
    socklen_t length = sizeof(peer);
    if (::getpeername(socket_.Get(), reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
        peer.sin_family != AF_INET) {
        return {};
    }
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof(text));
    return withPort ? std::string(text) + ":" + std::to_string(ntohs(peer.sin_port)) : text;
}

} // namespace qx44
