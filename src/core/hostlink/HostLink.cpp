#include "core/hostlink/HostLink.h"

#include "core/common/Log.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>

namespace qx44 {

HostLink::HostLink(IHostMessageSink& sink, IUiThread& ui, IHostLinkEvents& events,
                   std::string transferPath, IHostTrace& trace)
    : sink_(sink), ui_(ui), events_(events), transferPath_(std::move(transferPath)), trace_(trace) {
}

HostLink::~HostLink() {
    std::shared_ptr<CServerSocket> connection;
    {
        std::lock_guard lock(connectionMutex_);
        connection = std::move(connection_);
    }
    if (connection) {
        connection->CloseConnection();
    }
    listener_.Close();
}

bool HostLink::StartListening(std::uint16_t port, in_addr address) {
    if (!listener_.Listen(port, address)) {
        const int error = errno;
        char text[INET_ADDRSTRLEN] = "";
        const bool everyAddress = address.s_addr == htonl(INADDR_ANY);
        if (!everyAddress) {
            ::inet_ntop(AF_INET, &address, text, sizeof text);
        }
        Log::Error(LogArea::Host,
                   "cannot listen on " + (everyAddress ? std::string() : std::string(text) + " ") +
                       "TCP port " + std::to_string(port) + ": " + ::strerrordesc_np(error));
        return false;
    }
    return true;
}

void HostLink::AcceptHost() {
    if (HasHost()) {
        CloseAllConnections();
    }
    UniqueFd socket = listener_.Accept();
    if (!socket.Valid()) {
        const int error = errno;
        Log::Note(LogArea::Host, [&] {
            return std::string("a host's connection could not be accepted: ") +
                   ::strerrordesc_np(error);
        });
        return;
    }
    // Hosts that connected meanwhile are taken now, each replacing the one before at once, so
    // a host reconnecting back to back never waits behind the ones it left.
    for (UniqueFd next = listener_.Accept(); next.Valid(); next = listener_.Accept()) {
        socket = std::move(next);
    }

    std::uint64_t id = 0;
    {
        std::lock_guard lock(connectionMutex_);
        id = ++connectionId_;
    }
    std::weak_ptr<int> alive = alive_;
    auto connection = std::make_shared<CServerSocket>(
        std::move(socket), sink_, transferPath_,
        [this, id, alive] {
            ui_.Post([this, id, alive] {
                if (alive.lock()) {
                    PeerClosed(id);
                }
            });
        },
        trace_);
    trace_.HostConnected(connection->GetPeerAddress(true));
    // Current before it receives: a host that asks at once must find its reply's way back.
    {
        std::lock_guard lock(connectionMutex_);
        connection_ = connection;
    }
    // The information screen is redrawn before the host's first message can be handled, so it
    // never covers what the host draws.
    Log::Note(LogArea::Host, [&] { return "host " + connection->GetPeerAddress() + " connected"; });
    events_.HostConnected(connection->GetPeerAddress());
    events_.SetNetworkState(IHostLinkEvents::kNetworkHostConnected);
    connection->StartReceiving();
    connection->FlushSendQueue();
}

void HostLink::CloseAllConnections() {
    std::shared_ptr<CServerSocket> connection;
    {
        std::lock_guard lock(connectionMutex_);
        connection = std::move(connection_);
    }
    if (!connection) {
        return;
    }
    const std::string peer = connection->GetPeerAddress();
    // Outside the lock: the receive thread may be waiting for it in SendToHost.
    connection->CloseConnection();
    trace_.HostClosed();
    Log::Note(LogArea::Host, [&] { return "connection to host " + peer + " closed"; });
    events_.SetNetworkState(IHostLinkEvents::kNetworkDisconnected);
}

void HostLink::OnTimer1Tick() {
    if (auto connection = Current()) {
        connection->FlushSendQueue();
    }
}

void HostLink::SendToHost(std::span<const std::uint8_t> bytes) {
    if (auto connection = Current()) {
        trace_.Sent(bytes);
        connection->QueueBytes(bytes);
    }
}

bool HostLink::HasHost() const {
    return Current() != nullptr;
}

std::string HostLink::PeerAddress() const {
    auto connection = Current();
    return connection ? connection->GetPeerAddress() : std::string();
}

CServerSocket::Traffic HostLink::Traffic() const {
    auto connection = Current();
    return connection ? connection->GetTraffic() : CServerSocket::Traffic{};
}

std::shared_ptr<CServerSocket> HostLink::Current() const {
    std::lock_guard lock(connectionMutex_);
    return connection_;
}

void HostLink::PeerClosed(std::uint64_t connectionId) {
    {
        std::lock_guard lock(connectionMutex_);
        // A close reported by a host that was already replaced must not end the new one.
        if (connectionId != connectionId_ || !connection_) {
            return;
        }
    }
    Log::Note(LogArea::Host, [] { return std::string("the host closed its connection"); });
    CloseAllConnections();
}

} // namespace qx44
